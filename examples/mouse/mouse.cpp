// mouse: paints a dot at each left click (the wheel sizes it, a right click clears) and
// lists the files dropped on the window with their size, read with the file entries.
// Esc quits. With --demo it clicks and scrolls by itself, showing the mouse synthesis.
#include <facade.h>

#include <cstdio>
#include <cstring>
#include <vector>

struct dot {
  long x, y, r;
};

int main(int argc, char** argv) {
  if (!createwin(640, 480)) return 1;
  settitle("mouse");
  long demo = argc > 1 && std::strcmp(argv[1], "--demo") == 0 ? 5 : 0;  // clicks to make
  std::vector<dot> dots;
  std::vector<mystring> files;
  long radius = 6;
  while (iswin()) {
    if (demo > 0) {  // one click a frame, each where the pointer was moved to
      --demo;
      movemousewin(500 - 100 * demo, 200 + 30 * (demo % 2));
      wheelmouse(120);  // a notch away from the user: bigger dots
      pressmouse(QUIB_MOUSE_LEFT);
    }
    while (isnextmsg()) {
      if (iskey(QUIB_KEY_ESC)) closewin();
      if (ismouseleft()) dots.push_back({getmousewinx(), getmousewiny(), radius});
      if (ismouseright()) dots.clear();
      if (ismousewheel()) radius += getmousewheel() / 120 * 2, radius = radius < 2 ? 2 : radius;
      if (isdropfile()) {
        mystring name = getdropfile();
        char line[600];
        if (openfile(name)) {
          std::snprintf(line, sizeof line, "%s: %lu bytes", name.text, getfilelen());
          closefile();
        } else {
          std::snprintf(line, sizeof line, "%s", geterrortext().text);
        }
        std::printf("%s\n", line);
        files.push_back(line);
      }
    }
    if (!iswin()) break;
    clear(0x202028);
    for (dot const& d : dots) circle(d.x, d.y, d.r, 0xFFD060);
    circle(getmousewinx(), getmousewiny(), radius, 0xFFFFFF, 1);  // the pointer: a ring
    drawtextxy("click: dot  wheel: size  right click: clear  drop files here", 10, 10, 0xC0C0C0);
    for (size_t i = 0; i < files.size(); ++i) drawtextxy(files[i], 10, 40 + 22 * long(i), 0x90E090);
    freshwin();
    delay(16);
  }
  std::printf("%zu dots, %zu files\n", dots.size(), files.size());
  return 0;
}
