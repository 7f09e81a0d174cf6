// Run statistics for tests and players' curiosity: written at exit to the file named by
// QUIB_STATS as `name value` lines; nothing is kept or written without it. Written on every
// way out: a normal end, Esc, a closed or lost window, exit() inside a library, and the
// termination signals, which end the main loop instead of the process.
#pragma once

void notestep();
void notegame();
void notejump();
void notedeath();

// Starts every counter again from zero, for a process that plays many runs (the fuzzer).
void resetstats();

// Steps run since the program started: the clock of recordings and of the checks.
long stepsrun();

// Writes steps, games, deaths, jumps and furthest_loop to $QUIB_STATS, if set (and the
// checks' figures when QUIB_CHECK is on), once. False after one stderr line when the
// file could not be written. Also registered with atexit by writestatsatexit().
bool writestats();
void writestatsatexit();

// SIGTERM, SIGINT and SIGHUP, where nobody else (SDL) handles them, ask the main loop to
// end like a closed window; isquitasked() tells it so.
void catchquit();
bool isquitasked();
