// Synthesis of the drum voices: pitched sines for the low end, shaped noise for the rest.
// Everything noisy is band-limited well below 10 kHz, because the game may play the music
// four times faster and bright hats would then turn into hiss.
#include "drums.h"

#include <algorithm>
#include <cmath>

#include "dsp.h"

namespace ag {
namespace {

size_t frames(double seconds) { return static_cast<size_t>(seconds * kRate); }

// Fades the last few milliseconds so a hit never ends on a step.
void tailfade(Mono& m, double seconds = 0.01) {
  size_t n = std::min(m.size(), frames(seconds));
  for (size_t i = 0; i < n; ++i)
    m[m.size() - 1 - i] *= fadein(static_cast<double>(i) / kRate, seconds);
}

}  // namespace

Mono kick(double vel) {
  Mono m(frames(0.34));
  Osc body;
  Rng rng(seedof(1));
  Svf click;
  click.set(2500.0, 0.7);
  for (size_t i = 0; i < m.size(); ++i) {
    double t = static_cast<double>(i) / kRate;
    double hz = 47.0 + 95.0 * std::exp(-t / 0.03) + 120.0 * std::exp(-t / 0.005);
    double amp = t < 0.03 ? 1.0 : std::exp(-(t - 0.03) / 0.11);
    double x = std::tanh(1.8 * body.sine() * amp) / std::tanh(1.8);
    x += 0.18 * click.lp(rng.bipolar()) * std::exp(-t / 0.004);
    m[i] = vel * x * fadein(t, 0.0008);
    body.step(hz);
  }
  tailfade(m);
  return m;
}

Mono clap(double vel, uint64_t seed) {
  Mono m(frames(0.38));
  Rng rng(seed);
  Svf band, low;
  band.set(1250.0, 0.9);
  low.set(5200.0, 0.7);
  Osc tone;
  for (size_t i = 0; i < m.size(); ++i) {
    double t = static_cast<double>(i) / kRate;
    // Three quick slaps and a short room tail: what makes a clap sound like hands.
    double env = 0.0;
    for (double at : {0.0, 0.010, 0.021})
      if (t >= at) env = std::max(env, std::exp(-(t - at) / 0.0055));
    if (t >= 0.03) env = std::max(env, 0.55 * std::exp(-(t - 0.03) / 0.085));
    double noise = low.lp(band.bp(rng.bipolar()));
    double body = 0.35 * tone.sine() * std::exp(-t / 0.035);
    tone.step(185.0);
    m[i] = vel * (2.2 * noise * env + body) * fadein(t, 0.0008);
  }
  tailfade(m);
  return m;
}

Mono snare(double vel, uint64_t seed) {
  Mono m(frames(0.18));
  Rng rng(seed);
  Svf band, low;
  band.set(1900.0, 0.6);
  low.set(6000.0, 0.7);
  Osc tone;
  for (size_t i = 0; i < m.size(); ++i) {
    double t = static_cast<double>(i) / kRate;
    double noise = low.lp(band.bp(rng.bipolar())) * std::exp(-t / 0.05);
    double body = 0.5 * tone.sine() * std::exp(-t / 0.03);
    tone.step(200.0 - 30.0 * t / 0.18);
    m[i] = vel * (1.6 * noise + body) * fadein(t, 0.0008);
  }
  tailfade(m);
  return m;
}

Mono hat(double vel, double decay, uint64_t seed) {
  Mono m(frames(std::min(0.05 + decay * 6.0, 0.6)));
  Rng rng(seed);
  Svf high, low1, low2;
  high.set(4600.0, 0.7);
  low1.set(7500.0, 0.6);
  low2.set(7500.0, 1.0);
  for (size_t i = 0; i < m.size(); ++i) {
    double t = static_cast<double>(i) / kRate;
    double noise = low2.lp(low1.lp(high.hp(rng.bipolar())));
    m[i] = vel * 1.6 * noise * std::exp(-t / decay) * fadein(t, 0.0005);
  }
  tailfade(m, 0.005);
  return m;
}

Mono crash(double vel, uint64_t seed) {
  Mono m(frames(2.2));
  Rng rng(seed);
  Svf high, low;
  high.set(1800.0, 0.6);
  low.set(6500.0, 0.6);
  Osc ring[4] = {Osc(0.1), Osc(0.4), Osc(0.7), Osc(0.2)};
  const double ringhz[4] = {1317.0, 1853.0, 2411.0, 3127.0};  // inharmonic shimmer
  for (size_t i = 0; i < m.size(); ++i) {
    double t = static_cast<double>(i) / kRate;
    double metal = 0.0;
    for (int k = 0; k < 4; ++k) metal += ring[k].square(ringhz[k]), ring[k].step(ringhz[k]);
    double x = low.lp(high.hp(rng.bipolar() + 0.08 * metal));
    m[i] = vel * 1.3 * x * std::exp(-t / 0.55) * fadein(t, 0.003);
  }
  tailfade(m, 0.1);
  return m;
}

Mono boom(double vel) {
  Mono m(frames(1.1));
  Osc o;
  for (size_t i = 0; i < m.size(); ++i) {
    double t = static_cast<double>(i) / kRate;
    m[i] = vel * o.sine() * std::exp(-t / 0.35) * fadein(t, 0.004);
    o.step(36.0 + 34.0 * std::exp(-t / 0.25));
  }
  tailfade(m, 0.05);
  return m;
}

Mono riser(double seconds, uint64_t seed) {
  Mono m(frames(seconds));
  Rng rng(seed);
  Svf band;
  Osc saw[2] = {Osc(0.0), Osc(0.37)};
  Svf sawlow;
  for (size_t i = 0; i < m.size(); ++i) {
    double t = static_cast<double>(i) / kRate, u = t / seconds;
    band.set(300.0 * std::pow(5500.0 / 300.0, u), 1.8);
    double swell = u * u;
    double hz = 110.0 * std::pow(4.0, u);
    double tone = 0.5 * (saw[0].saw(hz) + saw[1].saw(hz * 1.012));
    saw[0].step(hz);
    saw[1].step(hz * 1.012);
    sawlow.set(600.0 + 2400.0 * u, 0.8);
    m[i] = swell * (1.4 * band.bp(rng.bipolar()) + 0.25 * sawlow.lp(tone)) * fadein(t, 0.01);
  }
  tailfade(m, 0.02);
  return m;
}

}  // namespace ag
