// The game's switches and their one parser. A value the game does not understand is never
// guessed at: the game says which switch and what it expected, and does not start.
#include "game/config.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <strings.h>

switchinfo const gameswitches[5] = {
    {"QUIB_SEED", switchkind::seed, "N", "from the clock", "lay the same course every time"},
    {"QUIB_STATS", switchkind::file, "FILE", "none",
     "write steps, games, deaths, jumps and furthest_loop at exit"},
    {"QUIB_DATA_DIR", switchkind::dir, "D", "none",
     "look for the sounds in D/audio when ./audio does not hold them or they do not load"},
    {"QUIB_CHECK", switchkind::flag, "1", "0",
     "check the game's invariants after every step (exit 3 on a fault)"},
    {"QUIB_LASTFRAME", switchkind::file, "FILE", "none",
     "on quitting with Esc, save the picture last shown (BMP)"},
};

namespace {

char const* fromenv(char const* name) { return std::getenv(name); }

}  // namespace

bool parseflag(char const* s, bool& v) {
  for (char const* yes : {"1", "yes", "on", "true"}) {
    if (strcasecmp(s, yes) == 0) return v = true;
  }
  for (char const* no : {"0", "no", "off", "false"}) {
    if (strcasecmp(s, no) == 0) return !(v = false);
  }
  return false;
}

bool parseseed(char const* s, unsigned& v) {
  // Digits only: no sign, no spaces, no base prefix, at most ten of them.
  std::size_t n = std::strspn(s, "0123456789");
  if (n == 0 || s[n] != '\0' || n > 10) return false;
  unsigned long long value = std::strtoull(s, nullptr, 10);
  if (value > 0xFFFFFFFFull) return false;
  v = static_cast<unsigned>(value);
  return true;
}

gamesettings readsettings(char const* (*lookup)(char const*), std::string* error) {
  gamesettings s;
  for (switchinfo const& sw : gameswitches) {
    char const* v = lookup(sw.name);
    if (v == nullptr || *v == '\0') continue;
    // One parser per kind; then the value goes to its setting.
    char const* expected = nullptr;
    unsigned seed = 0;
    bool flag = false;
    if (sw.kind == switchkind::seed && !parseseed(v, seed)) {
      expected = "a whole number from 0 to 4294967295";
    } else if (sw.kind == switchkind::flag && !parseflag(v, flag)) {
      expected = "yes or no (1/0, yes/no, on/off, true/false)";
    }
    std::string name = sw.name;
    if (expected != nullptr) {
      // Left at its default.
    } else if (name == "QUIB_SEED") {
      s.seeded = true;
      s.seed = seed;
    } else if (name == "QUIB_CHECK") {
      s.check = flag;
    } else if (name == "QUIB_STATS") {
      s.stats = v;
    } else if (name == "QUIB_DATA_DIR") {
      s.datadir = v;
    } else if (name == "QUIB_LASTFRAME") {
      s.lastframe = v;
    }
    if (expected != nullptr && error != nullptr && error->empty()) {
      *error = name + "=" + quoted(v) + " is not " + expected;
    }
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

std::string switchhelp() {
  std::string out;
  for (switchinfo const& sw : gameswitches) {
    std::string left = std::string("  ") + sw.name + "=" + sw.value;
    // The help column of the options and keys, or two spaces after a longer name.
    left.resize(std::max<std::size_t>(left.size() + 2, 19), ' ');
    out += left + sw.help + "\n";
  }
  return out;
}

std::string quoted(char const* s, std::size_t max) {
  std::string out = "'";
  std::size_t shown = 0;
  for (; *s != '\0'; ++s) {
    if (shown >= max) {
      out += "...";
      break;
    }
    unsigned char c = static_cast<unsigned char>(*s);
    if (c == '\'' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
    ++shown;
  }
  return out + "'";
}
