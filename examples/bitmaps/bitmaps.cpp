// bitmaps: draws a sprite off the screen, saves it as a BMP file, loads it back and draws
// it on the window at its own size, scaled up, and with a colour key that leaves its
// background out. Usage: bitmaps [FILE.bmp] (default sprite.bmp in the working directory).
#include <facade.h>

#include <cstdio>

int main(int argc, char** argv) {
  char const* path = argc > 1 ? argv[1] : "sprite.bmp";
  if (!createwin(640, 480)) return 1;
  settitle("bitmaps");

  // A 32 x 32 sprite on magenta, drawn with the bitmap forms (bitmap first).
  bitmap* sprite = createbmp(32, 32, 0xFF00FF);
  circle(sprite, 16, 16, 13, 0x000000, 0x40A0FF);
  circle(sprite, 11, 12, 3, 1, 0xFFFFFF);
  circle(sprite, 21, 12, 3, 1, 0xFFFFFF);
  line(sprite, 10, 22, 12, 0, 0x000000);

  if (!savebmp(sprite, path)) {
    std::printf("cannot save: %s\n", geterrortext().text);
    return 1;
  }
  releasebmp(sprite);
  bitmap* loaded = loadbmp(path, 0xFF00FF);  // its colour key: magenta is left out
  if (!loaded) {
    std::printf("cannot load: %s\n", geterrortext().text);
    return 1;
  }
  std::printf("saved and loaded %s\n", path);

  while (iswin()) {
    while (isnextmsg())
      if (iskey(QUIB_KEY_ESC)) closewin();
    if (!iswin()) break;
    clear(0x303030);
    bar(0, 240, 640, 240, 0x506070);
    drawbmp(loaded, 40, 40, 32, 32, 0, 0, 0, 0, 1);  // as it is, key 1: magenta shown
    drawbmp(loaded, 120, 40);                        // its own key: magenta left out
    drawbmp(loaded, 200, 40, 128, 128);              // scaled four times, sharp pixels
    for (long i = 0; i < 8; ++i) drawbmp(loaded, 40 + 72 * i, 300 + 20 * (i % 2), 64, 64);
    drawtextxy("as saved, keyed, scaled; Esc quits", 40, 200, 0xFFFFFF);
    freshwin();
    delay(16);
  }
  releasebmp(loaded);
  return 0;
}
