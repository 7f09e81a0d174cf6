// The game's environment switches: one table (name, kind, default, help), read in one
// place with one parser, and the one quoting function for every message that echoes
// something the user gave us.
#pragma once

#include <cstdio>
#include <string>

enum class switchkind {
  seed,  // a whole number from 0 to 4294967295
  flag,  // yes or no: 1/0, yes/no, on/off, true/false, in any case
  file,  // a file the game writes
  dir,   // a directory the game reads from
};

struct switchinfo {
  char const* name;
  switchkind kind;
  char const* value;     // what the help shows after "NAME="
  char const* fallback;  // what an unset or empty switch means
  char const* help;      // one line
};

// Every switch the game reads, in the order --help lists them.
extern switchinfo const gameswitches[5];

// What the switches say, once read.
struct gamesettings {
  bool seeded = false;  // QUIB_SEED given: lay that course instead of one from the clock
  unsigned seed = 0;
  char const* stats = nullptr;      // QUIB_STATS, or null
  char const* datadir = nullptr;    // QUIB_DATA_DIR, or null
  bool check = false;               // QUIB_CHECK
  char const* lastframe = nullptr;  // QUIB_LASTFRAME, or null
};

// Reads the switches from `lookup` (getenv by default). A bad value leaves its default
// in `s` and puts one line naming the switch in `error` (the first bad value only).
gamesettings readsettings(char const* (*lookup)(char const*), std::string* error);

// The settings of this run, read from the environment on first use.
gamesettings const& settings();
// The switches as the environment holds them now, for the few readers that must see a
// change made after start-up (tests that move QUIB_DATA_DIR between sound loads).
gamesettings freshsettings();

// Checks the environment once at start: false after one line on `err` when a switch
// holds a value the game does not understand.
bool checksettings(std::FILE* err);

// Strict parsers, shared with every other place that reads such values.
bool parseflag(char const* s, bool& v);
bool parseseed(char const* s, unsigned& v);

// The help lines of the switches ("  NAME=VALUE   help").
std::string switchhelp();

// `s` fit for one line of a message: non-printable bytes as \xNN, quotes and backslashes
// escaped, cut to about `max` characters with "..." where longer.
std::string quoted(char const* s, std::size_t max = 60);
