// The thirteen keys. SPACE only raises a flag for the next step; the others act at once.
#include "game/keys.h"

#include "facade/facade.h"
#include "game/ball.h"
#include "game/loop.h"
#include "game/state.h"

namespace {
constexpr double sqrt2 = 1.4142135623730951;
}

void act() {
  if (iskey(key_space)) spaceb = true;
  if (iskey(key_right)) jump(nextslot(loopj));
  if (iskey(key_left)) jump(prevslot(loopj));
  if (iskey(key_up)) loopstp = loopstp + 1;
  if (iskey(key_down)) loopstp = loopstp <= 1 ? 1 : loopstp - 1;
  if (iskey(key_numplus)) spdmul = spdmul * sqrt2;
  if (iskey(key_numminus)) spdmul = spdmul / sqrt2;
  if (iskey(key_home)) loopcn = loopcn + 1;
  if (iskey(key_end)) loopcn = loopcn <= 1 ? 1 : loopcn - 1;
  if (iskey(key_r)) initgame();
  if (iskey(key_f9)) fpsb = !fpsb;
  if (iskey(key_f12)) autob = !autob;
  if (iskey(key_esc)) closewin();
}
