// Tone shaping and the lookahead limiter of the master bus.
#include "master.h"

#include <algorithm>
#include <cmath>
#include <deque>

#include "dsp.h"

namespace ag {

void toneshape(Audio& a) {
  for (int c = 0; c < a.channels; ++c) {
    Biquad h1 = Biquad::highpass(30.0, 0.707), l1 = Biquad::lowpass(9500.0, 0.54),
           l2 = Biquad::lowpass(9500.0, 1.31);  // 4th-order Butterworth
    for (size_t i = 0; i < a.frames(); ++i) a.at(i, c) = l2.run(l1.run(h1.run(a.at(i, c))));
  }
}

void scale(Audio& a, double gain) {
  for (double& v : a.s) v *= gain;
}

void limit(Audio& a, double ceilingdb, double lookahead, double release) {
  const size_t n = a.frames();
  const size_t w = std::max<size_t>(1, static_cast<size_t>(lookahead * kRate));
  const double ceiling = dbgain(ceilingdb);

  // Gain each frame needs on its own.
  std::vector<double> need(n, 1.0);
  for (size_t i = 0; i < n; ++i) {
    double m = 0.0;
    for (int c = 0; c < a.channels; ++c) m = std::max(m, std::fabs(a.at(i, c)));
    if (m > ceiling) need[i] = ceiling / m;
  }

  // Smallest need over the coming window (monotone deque), then the release curve.
  std::vector<double> held(n);
  std::deque<size_t> q;
  size_t next = 0;
  const double rc = 1.0 - std::exp(-1.0 / (release * kRate));
  double g = 1.0;
  for (size_t i = 0; i < n; ++i) {
    for (; next < std::min(n, i + w); ++next) {
      while (!q.empty() && need[q.back()] >= need[next]) q.pop_back();
      q.push_back(next);
    }
    while (q.front() < i) q.pop_front();
    g = std::min(need[q.front()], g + (1.0 - g) * rc);
    held[i] = g;
  }

  // Averaging over the same window turns the steps into ramps; since every held value in
  // the window already covers the frame, the average never lets a peak through.
  double sum = 0.0;
  for (size_t i = 0; i < n; ++i) {
    sum += held[i];
    if (i >= w) sum -= held[i - w];
    double count = static_cast<double>(std::min(i + 1, w));
    double gi = std::min(sum / count, need[i]);  // the min guards rounding in the running sum
    for (int c = 0; c < a.channels; ++c) a.at(i, c) *= gi;
  }
}

}  // namespace ag
