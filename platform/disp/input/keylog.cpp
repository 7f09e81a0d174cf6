// DISP_KEYLOG=FILE: one line per key press, `key NS SYM`, NS being the moment the desktop's
// event was queued on CLOCK_MONOTONIC, so bench/latency.sh can match it against libsound's
// play times.
#include "platform/disp/input/keylog.h"

#include <cstdio>

#include "platform/disp/internal.h"

void dsp_keylog(long long ns, int sym) {
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
  char line[64];
  int const n = snprintf(line, sizeof line, "key %lld %d\n", ns, sym);
  if (!dsp_writeout(out, line, size_t(n))) dsp_outfail(out, "DISP_KEYLOG", "isnextmsg", false);
}
