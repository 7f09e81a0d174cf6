// Ball motion and collisions. Angles use the orbit convention: angle t on a circle of
// centre c and radius r is c + r (sin t, cos t), with y growing downward.
#include "game/ball.h"

#include <cmath>

#include "facade/facade.h"
#include "game/state.h"
#include "game/stats.h"
#include "sound/cues.h"

namespace {

// Orbit angle of the ball at ball-clock value c.
double orbitangle(double c) { return ball.dir * (spd * (c - ball.phase)); }

}  // namespace

double levelspeed(int level) {
  double s = 0.05 * level > 5 ? 7 : 0.05 * level + 2;
  return s * spdmul;
}

double levelpitch(int level) {
  double v = level / 3.0 - 4;
  return v <= 24 ? static_cast<double>(static_cast<float>(v)) : 24;
}

void initball() {
  ball.live = true;
  ball.side = 1;
  ball.dir = 1;
  ball.r = 6;
  double c = ballclock(loopj);
  ball.phase = c + M_PI / spd;
  ball.stamp = c;
}

void getballp() {
  loopinfo const& l = loop[loopj];
  double c = ball.live ? ballclock(loopj) : ball.stamp;
  double t = orbitangle(c);
  double rho = l.r - ball.side * ball.r;
  ballp.x = l.x + std::sin(t) * rho;
  ballp.y = l.y + std::cos(t) * rho;
}

bool istri(long i) {
  loopinfo const& l = loop[loopj];
  double d = orbitangle(ballclock(loopj)) - l.tria[i];
  while (d < -M_PI) d += 2 * M_PI;
  while (d > M_PI) d -= 2 * M_PI;
  return std::fabs(d) < 10 / l.r && l.tris[i] == ball.side;
}

bool istri() {
  for (long i = 0; i < loop[loopj].tric; ++i) {
    if (istri(i)) return true;
  }
  return false;
}

bool isloop(long i) {
  if (i == loopj || !loop[i].live) return false;
  double c = ballclock(loopj);
  if (spd * (c - ball.stamp) < M_PI / 2) return false;
  loopinfo const& l = loop[loopj];
  double t = orbitangle(c);
  angle = t;
  loopp.x = l.x + std::sin(t) * (l.r + ball.r);
  loopp.y = l.y + std::cos(t) * (l.r + ball.r);
  return abs(loop[i].x - loopp.x, loop[i].y - loopp.y) < ball.r + loop[i].r;
}

long isloop() {
  for (long i = 0; i < loopslots; ++i) {
    if (isloop(i)) return i;
  }
  return -1;
}

bool isline() {
  getballp();
  return linep > ballp.x;
}

void jump(long i) {
  // A slot without a loop has radius 0, where the ball clock is undefined: the ball
  // stays where it is and nothing changes.
  if (!loop[i].live) return;
  int j = loopj;
  int level = levelof(loop[i]);
  setaudiofrqall(levelpitch(level));
  spd = levelspeed(level);
  double t0 = std::atan2((loop[j].x - loop[i].x) * ball.dir, loop[j].y - loop[i].y);
  loopj = static_cast<int>(i);
  ball.dir = -ball.dir;
  double c = ballclock(loopj);
  ball.phase = c + t0 / spd;
  ball.stamp = c;
  notejump();
}

void space() {
  spaceb = false;
  if (!ball.live) {
    if (ballexp < 0) initb = true;
    return;
  }
  if (ball.side == 1) {
    long target = isloop();
    if (target != -1) {
      jump(target);
      playaudio(sj3);
      return;
    }
  }
  if (ball.side < 0) playaudio(sj1);
  if (ball.side > 0) playaudio(sj2);
  ball.side = -ball.side;
}

void kill() {
  if (!ball.live) return;
  ball.stamp = ballclock(loopj);
  playaudio(sj4);
  ball.live = false;
  ftimeball = ftimestep;
  notedeath();
}

void autogame() {
  if (istri()) space();
  if (isloop() != -1) space();
}
