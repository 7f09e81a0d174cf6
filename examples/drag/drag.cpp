// drag: mouse drawing and dragging. Hold the left button on a box to drag it; hold it
// anywhere else to paint a stroke. A right click clears the strokes, Esc quits. With
// --demo it drags a box and paints a stroke by itself with the mouse synthesis entries.
#include <facade.h>

#include <cstdio>
#include <cstring>
#include <vector>

struct box {
  long x, y, w, h;
  unsigned long colour;
  bool has(long px, long py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

int main(int argc, char** argv) {
  if (!createwin(640, 480)) return 1;
  settitle("drag");
  bool const demo = argc > 1 && std::strcmp(argv[1], "--demo") == 0;
  std::vector<box> boxes{{60, 80, 120, 80, 0xE05050}, {260, 200, 100, 100, 0x50A0E0}};
  std::vector<std::vector<long>> strokes;  // each stroke: x, y, x, y, ...
  int held = -2;                           // -2 no button; -1 painting; else a box's index
  long grab_x = 0, grab_y = 0, frame = 0;
  while (iswin()) {
    if (demo) {  // frame by frame: press on the red box, drag it, release; then paint
      ++frame;
      if (frame == 2) movemousewin(100, 100), downmouse(QUIB_MOUSE_LEFT);
      if (frame > 2 && frame < 30) movemouse(10, 5);
      if (frame == 30) upmouse(QUIB_MOUSE_LEFT), movemousewin(60, 400), downmouse(QUIB_MOUSE_LEFT);
      if (frame > 30 && frame < 60) movemouse(15, frame % 10 < 5 ? -8 : 8);
      if (frame == 60) upmouse(QUIB_MOUSE_LEFT);
    }
    while (isnextmsg()) {
      long mx = getmousewinx(), my = getmousewiny();
      if (iskey(QUIB_KEY_ESC)) closewin();
      if (ismouseright()) strokes.clear();
      if (ismouseleft()) {
        held = -1;
        for (int i = int(boxes.size()) - 1; i >= 0 && held == -1; --i)
          if (boxes[i].has(mx, my)) held = i, grab_x = mx - boxes[i].x, grab_y = my - boxes[i].y;
        if (held == -1) strokes.push_back({mx, my});
      }
      if (ismsg(QUIB_MSG_LBUTTONUP)) held = -2;
      if (ismousemove() && held >= 0) boxes[held].x = mx - grab_x, boxes[held].y = my - grab_y;
      if (ismousemove() && held == -1) strokes.back().insert(strokes.back().end(), {mx, my});
    }
    // The window lost the focus mid-drag: no release will come, and the button counts as up.
    if (!isbuttondown(QUIB_MOUSE_LEFT)) held = -2;
    if (!iswin()) break;
    clear(0xF0F0F0);
    for (box const& b : boxes) bar(b.x, b.y, b.w, b.h, 0x000000, b.colour);
    setpenwidth(3);
    for (auto const& s : strokes)
      for (size_t i = 2; i + 1 < s.size(); i += 2)
        line(s[i - 2], s[i - 1], s[i] - s[i - 2], s[i + 1] - s[i - 1], 0x202080);
    setpenwidth(1);
    drawtextxy("drag a box, paint elsewhere; right click clears", 10, 10, 0x404040);
    freshwin();
    delay(16);
  }
  std::printf("red box at %ld %ld, %zu strokes\n", boxes[0].x, boxes[0].y, strokes.size());
  return 0;
}
