// effects: bitmap effects. One scene drawn off the screen, then a box blur, a Gaussian
// blur, and the mean of the sharp and the blurred copies (a soft glow), side by side.
// UP/DOWN change the blur's strength. Esc quits.
#include <facade.h>

#include <cstdio>

namespace {
void scene(bitmap* b) {
  clear(b, 0x000000);
  circle(b, 70, 70, 40, 1, 0xFFD040);
  bar(b, 20, 110, 110, 20, 1, 0x40A0FF);
  line(b, 10, 10, 130, 130, 0xFFFFFF);
  drawtextxy(b, "glow", 50, 60, 0xFF4040);
}
}  // namespace

int main() {
  if (!createwin(640, 360)) return 1;
  settitle("effects");
  bitmap* sharp = createbmp(140, 140);
  bitmap* boxed = createbmp(140, 140);
  bitmap* gauss = createbmp(140, 140);
  bitmap* glow = createbmp(140, 140);
  if (!sharp || !boxed || !gauss || !glow) return 1;
  scene(sharp);
  double sigma = 3;
  bool dirty = true;
  while (iswin()) {
    while (isnextmsg()) {
      if (iskey(QUIB_KEY_ESC)) closewin();
      if (iskey(QUIB_KEY_UP)) sigma += 1, dirty = true;
      if (iskey(QUIB_KEY_DOWN) && sigma > 1) sigma -= 1, dirty = true;
    }
    if (!iswin()) break;
    if (dirty) {  // effects cost time: made again only when the strength changes
      drawbmp(boxed, sharp);
      blurbmpbox(boxed, (unsigned long)sigma);
      drawbmp(gauss, sharp);
      blurbmpgau(gauss, sigma);
      mixbmp(glow, sharp, gauss);
      dirty = false;
    }
    clear(0x303030);
    char const* names[] = {"sharp", "box blur", "gaussian", "mixed"};
    bitmap* shown[] = {sharp, boxed, gauss, glow};
    for (long i = 0; i < 4; ++i) {
      drawbmp(shown[i], 20 + 155 * i, 40);
      drawtextxy(names[i], 20 + 155 * i, 190, 0xE0E0E0);
    }
    char line[64];
    std::snprintf(line, sizeof line, "strength %.0f   UP/DOWN   Esc quits", sigma);
    drawtextxy(line, 20, 320, 0xA0A0A0);
    freshwin();
    delay(16);
  }
  std::printf("strength %.0f, glow centre %06lX\n", sigma, getpixel(glow, 70, 70));
  releasebmp(sharp), releasebmp(boxed), releasebmp(gauss), releasebmp(glow);
  return 0;
}
