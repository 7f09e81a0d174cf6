// The files the game writes (the recording, the statistics): opened one way, every write
// checked, and a failure said once and kept for the exit status.
#pragma once

#include <cstdio>
#include <string>

// Exit status of a run whose own files could not be written (the recording, the
// statistics, the last frame): the run may have gone well, but its evidence is lost.
constexpr int exitfilelost = 4;

// Opens `path` for writing, truncated: a regular file or a new one only, and never
// blocking (a FIFO without a reader would hold the game). Null with the reason in `why`.
std::FILE* openoutput(char const* path, std::string& why);

// Says once on stderr that `what` (e.g. "the recording") could not be written to `path`,
// and why; isoutputlost() is true from then on.
void outputfailed(char const* what, char const* path, char const* why);

// Flushes and closes `f`, written as `what` into `path`; false after outputfailed() when
// any write, the flush or the close failed. `f` is closed either way.
bool closeoutput(std::FILE* f, char const* what, char const* path);

// Some file of this run could not be written.
bool isoutputlost();
void markoutputlost();

// Opens /dev/null onto any of descriptors 0 to 2 that is closed, so that no file the game
// opens later becomes its standard input, output or error by accident.
void keepstdfds();

// After --help or --version: false after one stderr line when stdout could not take them.
bool flushstdout();
