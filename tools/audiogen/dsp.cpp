// Oscillator, envelope and filter arithmetic declared in dsp.h.
#include "dsp.h"

#include <algorithm>

namespace ag {

uint64_t seedof(uint64_t a, uint64_t b, uint64_t c) {
  // splitmix64 rounds over the three values.
  uint64_t z = 0x9E3779B97F4A7C15ull;
  for (uint64_t v : {a, b, c}) {
    z += v + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
  }
  return z;
}

namespace {
// Residual that removes the aliasing step of a naive discontinuity at phase 0.
double blep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}
}  // namespace

double Osc::saw(double hz) const {
  double dt = std::min(hz / kRate, 0.5);
  return 2.0 * p_ - 1.0 - blep(p_, dt);
}

double Osc::square(double hz, double width) const {
  double dt = std::min(hz / kRate, 0.5);
  double v = p_ < width ? 1.0 : -1.0;
  double q = p_ + (1.0 - width);
  q -= std::floor(q);
  return v + blep(p_, dt) - blep(q, dt);
}

double Adsr::at(double t, double gate) const {
  if (t < 0.0) return 0.0;
  auto held = [this](double u) {
    if (u < attack) return u / attack;
    return sustain + (1.0 - sustain) * std::exp(-(u - attack) / decay);
  };
  if (t < gate) return held(t);
  return held(gate) * std::exp(-(t - gate) / release);
}

double fadein(double t, double width) {
  if (t <= 0.0) return 0.0;
  if (t >= width) return 1.0;
  return 0.5 - 0.5 * std::cos(kPi * t / width);
}

void Svf::set(double hz, double q) {
  hz = std::clamp(hz, 10.0, kRate * 0.45);
  double g = std::tan(kPi * hz / kRate);
  k_ = 1.0 / q;
  a1_ = 1.0 / (1.0 + g * (g + k_));
  a2_ = g * a1_;
  a3_ = g * a2_;
}

Svf::Out Svf::run(double x) {
  double v3 = x - ic2_;
  double v1 = a1_ * ic1_ + a2_ * v3;
  double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
  ic1_ = 2.0 * v1 - ic1_;
  ic2_ = 2.0 * v2 - ic2_;
  return {v2, v1, x - k_ * v1 - v2};
}

namespace {
// RBJ cookbook sections, normalised by a0.
Biquad cookbook(double hz, double q, bool high) {
  double w = 2.0 * kPi * hz / kRate;
  double c = std::cos(w), alpha = std::sin(w) / (2.0 * q);
  double a0 = 1.0 + alpha;
  Biquad f;
  double edge = high ? (1.0 + c) / 2.0 : (1.0 - c) / 2.0;
  f.b0 = edge / a0;
  f.b1 = (high ? -2.0 * edge : 2.0 * edge) / a0;
  f.b2 = edge / a0;
  f.a1 = -2.0 * c / a0;
  f.a2 = (1.0 - alpha) / a0;
  return f;
}
}  // namespace

Biquad Biquad::lowpass(double hz, double q) { return cookbook(hz, q, false); }
Biquad Biquad::highpass(double hz, double q) { return cookbook(hz, q, true); }

}  // namespace ag
