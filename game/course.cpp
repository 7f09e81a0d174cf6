// Course generation. The order of the random draws is part of the rules: a seed lays
// the same course every time.
#include "game/course.h"

#include <cmath>
#include <cstdlib>

#include "facade/facade.h"
#include "game/state.h"
#include "sound/cues.h"

void initloop() {
  for (loopinfo& l : loop) {
    l.live = false;
    l.color = 0;
    l.num = 0;
    l.tric = 0;
    l.x = 0.0;
    l.y = 0.0;
    l.r = 0.0;
  }
  loopj = 1;
  loopl = 0;
  loopn = 0;
  loopci = 0;
  addloop(0, 0, 60, 0);
  playaudio(sbg, 0.0f);
  setaudiofrqall(-4);
}

void addloop() {
  int n = loopn;
  int level = n / loopstp;
  if (n % loopstp == 0) {
    rnd = 60;
    rndt = 0;
    loopci = (loopci + 1) % loopcn;
  } else if (n == 1) {
    rnd = 90;
    rndt = 1;
  } else {
    rnd = static_cast<int>((random(6) + 1) * 30);
    long k = random(level + loopcn);
    rndt = k < loopcn ? 1 : 2;
  }
  loopinfo const& last = loop[loopl];
  addloop((last.x + last.r) + rnd, last.y, rnd, rndt);
}

void addloop(double x, double y, double r, long rows) {
  double a = static_cast<double>(rand15()) / 32767 * M_PI;
  angle = a;
  double q = loop[loopl].r;
  scrloopp.x = x + std::sin(a) * q * 8;
  scrloopp.y = y + std::cos(a) * q * 8;

  loopl = nextslot(loopl);
  loopinfo& l = loop[loopl];
  l.live = true;
  l.x = x;
  l.y = y;
  l.r = r;
  int hue = static_cast<int>(static_cast<double>(loopci) / loopcn * 255);
  l.color = static_cast<int>(hsn2rgb(static_cast<unsigned long>(hue | 0xAAFF00)));
  l.num = loopn;

  // A half circle is cut into n sectors; the two next to the contact points stay bare.
  int n = static_cast<int>(r / 30);
  if (rows == 2) {
    if (n == 6) {
      rows = 1;
    } else if (n == 5) {
      rows = random(2) + 1;
    }
  }
  rnd = static_cast<int>(random(2));
  int pattern = rnd;
  int parity = loopl % 2;
  for (int i = 1; i <= n - 2; ++i) {
    int late = i >= n / 2 ? 1 : 0;
    int side = 2 * ((pattern & late) ^ (i % 2)) - 1;
    for (int j = 0; j < rows; ++j) {
      int k = (i - 1) + j * (n - 2);
      l.tria[k] = ((i + 0.5) / n + parity) * M_PI + M_PI / 2 + j * M_PI;
      l.tris[k] = side;
    }
  }
  loopn = loopn + 1;
  l.tric = static_cast<int>(rows) * (n - 2);
}
