// The thirteen keys. SPACE only raises a flag for the next step; the others act at once.
#include "game/keys.h"

#include <cstring>

#include "facade/facade.h"
#include "game/ball.h"
#include "game/config.h"
#include "game/loop.h"
#include "game/outfile.h"
#include "game/replay.h"
#include "game/state.h"

namespace {

constexpr double sqrt2 = 1.4142135623730951;

// Held long enough, Numpad + or - would take the multiplier to infinity or to zero (about
// 2000 presses), and the next jump would give the ball a speed of inf or 0 and a NaN
// place. Presses that would pass 2^32 either way are refused.
constexpr double maxspdmul = 4294967296.0;

// What each key does; named after the key's id in the table.
void on_space() { spaceb = true; }
void on_right() { jump(nextslot(loopj)); }
void on_left() { jump(prevslot(loopj)); }
void on_up() { loopstp = loopstp + 1; }
void on_down() { loopstp = loopstp <= 1 ? 1 : loopstp - 1; }
void on_numplus() {
  if (spdmul * sqrt2 <= maxspdmul) spdmul = spdmul * sqrt2;
}
void on_numminus() {
  if (spdmul / sqrt2 >= 1 / maxspdmul) spdmul = spdmul / sqrt2;
}
void on_home() { loopcn = loopcn + 1; }
void on_end() { loopcn = loopcn <= 1 ? 1 : loopcn - 1; }
void on_r() { initgame(); }
void on_f9() { fpsb = !fpsb; }
void on_f12() { autob = !autob; }
// Esc keeps the picture last shown, to compare a replay with its recording, and quits.
void on_esc() {
  if (char const* path = settings().lastframe; path != nullptr) {
    // The display library says why on stderr when the picture cannot be saved.
    if (bitmap* b = getwin(); b != nullptr && !savebmp(b, path)) markoutputlost();
  }
  closewin();
}

struct keyrow {
  gamekey key;
  char const* name;
  char const* label;
  char const* help;
  void (*action)();
};

constexpr keyrow keys[] = {
#define QUIB_KEY_ROW(id, code, name, label, help) {key_##id, name, label, help, on_##id},
    QUIB_GAME_KEYS(QUIB_KEY_ROW)
#undef QUIB_KEY_ROW
};

keyrow const* rowof(gamekey k) {
  for (keyrow const& r : keys) {
    if (r.key == k) return &r;
  }
  return nullptr;
}

// The gamepad plays as the keyboard does (the "Gamepad:" line of --help). Start and Back act
// when let go, so that pressing both together is Esc alone: on the way to quitting the game
// neither restarts nor toggles auto-play.
struct padrow {
  unsigned long button;
  gamekey key;
  bool onrelease;
};
constexpr padrow padkeys[] = {
    {QUIB_PAD_A, key_space, false},
    {QUIB_PAD_B, key_space, false},
    {QUIB_PAD_X, key_space, false},
    {QUIB_PAD_Y, key_space, false},
    {QUIB_PAD_DPUP, key_up, false},
    {QUIB_PAD_DPDOWN, key_down, false},
    {QUIB_PAD_DPLEFT, key_left, false},
    {QUIB_PAD_DPRIGHT, key_right, false},
    {QUIB_PAD_LEFTSHOULDER, key_numminus, false},
    {QUIB_PAD_RIGHTSHOULDER, key_numplus, false},
    {QUIB_PAD_START, key_r, true},
    {QUIB_PAD_BACK, key_f12, true},
};

}  // namespace

void mappad() {
  for (padrow const& r : padkeys) mappadbutton(r.button, r.key, r.onrelease);
  mappadchord(QUIB_PAD_BACK, QUIB_PAD_START, key_esc);
}

void act() {
  for (keyrow const& r : keys) {
    if (iskey(r.key)) actkey(r.key);
  }
}

void actkey(gamekey k) {
  onkey(k);
  if (keyrow const* r = rowof(k); r != nullptr) r->action();
}

char const* keyname(gamekey k) {
  keyrow const* r = rowof(k);
  return r != nullptr ? r->name : nullptr;
}

bool keyfromname(char const* name, gamekey& k) {
  for (keyrow const& r : keys) {
    if (std::strcmp(name, r.name) == 0) {
      k = r.key;
      return true;
    }
  }
  return false;
}

std::string keyhelp() {
  std::string out;
  for (keyrow const& r : keys) {
    if (*r.label == '\0') continue;
    std::string line = std::string("  ") + r.label;
    line.resize(19, ' ');
    for (char const* c = r.help; *c != '\0'; ++c) {
      line += *c;
      if (*c == '\n') line += std::string(19, ' ');
    }
    out += line + "\n";
  }
  return out;
}
