// Runs the real quib binary as a child process with extra environment variables, and
// reads back what it left: exit status, stderr, the stats files, PNG frames.
#pragma once
#include <map>
#include <string>
#include <vector>

struct quibrun {
  int status = -1;  // exit status, or -1 if it did not exit normally
  int signal = 0;   // the signal that ended it, if one did
  std::string err;  // what it printed on stderr
  std::string out;  // what it printed on stdout
};

// What else a run may need: arguments, another working directory, a signal sent to it.
struct quibopts {
  std::vector<std::string> args;
  std::string cwd = QUIB_SOURCE_DIR;
  int seconds = 120;
  int signal = 0;  // sent once `signalafter` seconds have passed
  double signalafter = 0;
};
quibrun runquib(std::map<std::string, std::string> const& env, quibopts const& opts);

// Starts `binary` in the repository root (where audio/ lies) with the current
// environment plus `env` (an empty value removes the variable); waits at most
// `seconds` of wall time before killing it.
quibrun runquib(std::map<std::string, std::string> const& env, int seconds = 120);

// `name value` lines of a stats file.
std::map<std::string, double> readstats(std::string const& path);

// The whole contents of a file ("" if missing).
std::string readfile(std::string const& path);

// A fresh empty directory for one test's files, removed when the test program exits.
std::string scratchdir(std::string const& name);

// The colour 0xRRGGBB of pixel (x, y) of a PNG file, or -1 if it cannot be read.
long pngpixel(std::string const& path, int x, int y);
