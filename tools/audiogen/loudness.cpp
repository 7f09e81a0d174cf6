// K-weighting filter and block gating of the loudness meter.
#include "loudness.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "dsp.h"

namespace ag {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// The two K-weighting stages (head-related high shelf, then the RLB high-pass), derived
// from their analogue prototypes so they hold at any sample rate, not only 48 kHz.
Biquad kshelf() {
  const double f0 = 1681.974450955533, gain = 3.999843853973347, q = 0.7071752369554196;
  double k = std::tan(kPi * f0 / kRate);
  double vh = std::pow(10.0, gain / 20.0);
  double vb = std::pow(vh, 0.4996667741545416);
  double a0 = 1.0 + k / q + k * k;
  Biquad f;
  f.b0 = (vh + vb * k / q + k * k) / a0;
  f.b1 = 2.0 * (k * k - vh) / a0;
  f.b2 = (vh - vb * k / q + k * k) / a0;
  f.a1 = 2.0 * (k * k - 1.0) / a0;
  f.a2 = (1.0 - k / q + k * k) / a0;
  return f;
}

Biquad krlb() {
  const double f0 = 38.13547087602444, q = 0.5003270373238773;
  double k = std::tan(kPi * f0 / kRate);
  double a0 = 1.0 + k / q + k * k;
  Biquad f;
  f.b0 = 1.0;
  f.b1 = -2.0;
  f.b2 = 1.0;
  f.a1 = 2.0 * (k * k - 1.0) / a0;
  f.a2 = (1.0 - k / q + k * k) / a0;
  return f;
}

// K-weighted power of each frame, summed over channels (all weighted 1: no surround here).
std::vector<double> kpower(const Audio& a) {
  std::vector<double> p(a.frames(), 0.0);
  for (int c = 0; c < a.channels; ++c) {
    Biquad s = kshelf(), h = krlb();
    for (size_t i = 0; i < a.frames(); ++i) {
      double y = h.run(s.run(a.at(i, c)));
      p[i] += y * y;
    }
  }
  return p;
}

double tolufs(double power) { return power > 0.0 ? -0.691 + 10.0 * std::log10(power) : -kInf; }

// Mean power of each 400 ms block, stepping 100 ms.
std::vector<double> blockpower(const Audio& a) {
  const size_t hop = static_cast<size_t>(kRate / 10.0), block = 4 * hop;
  std::vector<double> p = kpower(a), out;
  std::vector<double> hops;
  for (size_t i = 0; i + hop <= p.size(); i += hop) {
    double sum = 0.0;
    for (size_t j = i; j < i + hop; ++j) sum += p[j];
    hops.push_back(sum);
  }
  for (size_t h = 0; h + 4 <= hops.size(); ++h)
    out.push_back((hops[h] + hops[h + 1] + hops[h + 2] + hops[h + 3]) / static_cast<double>(block));
  return out;
}

}  // namespace

std::vector<double> momentarylufs(const Audio& a) {
  std::vector<double> out;
  for (double p : blockpower(a)) out.push_back(tolufs(p));
  return out;
}

double integratedlufs(const Audio& a) {
  std::vector<double> blocks = blockpower(a);
  auto gatedmean = [&](double threshold) {
    double sum = 0.0;
    size_t n = 0;
    for (double p : blocks)
      if (tolufs(p) > threshold) sum += p, ++n;
    return n ? sum / static_cast<double>(n) : 0.0;
  };
  double absolute = gatedmean(-70.0);
  if (absolute <= 0.0) return -kInf;
  return tolufs(gatedmean(std::max(-70.0, tolufs(absolute) - 10.0)));
}

double activelufs(const Audio& a) {
  std::vector<double> p = kpower(a);
  double sum = 0.0;
  for (double v : p) sum += v;
  return p.empty() ? -kInf : tolufs(sum / static_cast<double>(p.size()));
}

}  // namespace ag
