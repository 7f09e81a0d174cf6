// Camera, view rotation, the newest loop's glide and the chasing line.
#include "game/camera.h"

#include <algorithm>

#include "facade/facade.h"
#include "game/state.h"

void movescr() {
  loopinfo const& l = loop[loopj];
  scrp.x += (l.x - scrp.x) * 0.1;
  scrp.y += (l.y - scrp.y) * 0.1;
  double sigma = levelof(l) % 2 != 0 ? 1 : -1;
  scrrot += (spd - 1) * ((spd - 1) * (sigma * 0.001));
  loopinfo const& newest = loop[loopl];
  scrloopp.x += (newest.x - scrloopp.x) * 0.1 * 2;
  scrloopp.y += (newest.y - scrloopp.y) * 0.1 * 2;
}

void moveline() {
  // The line takes the colour of the newest loop whose left edge it has reached.
  int c = linec;
  for (int i = 0; i < loopslots; ++i) {
    if (loop[i].num > loop[c].num && linep >= loop[i].x - loop[i].r) c = i;
  }
  linec = c;

  if (ball.live) {
    double d = abs(static_cast<double>(w), static_cast<double>(h));
    linep += 0.5 * spd;
    if (scrp.x - linep > d * 0.25) linep += 0.1 * spd;
    if (scrp.x - linep > d / 3) linep += 0.05 * spd;
    if (scrp.x - linep > d * 0.5) linep = scrp.x - d * 0.5;
  }

  loopinfo const& l = loop[loopj];
  if (ischeckpoint(l)) linep = std::min(linep, l.x - l.r);
}
