// glow: particles that light each other up. A soft dot is drawn once into a bitmap with
// alpha, in colours whose top byte is their opacity (setcoloralpha); hundreds of copies
// then circle the middle with the window's blend mode set to add, so where they overlap
// the colours sum towards white, as light does. A shadow band below is drawn with
// multiply, which darkens what is under it. Esc quits.
#include <facade.h>

#include <cmath>
#include <cstdio>

namespace {
// A 24 x 24 dot: rings of rising opacity towards the middle.
bitmap* make_dot(unsigned long rgb) {
  bitmap* b = createbmpalpha(24, 24);
  if (!b) return nullptr;
  setcoloralpha(b, true);
  for (long r = 11, a = 0x10; r > 0; r -= 2, a += 0x14) circle(b, 12, 12, r, 1, a << 24 | rgb);
  return b;
}
}  // namespace

int main() {
  if (!createwin(640, 480)) return 1;
  settitle("glow");
  bitmap* warm = make_dot(0xFF6010);
  bitmap* cold = make_dot(0x2080FF);
  if (!warm || !cold) return 1;
  int const count = 400;
  unsigned long brightest = 0;  // where the most light summed, as last shown
  while (iswin()) {
    while (isnextmsg())
      if (iskey(QUIB_KEY_ESC)) closewin();
    if (!iswin()) break;
    double const t = gettimer();
    clear(0x000000);
    setblend(DISP_BLEND_ADD);
    for (int i = 0; i < count; ++i) {
      double const a = i * 0.1 + t * (i % 2 ? 0.7 : -0.5), r = 30 + (i * 37 % 190);
      drawsprite(i % 2 ? warm : cold, {.x = 320 + r * std::cos(a),
                                       .y = 220 + r * std::sin(a) * 0.8,
                                       .originx = 12,
                                       .originy = 12});
    }
    setblend(DISP_BLEND_MULTIPLY);
    bar(0, 280, 640, 36, 1, 0x707070);  // a grey band: everything under it darkened
    setblend(DISP_BLEND_NORMAL);
    brightest = 0;
    for (unsigned long y = 0; y < 480; y += 4)
      for (unsigned long x = 0; x < 640; x += 4) {
        unsigned long const c = getpixel(x, y);
        auto sum = [](unsigned long v) { return (v >> 16 & 255) + (v >> 8 & 255) + (v & 255); };
        if (sum(c) > sum(brightest)) brightest = c;
      }
    drawtextxy("additive glow, a multiplied shadow band; Esc quits", 10, 450, 0xA0B0C0);
    freshwin();
    delay(16);
  }
  std::printf("%d particles, brightest %06lX\n", count, brightest);
  return 0;
}
