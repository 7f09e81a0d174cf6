// Start-up, the new-game reset, the simulation step and the main loop with its two
// clocks: 120 fixed steps per second and at most 60 frames per second.
#pragma once

bool init();      // seed, sounds, window, first game; false if no window opened
bool initwin();   // opens the window and sets pen, font, rates and clocks; false if no window
void initgame();  // new game: settings, course, ball, flags, line
void step();      // one simulation step of 1/120 s
void runstep();   // step(), then the simulation clock moves on by its period

// One pass of the main loop, the player's or a replay's; false once the window is gone
// (or the replay played out) and the loop must end.
bool pass();

// Runs the main loop until the window is gone.
void run();
