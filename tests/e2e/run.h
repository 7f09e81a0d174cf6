// Runs the real quib binary as a child process with extra environment variables, and
// reads back what it left: exit status, stderr, the stats files, PNG frames.
#pragma once
#include <map>
#include <string>

struct quibrun {
  int status = -1;  // exit status, or -1 if it did not exit normally
  std::string err;  // what it printed on stderr
};

// Starts `binary` in the repository root (where audio/ lies) with the current
// environment plus `env` (an empty value removes the variable); waits at most
// `seconds` of wall time before killing it.
quibrun runquib(std::map<std::string, std::string> const& env, int seconds = 120);

// `name value` lines of a stats file.
std::map<std::string, double> readstats(std::string const& path);

// The whole contents of a file ("" if missing).
std::string readfile(std::string const& path);

// A fresh empty directory for one test's files.
std::string scratchdir(std::string const& name);

// The colour 0xRRGGBB of pixel (x, y) of a PNG file, or -1 if it cannot be read.
long pngpixel(std::string const& path, int x, int y);
