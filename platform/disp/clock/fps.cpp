// A frame counter the caller drives (AddFPS34 per frame), beside the one FreshWin45 keeps
// for GetFPS37.

#include "platform/disp/internal.h"

namespace {

// Keeps the counts of the last second of the library's clock (virtual when it is).
void dsp_dropoldfps(double now) { dsp.sys.fps.drop(now); }

}  // namespace

void dsp_lastsecond::add(double now) {
  if (!runs.empty() && runs.back().first == now)
    ++runs.back().second;
  else
    runs.emplace_back(now, 1);
  ++n;
  drop(now);
}

void dsp_lastsecond::drop(double now) {
  while (!runs.empty() && runs.front().first <= now - 1.0) {
    n -= runs.front().second;
    runs.pop_front();
  }
}

void dsp_lastsecond::clear() {
  runs.clear();
  n = 0;
}

// ---- Entries -------------------------------------------------------------------------

qr_v FreshFPS33() {
  dsp_setup();
  dsp.sys.fps.clear();
}

qr_v AddFPS34() {
  dsp_setup();
  double now = dsp_now();
  dsp.sys.fps.add(now);
}

qr_u GetFPSL35() {
  dsp_setup();
  dsp_dropoldfps(dsp_now());
  return dsp.sys.fps.n;
}

// The rate from the times of the frames of the last second: their intervals over the time
// they span. Once the time since the last frame is longer than their mean interval, that
// open interval counts as well, so the rate sinks smoothly when frames stop coming instead
// of holding the old value for a second. With fewer than two frames, their count.
qr_d GetFPSR36() {
  dsp_setup();
  double now = dsp_now();
  dsp_dropoldfps(now);
  auto const& f = dsp.sys.fps;
  uint64_t n = f.n;
  if (n < 2) return double(n);
  double first = f.runs.front().first, last = f.runs.back().first;
  double span = last - first;
  double intervals = double(n - 1);
  if (span <= 0) return double(n);  // all in one instant of the clock
  if (now - last > span / intervals) return double(n) / (now - first);
  return intervals / span;
}
