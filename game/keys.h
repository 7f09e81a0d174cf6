// Keyboard controls: turns the current window message into the player's command. One
// table of the thirteen keys drives the key codes, the order act() asks about them, their
// names in recordings and the keys part of --help.
#pragma once

#include <string>

// id, Windows virtual-key code, name in recordings (the display library's key-script
// name), label and help line in --help (a key whose label is empty shares the row above).
#define QUIB_GAME_KEYS(X)                                                                       \
  X(space, 32, "SPACE", "SPACE",                                                                \
    "flip inside/outside, jump onto a touching loop; after a death,\nstart a new game")         \
  X(right, 39, "RIGHT", "Right / Left",                                                         \
    "move the ball onto the loop in the next / previous ring slot")                             \
  X(left, 37, "LEFT", "", "")                                                                   \
  X(up, 38, "UP", "Up / Down", "more / fewer loops per level")                                  \
  X(down, 40, "DOWN", "", "")                                                                   \
  X(numplus, 107, "KP_PLUS", "Numpad + / -", "speed multiplier up / down (from the next jump)") \
  X(numminus, 109, "KP_MINUS", "", "")                                                          \
  X(home, 36, "HOME", "Home / End", "more / fewer colour bands")                                \
  X(end, 35, "END", "", "")                                                                     \
  X(r, 82, "R", "R", "new game at once")                                                        \
  X(f9, 120, "F9", "F9", "frame-rate figure on / off")                                          \
  X(f12, 123, "F12", "F12", "auto-play on / off")                                               \
  X(esc, 27, "ESC", "Esc", "quit")

enum gamekey : unsigned long {
#define QUIB_KEY_ENUM(id, code, name, label, help) key_##id = code,
  QUIB_GAME_KEYS(QUIB_KEY_ENUM)
#undef QUIB_KEY_ENUM
};

// Gives the gamepad's buttons the keys they stand for (the display library maps none).
void mappad();

// Asks about each key in the table's order and carries out every one pressed.
void act();

// Carries out one key; act() and a replay come through here.
void actkey(gamekey k);

// The key's name in recordings, or null for no game key; and back (false if unknown).
char const* keyname(gamekey k);
bool keyfromname(char const* name, gamekey& k);

// The keys' lines of --help.
std::string keyhelp();
