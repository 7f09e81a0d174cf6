// DISP_STATS: frames shown, main-loop passes, and the spread of frame, pass and drawing
// times on the steady clock, written as "name value" lines when the window closes and
// again at exit.
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

void dsp_writestats() {
  FILE* f = fopen(dsp.env.statsfile.c_str(), "w");
  if (!f) {
    static bool told = false;
    if (!told) dsp_warn("DISP_STATS: cannot write %s", dsp_quote(dsp.env.statsfile).c_str());
    told = true;
    return;
  }
  auto const& s = dsp.stats;
  fprintf(f, "frames %llu\n", (unsigned long long)s.frames);
  fprintf(f, "passes %llu\n", (unsigned long long)s.passes);
  fprintf(f, "pumps %llu\n", (unsigned long long)s.pumps);
  fprintf(f, "frame_ms_median %.3f\n", s.frame.quantile(0.5));
  fprintf(f, "frame_ms_p99 %.3f\n", s.frame.quantile(0.99));
  fprintf(f, "frame_ms_max %.3f\n", s.frame.max);
  fprintf(f, "pass_ms_median %.3f\n", s.pass.quantile(0.5));
  fprintf(f, "pass_ms_p99 %.3f\n", s.pass.quantile(0.99));
  fprintf(f, "pass_ms_max %.3f\n", s.pass.max);
  fprintf(f, "draw_ms_median %.3f\n", s.draw.quantile(0.5));
  fclose(f);
}
