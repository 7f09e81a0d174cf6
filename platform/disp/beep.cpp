// The beep entries: a tone queued by the backend (through the desktop's audio), so the
// call returns at once and a row of calls plays a tune while the program goes on.
// Headless, or with no audio device, nothing is played and nothing waits.
#include <cmath>

#include "platform/disp/internal.h"

namespace {

// Queues `ms` of a tone of `freq` Hz (headless: nothing).
void dsp_tone(unsigned long freq, unsigned long ms) {
  dsp_setup();
  if (ms == 0) return;
  dsp_be().tone(freq, ms > dsp_tonemax ? dsp_tonemax : ms);
}

}  // namespace

// ---- Entries -------------------------------------------------------------------------

qr_v Sound30(qe_u freq, qe_u ms) { dsp_tone(freq, ms); }

// The length in seconds; 0 or less: nothing (and an error unless 0), as for a NaN.
qr_v Sound31(qe_u freq, qe_d seconds) {
  if (!(seconds > 0)) {
    if (seconds != 0) dsp_fail(dsp_earg, __func__, "length %g s is not a usable time", seconds);
    return;
  }
  double ms = std::round(seconds * 1000.0);
  dsp_tone(freq, ms >= double(dsp_tonemax) ? dsp_tonemax : (unsigned long)ms);
}

// A beep of 200 ms.
qr_v Sound32(qe_u freq) { dsp_tone(freq, 200); }
