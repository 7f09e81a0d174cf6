// DISP_KEYLOG=FILE: one line per key press, `key NS SYM`, NS being the moment SDL queued the
// event on CLOCK_MONOTONIC, so bench/latency.sh can match it against libsound's play times.
#include "platform/disp/input/keylog.h"

#include <time.h>

#include <cstdio>

#include "platform/disp/internal.h"

void dsp_keylog(SDL_KeyboardEvent const& key) {
  if (key.type != SDL_KEYDOWN || key.repeat) return;
  // Opened at the first key press; a file that cannot be opened or written is told once
  // and the log stops there.
  static dsp_out out;
  static bool const opened = [] {
    if (dsp.env.keylogfile.empty()) return false;
    if (dsp_openout(out, dsp.env.keylogfile.c_str(), true)) return true;
    dsp_outfail(out, "DISP_KEYLOG", "isnextmsg", false);
    return false;
  }();
  if (!opened || out.fd < 0) return;
  // SDL stamps an event in milliseconds of its own clock when it queues it; its age on
  // that clock puts it on the monotonic one, which libsound's latency log uses.
  Uint32 age = SDL_GetTicks() - key.timestamp;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  long long ns = now.tv_sec * 1000000000LL + now.tv_nsec - age * 1000000LL;
  char line[64];
  int const n = snprintf(line, sizeof line, "key %lld %d\n", ns, int(key.keysym.sym));
  if (!dsp_writeout(out, line, size_t(n))) dsp_outfail(out, "DISP_KEYLOG", "isnextmsg", false);
}
