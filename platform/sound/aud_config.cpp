// libsound's environment switches: one table (name, kind, default, one line of help) and one
// parser, so every switch is read by the same rules and the README's table is checked
// against this one (tests/sound/config_test.cpp).
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "platform/sound/aud_internal.h"

aud_switch const aud_switches[] = {
    {"SOUND_LOG", aud_kind::file, "", 0, 0,
     "appends one line per call that changes a loaded sound (play, pause, seek, volume ...)"},
    {"SOUND_LATENCY_LOG", aud_kind::file, "", 0, 0,
     "appends when each play's first sample left the mixer, and the device latency"},
    {"SOUND_PERIOD_MS", aud_kind::number, "3", 0, 200,
     "the mixer's period in ms; 0 keeps OpenAL Soft's own (1024 frames)"},
    {"SOUND_PERIODS", aud_kind::integer, "4", 2, 16, "periods in the device's buffer"},
    {"SOUND_PIPEWIRE", aud_kind::flag, "1", 0, 0,
     "where PipeWire plays the sound, mix straight into a PipeWire stream; 0: through "
     "pipewire-pulse"},
    {"SOUND_RESAMPLER", aud_kind::name, "11th order Sinc", 0, 0,
     "OpenAL Soft's resampler by name, case ignored"},
    {"DISP_CLOCK", aud_kind::name, "real", 0, 0,
     "libdisp's clock; virtual: sounds keep its time, silently, mixed as it moves"},
    {"SOUND_PULSE", aud_kind::flag, "0", 0, 0,
     "1: PulseAudio through a stream of the library's own even where OpenAL Soft reaches it"},
};
size_t const aud_nswitches = sizeof aud_switches / sizeof aud_switches[0];

bool aud_parseflag(char const* v, bool& out) {
  static char const* const yes[] = {"1", "yes", "on", "true"};
  static char const* const no[] = {"0", "no", "off", "false"};
  for (int i = 0; i < 4; ++i) {
    if (!strcasecmp(v, yes[i])) return out = true, true;
    if (!strcasecmp(v, no[i])) return out = false, true;
  }
  return false;
}

// Strict: the whole text is one finite decimal number (an integer where asked) in range;
// no trailing bytes, no hex, no "inf", no leading space.
bool aud_parsenumber(char const* v, double lo, double hi, bool integer, double& out) {
  if (!*v || strchr(" \t\n", *v) || strpbrk(v, "xXpP")) return false;
  errno = 0;
  char* end = nullptr;
  double x = strtod(v, &end);
  if (end == v || *end || errno == ERANGE || !std::isfinite(x)) return false;
  if (integer && x != std::floor(x)) return false;
  if (x < lo || x > hi) return false;
  out = x;
  return true;
}

aud_switch const* aud_findswitch(char const* name) {
  for (auto const& s : aud_switches)
    if (!strcmp(s.name, name)) return &s;
  return nullptr;
}

char const* aud_cfgtext(char const* name) {
  char const* v = getenv(name);
  return v && *v ? v : nullptr;
}

double aud_cfgnumber(char const* name, bool* given) {
  aud_switch const* s = aud_findswitch(name);
  double def = atof(s->def), x = def;
  char const* v = aud_cfgtext(name);
  if (given) *given = false;
  if (!v) return def;
  if (aud_parsenumber(v, s->lo, s->hi, s->kind == aud_kind::integer, x)) {
    if (given) *given = x != def;
    return x;
  }
  aud_warn(name, "sound: %s=%s is not %s %g to %g; using %s", name, aud_quote(v).c_str(),
           s->kind == aud_kind::integer ? "a whole number from" : "a number from", s->lo, s->hi,
           s->def);
  return def;
}

bool aud_cfgvirtual() {
  char const* v = aud_cfgtext("DISP_CLOCK");
  return v && !strcasecmp(v, "virtual");
}

bool aud_cfgflag(char const* name) {
  aud_switch const* s = aud_findswitch(name);
  bool def = false, x = false;
  aud_parseflag(s->def, def);
  char const* v = aud_cfgtext(name);
  if (!v || aud_parseflag(v, x)) return v ? x : def;
  aud_warn(name, "sound: %s=%s is not yes or no (1/0, on/off, true/false); using %s", name,
           aud_quote(v).c_str(), s->def);
  return def;
}
