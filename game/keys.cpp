// The thirteen keys. SPACE only raises a flag for the next step; the others act at once.
#include "game/keys.h"

#include "facade/facade.h"
#include "game/ball.h"
#include "game/loop.h"
#include "game/replay.h"
#include "game/state.h"

namespace {

constexpr double sqrt2 = 1.4142135623730951;

// Held long enough, Numpad + or - would take the multiplier to infinity or to zero (about
// 2000 presses), and the next jump would give the ball a speed of inf or 0 and a NaN
// place. Presses that would pass 2^32 either way are refused.
constexpr double maxspdmul = 4294967296.0;

// The order in which act() asks about the keys.
constexpr gamekey keyorder[] = {key_space,   key_right,    key_left, key_up,  key_down,
                                key_numplus, key_numminus, key_home, key_end, key_r,
                                key_f9,      key_f12,      key_esc};

}  // namespace

void act() {
  for (gamekey k : keyorder) {
    if (iskey(k)) actkey(k);
  }
}

void actkey(gamekey k) {
  onkey(k);
  if (k == key_space) spaceb = true;
  if (k == key_right) jump(nextslot(loopj));
  if (k == key_left) jump(prevslot(loopj));
  if (k == key_up) loopstp = loopstp + 1;
  if (k == key_down) loopstp = loopstp <= 1 ? 1 : loopstp - 1;
  if (k == key_numplus && spdmul * sqrt2 <= maxspdmul) spdmul = spdmul * sqrt2;
  if (k == key_numminus && spdmul / sqrt2 >= 1 / maxspdmul) spdmul = spdmul / sqrt2;
  if (k == key_home) loopcn = loopcn + 1;
  if (k == key_end) loopcn = loopcn <= 1 ? 1 : loopcn - 1;
  if (k == key_r) initgame();
  if (k == key_f9) fpsb = !fpsb;
  if (k == key_f12) autob = !autob;
  if (k == key_esc) closewin();
}
