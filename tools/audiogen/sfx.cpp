// Synthesis of the four effects. Fundamentals stay between 200 Hz and 1.2 kHz and the
// harmonics are filtered, because the game raises every sound by up to two octaves.
#include "sfx.h"

#include <algorithm>
#include <cmath>

#include "dsp.h"
#include "loudness.h"

namespace ag {
namespace {

Audio buffer(double seconds) { return Audio(1, static_cast<size_t>(seconds * kRate)); }

// Fades both edges so no effect starts or stops on a step.
void edges(Audio& a, double in, double out) {
  for (size_t i = 0; i < a.frames(); ++i) {
    double t = static_cast<double>(i) / kRate;
    double left = static_cast<double>(a.frames() - 1 - i) / kRate;
    a.s[i] *= fadein(t, in) * fadein(left, out);
  }
}

}  // namespace

Audio flipin() {
  Audio a = buffer(0.12);
  Osc o;
  for (size_t i = 0; i < a.frames(); ++i) {
    double t = static_cast<double>(i) / kRate;
    double hz = 470.0 * std::pow(2.0, std::min(t / 0.075, 1.0));  // up an octave
    double round = o.sine() + 0.22 * std::sin(4.0 * kPi * o.phase()) + 0.1 * o.tri();
    a.s[i] = round * std::exp(-t / 0.05);
    o.step(hz);
  }
  edges(a, kEdgeFade, 0.02);
  return a;
}

Audio flipout() {
  Audio a = buffer(0.11);
  Osc o;
  Svf f;
  for (size_t i = 0; i < a.frames(); ++i) {
    double t = static_cast<double>(i) / kRate;
    double hz = 820.0 * std::pow(0.5, std::min(t / 0.07, 1.0));  // down an octave
    f.set(2600.0 - 12000.0 * t, 0.9);
    a.s[i] = f.lp(o.square(hz, 0.32)) * std::exp(-t / 0.045);
    o.step(hz);
  }
  edges(a, kEdgeFade, 0.02);
  return a;
}

Audio jumped() {
  // A major arpeggio (A4 C#5 E5 A5) against the music's A minor: it sounds like a win.
  const double notes[] = {69, 73, 76, 81};
  const double step = 0.034;
  Audio a = buffer(0.27);
  for (int n = 0; n < 4; ++n) {
    const double hz = midihz(notes[n]);
    const bool last = n == 3;
    Osc saw, sq(0.25), bell, bell2;
    Svf f;
    size_t at = static_cast<size_t>(n * step * kRate);
    for (size_t i = at; i < a.frames(); ++i) {
      double t = static_cast<double>(i - at) / kRate;
      f.set(5200.0 * (0.4 + 0.6 * std::exp(-t / 0.05)), 1.0);
      double x = f.lp(0.5 * saw.saw(hz) + 0.35 * sq.square(hz * 1.004));
      x += 0.3 * bell.sine() + (last ? 0.18 * bell2.sine() : 0.0);  // octave and twelfth shine
      double env = fadein(t, 0.002) * std::exp(-t / (last ? 0.085 : 0.045));
      a.s[i] += (last ? 1.0 : 0.8) * x * env;
      saw.step(hz);
      sq.step(hz * 1.004);
      bell.step(hz * 2.0);
      bell2.step(hz * 3.0);
    }
  }
  edges(a, kEdgeFade, 0.03);
  return a;
}

Audio died() {
  Audio a = buffer(0.72);
  Osc saw, sub, wob;
  Svf f, hiss;
  Rng rng(seedof(4, 4));
  hiss.set(2200.0, 0.7);
  for (size_t i = 0; i < a.frames(); ++i) {
    double t = static_cast<double>(i) / kRate;
    // Three octaves down with a widening wobble: the ball losing its grip.
    double hz = 440.0 * std::pow(0.125, std::min(t / 0.62, 1.0));
    hz *= 1.0 + (0.02 + 0.05 * t) * wob.sine();
    f.set(250.0 + 3200.0 * std::exp(-t / 0.18), 2.2);
    double x = f.lp(saw.saw(hz) + 0.6 * sub.square(hz * 0.5));
    x += 0.5 * hiss.lp(rng.bipolar()) * std::exp(-t / 0.035);
    a.s[i] = std::tanh(1.3 * x) * std::exp(-t / 0.26);
    saw.step(hz);
    sub.step(hz * 0.5);
    wob.step(13.0);
  }
  edges(a, kEdgeFade, 0.06);
  return a;
}

const std::array<Effect, 4>& effects() {
  static const std::array<Effect, 4> list = {{
      {"sj1.wav", flipin, -13.0},
      {"sj2.wav", flipout, -13.0},
      {"sj3.wav", jumped, -12.0},
      {"sj4.wav", died, -14.0},
  }};
  return list;
}

Audio rendereffect(const Effect& e) {
  Audio a = e.make();
  double gain = dbgain(e.lufs - activelufs(a));
  gain = std::min(gain, dbgain(kEffectCeilingDb - peakdb(a)));
  for (double& v : a.s) v *= gain;
  return a;
}

}  // namespace ag
