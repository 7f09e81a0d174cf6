// DISP_STATS: frames shown, main-loop passes, and the spread of frame, pass and drawing
// times on the steady clock, written as "name value" lines when the window closes and
// again at exit.
#include <algorithm>
#include <cstdio>

#include "platform/disp/internal.h"

namespace {

constexpr double dsp_binms = 0.01;
constexpr size_t dsp_nbins = 100000;  // 0.01 ms each: up to 1 s

double dsp_ms(int64_t ns) { return double(ns) * 1e-6; }

}  // namespace

void dsp_hist::add(double ms) {
  if (bins.empty()) bins.assign(dsp_nbins, 0);
  size_t i = ms <= 0 ? 0 : size_t(ms / dsp_binms);
  if (i >= dsp_nbins) i = dsp_nbins - 1;
  ++bins[i];
  ++n;
  if (ms > max) max = ms;
}

// The middle of the bin holding the sample of rank ceil(q·n); the maximum if that is the
// largest sample or lies past the last bin.
double dsp_hist::quantile(double q) const {
  if (n == 0) return 0;
  uint64_t rank = uint64_t(q * double(n));
  if (double(rank) < q * double(n)) ++rank;
  if (rank < 1) rank = 1;
  if (rank >= n) return max;
  uint64_t seen = 0;
  for (size_t i = 0; i + 1 < bins.size(); ++i) {
    seen += bins[i];
    if (seen >= rank) {
      double mid = (double(i) + 0.5) * dsp_binms;
      return mid < max ? mid : max;
    }
  }
  return max;
}

void dsp_statpass() {
  if (!dsp.stats.on) return;
  int64_t now = dsp_steadyns();
  if (dsp.stats.passes++ > 0) dsp.stats.pass.add(dsp_ms(now - dsp.stats.lastpass));
  dsp.stats.lastpass = now;
}

void dsp_statclear() {
  if (dsp.stats.on && dsp.stats.clearat == 0) dsp.stats.clearat = dsp_steadyns();
}

void dsp_statframe(int64_t start, int64_t end) {
  if (!dsp.stats.on) return;
  if (dsp.stats.frames++ > 0) dsp.stats.frame.add(dsp_ms(start - dsp.stats.lastframe));
  dsp.stats.lastframe = start;
  if (dsp.stats.clearat != 0) dsp.stats.draw.add(dsp_ms(end - dsp.stats.clearat));
  dsp.stats.clearat = 0;
}

bool dsp_writestats(bool atexit) {
  auto const& s = dsp.stats;
  char text[1024];
  int const n = snprintf(
      text, sizeof text,
      "frames %llu\npasses %llu\npumps %llu\n"
      "frame_ms_median %.3f\nframe_ms_p99 %.3f\nframe_ms_max %.3f\n"
      "pass_ms_median %.3f\npass_ms_p99 %.3f\npass_ms_max %.3f\ndraw_ms_median %.3f\n",
      (unsigned long long)s.frames, (unsigned long long)s.passes, (unsigned long long)s.pumps,
      s.frame.quantile(0.5), s.frame.quantile(0.99), s.frame.max, s.pass.quantile(0.5),
      s.pass.quantile(0.99), s.pass.max, s.draw.quantile(0.5));
  dsp_out o;
  if (!dsp_openout(o, dsp.env.statsfile.c_str(), false) ||
      !dsp_writeout(o, text, size_t(std::min(n, int(sizeof text) - 1))) || !dsp_closeout(o))
    return dsp_outfail(o, "DISP_STATS", atexit ? nullptr : "closewin", false);
  return true;
}
