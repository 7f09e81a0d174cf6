// Reads libdisp's environment switches (config.h's table) once, each through the one parser
// of its kind with one yes/no rule; a bad value costs one line naming the switch and falls
// back to the default, so a typo never stops the game.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "platform/disp/config.h"
#include "platform/disp/internal.h"

namespace {

dsp_switch const& dsp_switchof(char const* name) {
  for (dsp_switch const& s : dsp_switches)
    if (strcmp(s.name, name) == 0) return s;
  abort();  // a name missing from the table is a mistake in this file
}

// The switch's value; null when unset or empty, which both mean its default.
char const* dsp_envvalue(dsp_switch const& s) {
  char const* v = getenv(s.name);
  return v && *v ? v : nullptr;
}

bool dsp_envflag(char const* name) {
  dsp_switch const& s = dsp_switchof(name);
  bool const def = strcmp(s.def, "1") == 0;
  char const* v = dsp_envvalue(s);
  if (!v) return def;
  static char const* const yes[] = {"1", "yes", "on", "true"};
  static char const* const no[] = {"0", "no", "off", "false"};
  for (char const* y : yes)
    if (strcasecmp(v, y) == 0) return true;
  for (char const* n : no)
    if (strcasecmp(v, n) == 0) return false;
  dsp_warn("%s=%s is not 1 or 0 (nor yes/no, on/off, true/false); using %s", s.name,
           dsp_quote(v).c_str(), s.def);
  return def;
}

bool dsp_envvirtual(char const* name) {
  dsp_switch const& s = dsp_switchof(name);
  char const* v = dsp_envvalue(s);
  if (!v || strcasecmp(v, "real") == 0) return false;
  if (strcasecmp(v, "virtual") == 0) return true;
  dsp_warn("%s=%s is neither \"virtual\" nor \"real\"; using the real clock", s.name,
           dsp_quote(v).c_str());
  return false;
}

// < 0 when unset or bad.
double dsp_envseconds(char const* name) {
  dsp_switch const& s = dsp_switchof(name);
  char const* v = dsp_envvalue(s);
  double at = -1;
  if (v && !dsp_seconds(v, at)) {
    dsp_warn("%s=%s is not a number of seconds >= 0; ignored", s.name, dsp_quote(v).c_str());
    at = -1;
  }
  return at;
}

std::string dsp_envfile(char const* name) {
  char const* v = dsp_envvalue(dsp_switchof(name));
  return v ? v : "";
}

// A side of DISP_SIZE: one to five decimal digits, 1..16384; no sign, no spaces.
bool dsp_side(char const*& p, int& out) {
  long v = 0;
  int digits = 0;
  for (; *p >= '0' && *p <= '9'; ++p, ++digits) {
    if (digits == 5) return false;
    v = v * 10 + (*p - '0');
  }
  if (digits == 0 || v < 1 || v > 16384) return false;
  out = int(v);
  return true;
}

void dsp_envsize(char const* name) {
  dsp_switch const& s = dsp_switchof(name);
  char const* v = dsp_envvalue(s);
  if (!v) return;
  char const* p = v;
  int w = 0, h = 0;
  if (dsp_side(p, w) && (*p == 'x' || *p == 'X') && dsp_side(++p, h) && *p == '\0') {
    dsp.env.sizew = w;
    dsp.env.sizeh = h;
    return;
  }
  dsp_warn("%s=%s is not WIDTHxHEIGHT (each 1..16384); using the canvas's own size", s.name,
           dsp_quote(v).c_str());
}

void dsp_atexit() {
  if (dsp.stats.on) dsp_writestats(true);
}

}  // namespace

// A time in seconds: decimal digits with an optional fraction and exponent, finite, >= 0,
// nothing before or after it (no spaces, signs, hex or "inf").
bool dsp_seconds(char const* s, double& out) {
  if (!((*s >= '0' && *s <= '9') || *s == '.') || strpbrk(s, "xX")) return false;
  errno = 0;
  char* end = nullptr;
  double v = strtod(s, &end);
  if (end == s || *end != '\0' || errno == ERANGE || !std::isfinite(v) || v < 0) return false;
  out = v;
  return true;
}

void dsp_readenv() {
  dsp.clock.epochns = dsp_steadyns();
  dsp.env.headless = dsp_envflag("DISP_HEADLESS");
  dsp.env.virtualclock = dsp_envvirtual("DISP_CLOCK");
  dsp.env.quitat = dsp_envseconds("DISP_QUIT_AT");
  dsp.env.keysfile = dsp_envfile("DISP_KEYS");
  if (!dsp.env.keysfile.empty()) dsp_readkeys(dsp.env.keysfile.c_str());
  std::string const shots = dsp_envfile("DISP_SHOT");
  if (!shots.empty()) dsp_readshots(shots.c_str());
  std::string const pads = dsp_envfile("DISP_PAD_SCRIPT");
  if (!pads.empty()) dsp_readpads(pads.c_str());
  dsp_envsize("DISP_SIZE");
  dsp.env.fullscreen = dsp_envflag("DISP_FULLSCREEN");
  dsp.env.statsfile = dsp_envfile("DISP_STATS");
  dsp.env.keylogfile = dsp_envfile("DISP_KEYLOG");
  dsp.env.cache = dsp_envflag("DISP_CACHE");
  dsp.env.pumpcheck = dsp_envflag("DISP_PUMP_CHECK");
  if (!dsp.env.statsfile.empty()) {
    dsp.stats.on = true;
    atexit(dsp_atexit);
  }
}
