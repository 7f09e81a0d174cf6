// The command line. Without options the game starts as it always has; the options add
// help, the version, full screen, and recording or replaying a run.
#pragma once

#include <cstdio>
#include <string>

#include "game/config.h"  // quoted(), for the messages that name an argument

struct options {
  bool fullscreen = false;
  char const* record = nullptr;  // file to record the run into
  char const* replay = nullptr;  // recording to play back
};

// Reads the arguments into `o`. Returns -1 when the game is to start; otherwise the exit
// status, after the help or the version on `out` (0) or a usage error on `err` (2).
int parseargs(int argc, char const* const* argv, options& o, std::FILE* out, std::FILE* err);
