// The game's switches, read by the core's one parser per kind. A value the game does not
// understand is never guessed at: the game says which switch and what it takes, in the
// libraries' words, and does not start (where the libraries go on with the default).
#include "game/config.h"

#include <cstdlib>

namespace {

char const* fromenv(char const* name) { return std::getenv(name); }

}  // namespace

switchinfo const gameswitches[5] = {
    {.name = "QUIB_SEED",
     .kind = core_kind::whole,
     .values = "N",
     .def = "from the clock",
     .help = "lay the same course every time",
     .to = &gamesettings::seed,
     .lo = 0,
     .hi = 4294967295.0,
     .given = &gamesettings::seeded},
    {.name = "QUIB_STATS",
     .kind = core_kind::text,
     .values = "FILE",
     .def = "none",
     .help = "write steps, games, deaths, jumps and furthest_loop at exit",
     .to = &gamesettings::stats},
    {.name = "QUIB_DATA_DIR",
     .kind = core_kind::text,
     .values = "D",
     .def = "none",
     .help = "look for the sounds in D/audio when ./audio does not hold them or they do not load",
     .to = &gamesettings::datadir},
    {.name = "QUIB_CHECK",
     .kind = core_kind::flag,
     .values = "1",
     .def = "0",
     .help = "check the game's invariants after every step (exit 3 on a fault)",
     .to = &gamesettings::check},
    {.name = "QUIB_LASTFRAME",
     .kind = core_kind::text,
     .values = "FILE",
     .def = "none",
     .help = "on quitting with Esc, save the picture last shown (BMP)",
     .to = &gamesettings::lastframe},
};

gamesettings readsettings(char const* (*lookup)(char const*), std::string* error) {
  gamesettings s;
  for (switchinfo const& sw : gameswitches) {
    std::string complaint;
    if (!core_readswitch(sw, s, lookup, complaint, true) && error && error->empty())
      *error = complaint;
  }
  return s;
}

gamesettings const& settings() {
  static gamesettings const s = readsettings(fromenv, nullptr);
  return s;
}

gamesettings freshsettings() { return readsettings(fromenv, nullptr); }

bool checksettings(std::FILE* err) {
  std::string error;
  readsettings(fromenv, &error);
  if (error.empty()) return true;
  std::fprintf(err, "quib: %s\n", error.c_str());
  return false;
}

// The help column of the options and keys, or two spaces after a longer name.
std::string switchhelp() { return core_helplines(gameswitches, 19); }

std::string quoted(char const* s, std::size_t max) {
  return core_quote(s, core_quotes::single, max);
}
