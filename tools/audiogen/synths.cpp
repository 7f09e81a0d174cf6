// Oscillator, filter and envelope settings of the pitched voices.
#include "synths.h"

#include <array>
#include <algorithm>
#include <cmath>

#include "dsp.h"

namespace ag {
namespace {

size_t frames(double seconds) { return static_cast<size_t>(seconds * kRate); }

}  // namespace

Mono bass(double note, double gate, double cutoff, double vel) {
  const double hz = midihz(note);
  Adsr env{0.003, 0.09, 0.65, 0.03};
  if (gate > 0.3) env = Adsr{0.04, 0.4, 0.8, 0.12};  // held notes of the quiet bars
  Mono m(frames(env.length(gate)));
  Osc a, b(0.5), sub;
  Svf f;
  for (size_t i = 0; i < m.size(); ++i) {
    double t = static_cast<double>(i) / kRate;
    f.set(cutoff * (1.0 + 2.2 * std::exp(-t / 0.045)), 1.3);
    double saws = 0.5 * (a.saw(hz) + b.saw(hz * 1.006));
    double x = 0.8 * f.lp(saws) + 0.55 * sub.sine();
    m[i] = vel * std::tanh(1.4 * x) * env.at(t, gate);
    a.step(hz);
    b.step(hz * 1.006);
    sub.step(hz);
  }
  return m;
}

Mono pluck(double note, double cutoff, double vel) {
  const double hz = midihz(note);
  Mono m(frames(0.55));
  Osc a, b(0.25);
  Svf f;
  for (size_t i = 0; i < m.size(); ++i) {
    double t = static_cast<double>(i) / kRate;
    f.set(cutoff * (0.22 + 0.78 * std::exp(-t / 0.07)), 1.1);
    double x = f.lp(0.6 * a.saw(hz) + 0.45 * b.square(hz * 1.003));
    double env = fadein(t, 0.002) * std::exp(-t / 0.14);
    m[i] = vel * x * env * fadein(0.55 - t, 0.02);
    a.step(hz);
    b.step(hz * 1.003);
  }
  return m;
}

Mono lead(double note, double gate, double tone, double vel) {
  const double hz = midihz(note);
  Adsr env{0.006, 0.18, 0.72, 0.09};
  Mono m(frames(env.length(gate)));
  Osc a, b(0.3), lfo;
  Svf f;
  for (size_t i = 0; i < m.size(); ++i) {
    double t = static_cast<double>(i) / kRate;
    // Vibrato fades in only on longer notes, as a singer would.
    double depth = 0.18 * std::clamp((t - 0.16) / 0.2, 0.0, 1.0);
    double h = hz * std::exp2(depth * lfo.sine() / 12.0);
    f.set(tone * (1.0 + 1.6 * std::exp(-t / 0.06)), 0.9);
    double x = f.lp(0.55 * a.saw(h) + 0.45 * b.square(h * 1.004, 0.42));
    m[i] = vel * x * env.at(t, gate);
    a.step(h);
    b.step(h * 1.004);
    lfo.step(5.6);
  }
  return m;
}

Audio pad(double note, double gate, const std::function<double(double)>& cutoff, double vel,
          uint64_t seed) {
  constexpr int kVoices = 5;
  const std::array<double, kVoices> cents = {-13.0, -6.0, 0.0, 7.0, 12.0};
  const std::array<double, kVoices> pans = {-0.85, 0.45, 0.0, -0.45, 0.85};
  Adsr env{0.22, 0.6, 0.8, 0.45};
  Audio out(2, frames(env.length(gate)));
  std::array<Osc, kVoices> osc;
  Rng rng(seed);
  for (auto& o : osc) o = Osc(rng.uniform());  // free-running phases, fixed by the seed
  Svf fl, fr;
  const double base = midihz(note);
  for (size_t i = 0; i < out.frames(); ++i) {
    double t = static_cast<double>(i) / kRate;
    double l = 0.0, r = 0.0;
    for (int v = 0; v < kVoices; ++v) {
      double hz = base * std::exp2(cents[v] / 1200.0);
      double x = osc[v].saw(hz);
      osc[v].step(hz);
      double th = (pans[v] + 1.0) * kPi / 4.0;
      l += x * std::cos(th);
      r += x * std::sin(th);
    }
    double c = cutoff(t);
    fl.set(c, 0.75);
    fr.set(c, 0.75);
    double e = vel * env.at(t, gate) / kVoices;
    out.at(i, 0) = fl.lp(l) * e;
    out.at(i, 1) = fr.lp(r) * e;
  }
  return out;
}

}  // namespace ag
