// Recording a run and playing it back. A recording holds the seed, the simulation clock's
// start and, by simulation step, every key the game handled and every frame it drew;
// played back it gives the identical run. The format is described in README.md.
#pragma once

#include <string>

#include "game/keys.h"

// Opens the file to record into; false after one stderr line when it cannot be written.
bool startrecord(char const* path);

// Reads and checks a whole recording and fixes the seed it names; false after one stderr
// line when the file is missing, damaged or not a recording.
bool startreplay(char const* path);

// Called by init() between opening the window and the first game: a recording notes the
// seed and the clock, a replay puts the clock where the recorded run had it.
void initreplay();

// Every key the game carries out passes here first (recording; the last picture on Esc).
void onkey(gamekey k);

// After every frame the main loop draws (recording).
void noteframe();

// Plays the recording back until its end, or until the player quits with Esc or closes
// the window; the player's other keys do nothing. Returns the exit status: 0, or 2 when the
// recording turned out damaged while playing.
int runreplay();

// The checks of startreplay() alone: "" for a sound recording, else the reason; `ended`
// tells whether it has its end line (a run cut short has none).
std::string checkrecording(char const* path, bool* ended = nullptr);
