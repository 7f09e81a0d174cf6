// Scene drawing. Nothing survives from one frame to the next but `ballexp`, which
// tells the restart rule whether the dead ball has shrunk away.
#include "render/scene.h"

#include <algorithm>

#include "facade/facade.h"
#include "game/ball.h"
#include "game/state.h"
#include "render/view.h"

namespace {

constexpr unsigned long white = 0xFFFFFF;

void drawoneloop(int i) {
  loopinfo const& l = loop[i];
  loopp = i == loopl ? scrloopp : vector{l.x, l.y};
  for (int k = 0; k < l.tric; ++k) {
    drawtri(static_cast<long>(loopp.x), static_cast<long>(loopp.y), static_cast<long>(l.r),
            l.tria[k], 1, l.color, l.tris[k]);
  }
  rotate(loopp);
  drawcircle(l.x, l.y, l.r, l.color);

  // Checkpoint rings: one more for every full turn through the colour bands.
  if (ischeckpoint(l)) {
    int n = std::min(levelof(l) / loopcn, 10);
    for (int j = n; j >= 0; --j) drawcircle(l.x, l.y, l.r - 4 * (j + 1), l.color);
  }

  setfontsize(20, 40);
  long color = l.x > linep ? l.color : grey;
  mystring text = i2s(l.num);
  unsigned long tw = getstringwidth(text);
  unsigned long th = getstringheight(text);
  drawtextxy(text, static_cast<long>(loopp.x - static_cast<double>(tw >> 1)),
             static_cast<long>(loopp.y - static_cast<double>(th >> 1)),
             static_cast<unsigned long>(color));
}

}  // namespace

void drawall() {
  clear();
  drawloop();
  drawball();
  drawline();
  drawfps();
  freshwin();
}

void drawloop() {
  for (int i = 0; i < loopslots; ++i) {
    if (loop[i].live) drawoneloop(i);
  }
}

void drawball() {
  getballp();
  rotate(ballp);
  long x = static_cast<long>(ballp.x);
  long y = static_cast<long>(ballp.y);
  if (ball.live) {
    circle(x, y, static_cast<long>(ball.r), white);
    return;
  }
  ballexp = ball.r - (ftimestep - ftimeball) * spd * 10;
  long radius = ballexp < 0 ? 0 : static_cast<long>(ballexp);
  circle(x, y, radius, static_cast<unsigned long>(loop[loopj].color));
}

void drawline() {
  double half = abs(static_cast<double>(w), static_cast<double>(h)) * 0.5;
  vector a = {linep, -half};
  vector b = {linep, half};
  rotate(a);
  rotate(b);
  line(static_cast<long>(a.x), static_cast<long>(a.y), static_cast<long>(b.x - a.x),
       static_cast<long>(b.y - a.y), static_cast<unsigned long>(loop[linec].color));
}

void drawfps() {
  if (!fpsb) return;
  setfontsize(10, 20);
  drawtextxy(i2s(static_cast<long>(getfps())), 0, 0, static_cast<unsigned long>(grey));
}
