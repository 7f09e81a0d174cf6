// Keyboard controls: turns the current window message into the player's command.
#pragma once

// Windows virtual-key codes of the game's keys.
enum gamekey : unsigned long {
  key_space = 32,
  key_right = 39,
  key_left = 37,
  key_up = 38,
  key_down = 40,
  key_numplus = 107,
  key_numminus = 109,
  key_home = 36,
  key_end = 35,
  key_r = 82,
  key_f9 = 120,
  key_f12 = 123,
  key_esc = 27,
};

// Asks about each key in a fixed order and carries out every one pressed.
void act();

// Carries out one key; act() and a replay come through here.
void actkey(gamekey k);
