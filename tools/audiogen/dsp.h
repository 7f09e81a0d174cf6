// Building blocks shared by every voice: seeded noise, oscillators, envelopes and filters.
// All of it is plain arithmetic on doubles so that a render gives the same bytes every run.
#pragma once
#include <cmath>
#include <cstdint>
#include <numbers>

namespace ag {

constexpr double kRate = 44100.0;
constexpr double kPi = std::numbers::pi;

// xorshift64*: tiny, fast and the same on every platform, unlike the standard distributions.
class Rng {
 public:
  explicit Rng(uint64_t seed) : s_(seed ? seed : 0x9E3779B97F4A7C15ull) {}
  uint64_t next() {
    s_ ^= s_ >> 12;
    s_ ^= s_ << 25;
    s_ ^= s_ >> 27;
    return s_ * 2685821657736338717ull;
  }
  double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  double bipolar() { return 2.0 * uniform() - 1.0; }

 private:
  uint64_t s_;
};

// Folds values into a well-spread seed, so each drum hit gets its own but repeatable noise.
uint64_t seedof(uint64_t a, uint64_t b = 0, uint64_t c = 0);

inline double midihz(double note) { return 440.0 * std::exp2((note - 69.0) / 12.0); }
inline double dbgain(double db) { return std::pow(10.0, db / 20.0); }
inline double gaindb(double g) { return 20.0 * std::log10(g); }

// Phase accumulator in [0, 1) with band-limited (PolyBLEP) waveforms read from it.
class Osc {
 public:
  explicit Osc(double phase = 0.0) : p_(phase) {}
  double saw(double hz) const;
  double square(double hz, double width = 0.5) const;
  double sine() const { return std::sin(2.0 * kPi * p_); }
  double tri() const { return 1.0 - 4.0 * std::fabs(p_ - 0.5); }
  void step(double hz) {
    p_ += hz / kRate;
    p_ -= std::floor(p_);
  }
  double phase() const { return p_; }

 private:
  double p_;
};

// Attack, decay, sustain, release as a closed-form function of time since note-on, so a
// note's shape never depends on where in the song it starts.
struct Adsr {
  double attack = 0.005, decay = 0.1, sustain = 0.7, release = 0.1;
  double at(double t, double gate) const;
  double length(double gate) const { return gate + release * 7.0; }  // down by ~60 dB
};

// Raised-cosine fade from 0 to 1 over `width` seconds; the edges of every sound use it.
double fadein(double t, double width);

// Topology-preserving state-variable filter (trapezoidal integration): stays stable and
// smooth while its cutoff moves every sample, which the filter sweeps rely on.
class Svf {
 public:
  struct Out {
    double low, band, high;
  };
  void set(double hz, double q);
  Out run(double x);
  double lp(double x) { return run(x).low; }
  double hp(double x) { return run(x).high; }
  double bp(double x) { return run(x).band; }

 private:
  double a1_ = 0, a2_ = 0, a3_ = 0, k_ = 1, ic1_ = 0, ic2_ = 0;
};

// Second-order section in direct form I; used for fixed equalisation and weighting curves.
struct Biquad {
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  double run(double x) {
    double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }
  static Biquad lowpass(double hz, double q);
  static Biquad highpass(double hz, double q);
};

// One-pole smoother / low-pass, cheap enough for feedback paths.
class OnePole {
 public:
  void set(double hz) { c_ = 1.0 - std::exp(-2.0 * kPi * hz / kRate); }
  double lp(double x) { return y_ += c_ * (x - y_); }
  double hp(double x) { return x - lp(x); }

 private:
  double c_ = 1.0, y_ = 0.0;
};

// Gentle saturation that keeps small signals linear.
inline double soft(double x) { return std::tanh(x); }

}  // namespace ag
