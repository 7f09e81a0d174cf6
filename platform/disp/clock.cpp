// The clock entries: seconds or milliseconds since the library started (real, or virtual
// under DISP_CLOCK=virtual, where only the pauses move time), the pauses, the frame counter.
#include <cerrno>
#include <ctime>

#include "platform/disp/internal.h"

int64_t dsp_steadyns() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double dsp_now() {
  if (dsp.env.virtualclock) return double(dsp.clock.virtualms) / 1000.0;
  return double(dsp_steadyns() - dsp.clock.epochns) * 1e-9;
}

// Frames older than one second no longer count.
static void dsp_dropoldframes(double now) { dsp.clock.frames.drop(now); }

// ---- Entries -------------------------------------------------------------------------

qr_d GetTimeR49() {
  dsp_setup();
  return dsp_now();
}

// The game's only pause: an absolute deadline, so a signal that interrupts the sleep does
// not stretch it, and the usual timer slack of tens of microseconds is all it overshoots.
qr_v Delay28(qe_u ms) {
  dsp_setup();
  if (dsp.env.virtualclock) {
    dsp.clock.virtualms += ms;
    return;
  }
  if (ms == 0) return;
  timespec until;
  clock_gettime(CLOCK_MONOTONIC, &until);
  until.tv_sec += time_t(ms / 1000);
  until.tv_nsec += long(ms % 1000) * 1000000;
  if (until.tv_nsec >= 1000000000) {
    until.tv_sec += 1;
    until.tv_nsec -= 1000000000;
  }
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
}

// The short pause of a loop that waits for something: 1 ms, as Delay28(1).
qr_v Delay29() { Delay28(1); }

// Whole milliseconds of the same clock as GetTimeR49. 64 bits wide, so it never wraps.
qr_u GetTime50() {
  dsp_setup();
  if (dsp.env.virtualclock) return dsp.clock.virtualms;
  int64_t ns = dsp_steadyns() - dsp.clock.epochns;
  return ns > 0 ? qr_u(ns / 1000000) : 0;
}

qr_u GetFPS37() {
  dsp_setup();
  dsp_dropoldframes(dsp_now());
  return dsp.clock.frames.n;
}

// Called by FreshWin45 for every frame shown.
void dsp_countframe(double now) { dsp.clock.frames.add(now); }
