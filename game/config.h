// The game's environment switches: one table of the core's rows (name, kind, what it takes,
// default, help, the setting it fills), read in one place by the core's parsers, and the
// game's name for the one quoting function of every message that echoes what a user gave.
#pragma once

#include <cstdio>
#include <string>

#include "platform/core/quote.h"
#include "platform/core/switches.h"

// What the switches say, once read.
struct gamesettings {
  bool seeded = false;  // QUIB_SEED given: lay that course instead of one from the clock
  unsigned seed = 0;
  char const* stats = nullptr;      // QUIB_STATS, or null
  char const* datadir = nullptr;    // QUIB_DATA_DIR, or null
  bool check = false;               // QUIB_CHECK
  char const* lastframe = nullptr;  // QUIB_LASTFRAME, or null
};

using switchinfo = core_switch<gamesettings>;

// Every switch the game reads, in the order --help lists them.
extern switchinfo const gameswitches[5];

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

// The help lines of the switches ("  NAME=VALUE   help").
std::string switchhelp();

// `s` fit for one line of a message, in single quotes (see core_quote).
std::string quoted(char const* s, std::size_t max = core_quotemax);
