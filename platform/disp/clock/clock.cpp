// The clock entries: seconds or milliseconds since the library started, on the real clock
// or, under DISP_CLOCK=virtual, on one that only the pauses move; the frame counter.
#include <cerrno>
#include <cstdint>
#include <ctime>

#include "platform/disp/backend.h"
#include "platform/disp/internal.h"

int64_t dsp_steadyns() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double dsp_now() { return dsp_clk().now(); }

namespace {

// ---- The real clock ------------------------------------------------------------------

double dsp_realnow() { return double(dsp_steadyns() - dsp.clock.epochns) * 1e-9; }

uint64_t dsp_realms() {
  int64_t ns = dsp_steadyns() - dsp.clock.epochns;
  return ns > 0 ? uint64_t(ns / 1000000) : 0;
}

// Real pauses end on a millisecond grid of the library's clock: at the first tick at least
// ms - 1/2 ms away. A loop that pauses 1 ms per pass then runs exactly 1,000 passes a
// second, whatever its own work costs up to half a millisecond, instead of 1 ms plus the
// wake-up and the work; so a step or a frame that falls due is taken on the next tick,
// never later, and frames come out evenly spaced. The deadline is absolute, so a signal
// that interrupts the sleep does not stretch it either.
void dsp_realpause(uint64_t ms) {
  if (ms == 0) return;
  constexpr int64_t tick = 1000000;
  constexpr uint64_t longest = uint64_t(1) << 40;  // ms of about 35 years: ns fit in 63 bits
  int64_t now = dsp_steadyns();
  int64_t since = now - dsp.clock.epochns + int64_t(ms < longest ? ms : longest) * tick - tick / 2;
  int64_t until = dsp.clock.epochns + (since + tick - 1) / tick * tick;
  timespec ts{time_t(until / 1000000000), long(until % 1000000000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
  }
}

// ---- The virtual clock ---------------------------------------------------------------

double dsp_virtualnow() { return double(dsp.clock.virtualms) / 1000.0; }
uint64_t dsp_virtualms() { return dsp.clock.virtualms; }

// Stops at the largest count instead of wrapping round to 0: a clock that jumped back to
// the start would make every wait for a later time wait for ever. A clock at its end
// stands still, and the waits notice that.
void dsp_virtualpause(uint64_t ms) {
  uint64_t& t = dsp.clock.virtualms;
  t = ms > UINT64_MAX - t ? UINT64_MAX : t + ms;
}

}  // namespace

dsp_clockops const dsp_realclock = {"real", false, dsp_realnow, dsp_realms, dsp_realpause};
dsp_clockops const dsp_virtualclock = {"virtual", true, dsp_virtualnow, dsp_virtualms,
                                       dsp_virtualpause};

// Frames older than one second no longer count.
static void dsp_dropoldframes(double now) { dsp.clock.frames.drop(now); }

// ---- Entries -------------------------------------------------------------------------

qr_d GetTimeR49() {
  dsp_setup();
  return dsp_now();
}

// The game's only pause.
qr_v Delay28(qe_u ms) {
  dsp_setup();
  dsp_clk().pause(ms);
}

// The short pause of a loop that waits for something: 1 ms, as Delay28(1).
qr_v Delay29() {
  dsp_setup();
  dsp_clk().pause(1);
}

// Whole milliseconds of the same clock as GetTimeR49. 64 bits wide, so it never wraps.
qr_u GetTime50() {
  dsp_setup();
  return dsp_clk().ms();
}

qr_u GetFPS37() {
  dsp_setup();
  dsp_dropoldframes(dsp_now());
  return dsp.clock.frames.n;
}

// Called by FreshWin45 for every frame shown.
void dsp_countframe(double now) { dsp.clock.frames.add(now); }
