// The buttons and axes of a standard gamepad (the SDL game-controller layout), written once:
// their numbers at the entries, the names <keys.h> gives them and the words a DISP_PAD_SCRIPT
// line uses. Plain data, no SDL, so tools/apigen reads it as the library does.
#pragma once

// P(NAME, script word, number). Numbers start at 1 so that 0 means "no button", as it does
// for keys and mouse buttons; SDL's own button number is one less.
#define QUIB_PAD_BUTTONS(P)             \
  P(A, "a", 1)                          \
  P(B, "b", 2)                          \
  P(X, "x", 3)                          \
  P(Y, "y", 4)                          \
  P(BACK, "back", 5)                    \
  P(GUIDE, "guide", 6)                  \
  P(START, "start", 7)                  \
  P(LEFTSTICK, "leftstick", 8)          \
  P(RIGHTSTICK, "rightstick", 9)        \
  P(LEFTSHOULDER, "leftshoulder", 10)   \
  P(RIGHTSHOULDER, "rightshoulder", 11) \
  P(DPUP, "dpup", 12)                   \
  P(DPDOWN, "dpdown", 13)               \
  P(DPLEFT, "dpleft", 14)               \
  P(DPRIGHT, "dpright", 15)             \
  P(MISC1, "misc1", 16)                 \
  P(PADDLE1, "paddle1", 17)             \
  P(PADDLE2, "paddle2", 18)             \
  P(PADDLE3, "paddle3", 19)             \
  P(PADDLE4, "paddle4", 20)             \
  P(TOUCHPAD, "touchpad", 21)

// Sticks read -1..1 (x to the right, y downwards, as SDL has them); triggers 0..1.
#define QUIB_PAD_AXES(P)           \
  P(LEFTX, "leftx", 1)             \
  P(LEFTY, "lefty", 2)             \
  P(RIGHTX, "rightx", 3)           \
  P(RIGHTY, "righty", 4)           \
  P(LEFTTRIGGER, "lefttrigger", 5) \
  P(RIGHTTRIGGER, "righttrigger", 6)

inline constexpr int dsp_padbuttons = 21;  // the highest button number
inline constexpr int dsp_padaxes = 6;      // the highest axis number
