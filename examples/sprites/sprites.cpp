// sprites: a sprite with transparent parts. It is drawn once with hard-edged shapes into a
// bitmap with alpha, saved as a PNG file and loaded back (the alpha comes with it); copies
// then walk over a striped background, scaled up with sharp pixels, the stripes showing
// round them. Below, the same sprite drawn antialiased, whose half-covered edge pixels
// blend. Esc quits. Usage: sprites [PNGFILE] (default sprite.png in the working directory).
#include <facade.h>

#include <cmath>
#include <cstdio>

namespace {
unsigned long const kBody = 0x60C040;

// A 16 x 16 creature on a transparent ground.
bitmap* make_sprite(bool smooth) {
  bitmap* b = createbmpalpha(16, 16);
  if (!b) return nullptr;
  setantialias(b, smooth);  // off for pixel art: each pixel fully drawn or left transparent
  circle(b, 8, 8, 7, 0x203010, kBody);
  bar(b, 4, 4, 3, 3, 1, 0xFFFFFF);  // eyes: no outline (1), a white fill
  bar(b, 9, 4, 3, 3, 1, 0xFFFFFF);
  setpixel(b, 5, 5, 0x000000);
  setpixel(b, 10, 5, 0x000000);
  bar(b, 5, 11, 6, 1, 1, 0x203010);  // mouth
  return b;
}
}  // namespace

int main(int argc, char** argv) {
  char const* path = argc > 1 ? argv[1] : "sprite.png";
  if (!createwin(640, 480)) return 1;
  settitle("sprites");
  bitmap* made = make_sprite(false);
  if (!made || !savepng(made, path)) {
    std::printf("cannot save %s: %s\n", path, geterrortext().text);
    return 1;
  }
  bitmap* sprite = loadpng(path);
  bitmap* soft = make_sprite(true);
  if (!sprite || !soft) {
    std::printf("cannot load %s: %s\n", path, geterrortext().text);
    return 1;
  }
  double const start = gettimer();
  while (iswin()) {
    while (isnextmsg())
      if (iskey(QUIB_KEY_ESC)) closewin();
    if (!iswin()) break;
    clear(0x304870);
    for (long x = -480; x < 640; x += 40) line(x, 0, 480, 480, 0x4868A0);  // the stripes
    setpenwidth(12);
    for (long x = -480; x < 640; x += 80) line(x, 0, 480, 480, 0x283C60);
    setpenwidth(1);
    // Five copies walking right, each 4 x 4 pixels a sprite pixel; drawbmp blends the alpha.
    double const t = gettimer() - start;
    for (long i = 0; i < 5; ++i) {
      long const x = long(std::fmod(t * 80 + i * 140, 720)) - 64;
      long const y = 60 + 50 * (i % 2) - long(8 * std::fabs(std::sin(t * 6 + i)));
      drawbmp(sprite, x, y, 64, 64);
    }
    drawbmp(sprite, 120, 260, 128, 128);
    drawbmp(soft, 392, 260, 128, 128);
    drawtextxy("from the PNG, hard-edged", 84, 400, 0xFFFFFF);
    drawtextxy("antialiased: soft edge", 366, 400, 0xFFFFFF);
    drawtextxy("Esc quits", 10, 450, 0xC0D0E0);
    freshwin();
    delay(16);
  }
  // What the file kept: over blue, a corner shows the blue through, the middle is the body.
  bitmap* probe = createbmp(16, 16, 0x0000FF);
  drawbmp(probe, sprite, 0, 0);
  std::printf("loaded %s: corner %06lX shows through, middle %06lX\n", path, getpixel(probe, 0, 0),
              getpixel(probe, 8, 8));
  releasebmp();
  return 0;
}
