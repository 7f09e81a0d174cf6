// libsound's environment switches: one table of the core's rows (name, kind, what it takes,
// default, one line of help, the variable it sets), each read through the core's one parser
// of its kind when the library needs it; the README's table is checked against this one
// (tests/sound/config_test.cpp).
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/sound/aud_internal.h"

namespace {

// What the switches say, as last read. Switches are read when the library needs them
// (opening an output, a device after a loss), from whichever thread does; `aud_cfglock`
// keeps two readers from writing here at once.
aud_settings aud_cfg;
std::mutex aud_cfglock;

char const* aud_getenv(char const* name) { return getenv(name); }

}  // namespace

aud_switch const aud_switches[] = {
    {"SOUND_LOG", core_kind::text, "FILE", "",
     "appends one line per call that changes a loaded sound (play, pause, seek, volume ...)",
     &aud_settings::log},
    {"SOUND_LATENCY_LOG", core_kind::text, "FILE", "",
     "appends when each play's first sample left the mixer, and the device latency",
     &aud_settings::latencylog},
    {"SOUND_PERIOD_MS", core_kind::number, "MS", "3",
     "the mixer's period in ms; 0 keeps OpenAL Soft's own (1024 frames)", &aud_settings::periodms,
     0, 200},
    {"SOUND_PERIODS", core_kind::whole, "N", "4", "periods in the device's buffer",
     &aud_settings::periods, 2, 16},
    {"SOUND_PIPEWIRE", core_kind::flag, "0", "1",
     "where PipeWire plays the sound, mix straight into a PipeWire stream; 0: through "
     "pipewire-pulse",
     &aud_settings::pipewire},
    {"SOUND_RESAMPLER", core_kind::text, "NAME", "11th order Sinc",
     "OpenAL Soft's resampler by name, case ignored", &aud_settings::resampler},
    {"SOUND_PULSE", core_kind::flag, "0", "0",
     "1: PulseAudio through a stream of the library's own even where OpenAL Soft reaches it",
     &aud_settings::pulse},
};
size_t const aud_nswitches = sizeof aud_switches / sizeof aud_switches[0];

bool aud_parseflag(char const* v, bool& out) { return core_parseflag(v, out); }

bool aud_parsenumber(char const* v, double lo, double hi, bool integer, double& out) {
  return core_parsenumber(v, lo, hi, integer, out);
}

aud_switch const* aud_findswitch(char const* name) {
  for (auto const& s : aud_switches)
    if (!strcmp(s.name, name)) return &s;
  return nullptr;
}

// Reads `s` now into its variable and hands `take` the variable while the lock is held; a
// bad value is said (once per switch) after the lock is let go.
template <class Take>
auto aud_read(aud_switch const& s, Take take) {
  std::string complaint;
  bool good;
  decltype(take()) out;
  {
    std::lock_guard hold(aud_cfglock);
    good = core_readswitch(s, aud_cfg, aud_getenv, complaint);
    out = take();
  }
  if (!good) aud_warn(s.name, "sound: %s%s", complaint.c_str(), core_goingon(s.def).c_str());
  return out;
}

char const* aud_cfgtext(char const* name) {
  aud_switch const& s = *aud_findswitch(name);
  char const* v =
      aud_read(s, [&] { return aud_cfg.*std::get<char const * aud_settings::*>(s.to); });
  return v && *v ? v : nullptr;
}

double aud_cfgnumber(char const* name, bool* given) {
  aud_switch const& s = *aud_findswitch(name);
  double const x = aud_read(s, [&] { return aud_cfg.*std::get<double aud_settings::*>(s.to); });
  if (given) *given = x != atof(s.def);
  return x;
}

bool aud_cfgflag(char const* name) {
  aud_switch const& s = *aud_findswitch(name);
  return aud_read(s, [&] { return aud_cfg.*std::get<bool aud_settings::*>(s.to); });
}

// libdisp's own switch, read through the same rule until the facade hands libsound the
// clock itself; libdisp names a bad value, so nothing is said here.
bool aud_cfgvirtual() {
  char const* v = getenv("DISP_CLOCK");
  return v && core_parsechoice(v, "real|virtual") == 1;
}
