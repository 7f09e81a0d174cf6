// The invariants that the rules imply, stated exactly, and the memory samples of a soak.
// A violation names the invariant and the step; the state is not repaired.
#include "game/check.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/config.h"
#include "game/state.h"
#include "game/stats.h"

namespace {

constexpr long stepsperhour = 120L * 3600;
constexpr long maxprinted = 100;

long failures = 0;
long printed = 0;
int found = 0;  // violations found by the current checkstate()
std::vector<long> peakkb;

// What the previous check saw of a dead ball, to tell whether its radius grew.
struct deadball {
  bool dead = false;
  double radius = 0, spd = 0, ftimeball = 0;
};
deadball lastdead;

void fail(char const* what, char const* detail = "") {
  ++failures;
  ++found;
  if (printed < maxprinted) {
    std::fprintf(stderr, "quib: check failed at step %ld: %s%s\n", stepsrun(), what, detail);
  } else if (printed == maxprinted) {
    std::fprintf(stderr, "quib: further check failures are counted, not shown\n");
  }
  ++printed;
}

void finite(double v, char const* name) {
  if (!std::isfinite(v)) fail("not finite: ", name);
}

bool isslot(int i) { return i >= 0 && i < loopslots; }

void checknumbers() {
  finite(ftimestep, "ftimestep");
  finite(ftimedraw, "ftimedraw");
  finite(ftimeball, "ftimeball");
  finite(spd, "spd");
  finite(spdmul, "spdmul");
  finite(ballexp, "ballexp");
  finite(ballp.x, "ballp.x");
  finite(ballp.y, "ballp.y");
  finite(scrp.x, "scrp.x");
  finite(scrp.y, "scrp.y");
  finite(scrrot, "scrrot");
  finite(scrloopp.x, "scrloopp.x");
  finite(scrloopp.y, "scrloopp.y");
  finite(linep, "linep");
  finite(angle, "angle");
  finite(loopp.x, "loopp.x");
  finite(loopp.y, "loopp.y");
  finite(rotp.x, "rotp.x");
  finite(rotp.y, "rotp.y");
  finite(ball.phase, "ball.phase");
  finite(ball.stamp, "ball.stamp");
  for (loopinfo const& l : loop) {
    finite(l.x, "loop x");
    finite(l.y, "loop y");
    finite(l.r, "loop r");
    for (int k = 0; k < l.tric && k < 12; ++k) finite(l.tria[k], "spike angle");
  }
}

// The live loops run from the oldest slot to loopl without a gap, left to right, each
// touching the one before on the same line, numbered one after another.
void checkcourse() {
  int count = 0;
  for (loopinfo const& l : loop) count += l.live ? 1 : 0;
  if (count != (loopn < loopslots ? loopn : loopslots))
    fail("live loops are not the last loopn made");
  int i = loopl;
  for (int n = 1; n < count; ++n) {
    int prev = prevslot(i);
    loopinfo const& a = loop[prev];
    loopinfo const& b = loop[i];
    if (!a.live || !b.live) return fail("a gap among the live loops");
    if (!(a.x < b.x)) return fail("live loops not ordered left to right");
    double gap = (b.x - a.x) - (a.r + b.r);
    if (std::fabs(gap) > 1e-9 * (1 + std::fabs(b.x)) || a.y != b.y) {
      return fail("a loop does not touch the one before it");
    }
    if (b.num != a.num + 1) return fail("loop numbers not consecutive");
    i = prev;
  }
  for (loopinfo const& l : loop) {
    if (!l.live) continue;
    if (!(l.r >= 30 && l.r <= 180 && std::fmod(l.r, 30) == 0))
      fail("a radius that is no multiple of 30 from 30 to 180");
    if (l.tric > 12) fail("more than 12 spikes");
    for (int k = 0; k < l.tric && k < 12; ++k) {
      if (l.tris[k] != 1 && l.tris[k] != -1) fail("a spike on neither side");
    }
  }
  if (loop[loopl].num != loopn - 1) fail("loopl is not the newest loop");
}

void checkball() {
  if (!loop[loopj].live) return fail("the ball's loop is not live");
  if (!(spd > 0) || !std::isfinite(spd)) fail("speed not positive and finite");
  if (!(spdmul > 0) || !std::isfinite(spdmul)) fail("speed multiplier not positive and finite");
  if (ball.r != 6) fail("ball radius is not 6");
  if (ball.side != 1 && ball.side != -1) fail("ball on neither side");
  if (ball.dir != 1 && ball.dir != -1) fail("ball direction neither +1 nor -1");
  // The ball clock only runs forward from the last start, jump or death.
  if (!(ball.stamp <= ballclock(loopj))) fail("ball stamp ahead of its clock");
  if (!ball.live && !(ftimeball <= ftimestep)) fail("death time in the future");
  // The course runs one loop ahead of the ball once a step has extended it.
  int next = nextslot(loopj);
  if (!loop[next].live || !(loop[next].x > loop[loopj].x)) fail("no loop ahead of the ball");

  // A dead ball shrinks: its radius never grows while its speed stays (a direct jump
  // onto a loop of another level changes the speed, and with it the rate).
  double radius = ball.r - (ftimestep - ftimeball) * spd * 10;
  bool same = lastdead.dead && !ball.live && lastdead.spd == spd && lastdead.ftimeball == ftimeball;
  if (same && radius > lastdead.radius) fail("a dead ball's radius grew");
  if (!(ballexp <= ball.r)) fail("drawn radius above the ball's");
  lastdead = {!ball.live, radius, spd, ftimeball};
}

long peakrsskb() {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (f == nullptr) return -1;
  char line[256];
  long kb = -1;
  while (std::fgets(line, sizeof line, f) != nullptr) {
    if (std::strncmp(line, "VmHWM:", 6) == 0) kb = std::strtol(line + 6, nullptr, 10);
  }
  std::fclose(f);
  return kb;
}

}  // namespace

bool ischecking() { return settings().check; }

int checkstate() {
  found = 0;
  checknumbers();
  if (loopstp < 1) fail("loopstp below 1");
  if (loopcn < 1) fail("loopcn below 1");
  if (loopci < 0) fail("loopci below 0");
  if (!isslot(loopj) || !isslot(loopl) || !isslot(linec)) {
    fail("a slot index outside the ring");
    return found;
  }
  checkcourse();
  checkball();
  return found;
}

void checkstep() {
  if (!ischecking()) return;
  checkstate();
  if (stepsrun() % stepsperhour == 0) peakkb.push_back(peakrsskb());
}

long checkfailures() { return failures; }

void writechecks(std::FILE* f) {
  if (!ischecking()) return;
  std::fprintf(f, "violations %ld\n", failures);
  for (std::size_t hour = 0; hour < peakkb.size(); ++hour) {
    std::fprintf(f, "peak_rss_kb_hour_%zu %ld\n", hour + 1, peakkb[hour]);
  }
}
