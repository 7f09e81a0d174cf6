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

// Every key the game carries out passes here first (recording).
void onkey(gamekey k);

// After every frame the main loop draws (recording).
void noteframe();

// Writes the recording's end line and closes it (also at exit); false when any of the
// recording could not be written (said on stderr when it happened).
bool finishrecord();

// A replay runs through the main loop's own pass(): the recording stands in for the
// player's keys, for the drawing clock, and for the end of the run.
bool isreplaying();
// The recording is played out (or went bad): the loop ends as if the window had closed.
bool isplayedout();
// Whether the next step is due on the replay's pacing clock, which then moves on.
bool isreplaystepdue();
// Hands over the keys and frames the recording holds before the next step; false, and
// no step is to run, once it is played out.
bool feedreplay();

// Plays the recording back until its end, or until the player quits with Esc or closes
// the window; the player's other keys do nothing. Returns the exit status: 0, or 2 when the
// recording turned out damaged while playing.
int runreplay();

// Forgets the replay so that another can start (the fuzzer plays many in one process).
void stopreplay();

// The checks of startreplay() alone: "" for a sound recording, else the reason; `ended`
// tells whether it has its end line (a run cut short has none).
std::string checkrecording(char const* path, bool* ended = nullptr);
