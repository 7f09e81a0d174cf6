// Reads libdisp's environment switches (config.h's table) once, each through the core's one
// parser of its kind; a bad value costs one line naming the switch and what it takes, and
// the default stands, so a typo never stops a program.
#include "platform/disp/config.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/disp/internal.h"

namespace {

char const* dsp_getenv(char const* name) { return getenv(name); }

void dsp_atexit() {
  if (dsp.stats.on) dsp_writestats(true);
}

}  // namespace

bool dsp_seconds(char const* s, double& out) {
  return core_parsenumber(s, 0, INFINITY, false, out);
}

void dsp_readenv() {
  dsp.clock.epochns = dsp_steadyns();
  for (auto const& s : dsp_switches) {
    std::string complaint;
    if (!core_readswitch(s, dsp.env, dsp_getenv, complaint))
      dsp_warn("%s%s", complaint.c_str(), core_goingon(s.def).c_str());
  }
  // The scripts are read once every switch is known.
  if (!dsp.env.keysfile.empty()) dsp_readkeys(dsp.env.keysfile.c_str());
  if (!dsp.env.shots.empty()) dsp_readshots(dsp.env.shots.c_str());
  if (!dsp.env.padscript.empty()) dsp_readpads(dsp.env.padscript.c_str());
  if (!dsp.env.statsfile.empty()) {
    dsp.stats.on = true;
    atexit(dsp_atexit);
  }
}
