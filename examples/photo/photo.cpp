// photo: a JPEG file shown whole, then as a small picture turned in a frame and as a copy
// tinted by multiplying it with a colour. Usage: photo [FILE.jpg] (default photo.jpg in
// the working directory). Esc quits.
#include <facade.h>

#include <cstdio>

int main(int argc, char** argv) {
  char const* path = argc > 1 ? argv[1] : "photo.jpg";
  if (!createwin(640, 480)) return 1;
  settitle("photo");
  bitmap* photo = loadjpeg(path);
  if (!photo) {
    std::printf("cannot load %s: %s\n", path, geterrortext().text);
    return 1;
  }
  bitmap* tinted = createbmp(photo);  // a copy, tinted below
  setblend(tinted, DISP_BLEND_MULTIPLY);
  bar(tinted, 0, 0, 16384, 16384, 1, 0xFFC080);  // warm, as an old print
  while (iswin()) {
    while (isnextmsg())
      if (iskey(QUIB_KEY_ESC)) closewin();
    if (!iswin()) break;
    clear(0x202020);
    drawbmp(photo, 20, 20);
    bar(440, 40, 170, 130, 0xFFFFFF, 0xF0F0E8);  // a frame on the wall, the photo turned in it
    drawsprite(photo, {.x = 452, .y = 62, .degrees = -6, .scalex = 0.45, .scaley = 0.45});
    drawsprite(tinted, {.x = 20, .y = 250, .scalex = 0.6, .scaley = 0.6});
    drawtextxy("a JPEG: whole, turned in a frame, tinted; Esc quits", 10, 450, 0xA0B0C0);
    freshwin();
    delay(16);
  }
  std::printf("loaded %s\n", path);
  return 0;
}
