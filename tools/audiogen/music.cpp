// Renders the score into stems, mixes them with ducking and send effects, masters the mix
// and cuts the loop so that the file repeats seamlessly between the game's loop points.
#include "music.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "drums.h"
#include "dsp.h"
#include "fx.h"
#include "loudness.h"
#include "master.h"
#include "score.h"
#include "synths.h"

namespace ag {
namespace {

// Rendering: the intro, the loop twice and one more bar. The second pass of the loop is the
// one kept, since everything still sounding at its start (reverb, echoes, releases) comes
// from the end of the first pass, exactly as it will after every jump back.
constexpr int kLoops = 2;
constexpr int kExtraBars = 1;
constexpr int kTailBars = 2;         // how much of the loop's start is repeated after kLoopEnd
constexpr double kRoomReturn = 1.2;  // reverb return level

size_t framesof(long tick) { return static_cast<size_t>(std::floor(frameat(double(tick)))); }

// Adds a mono voice with constant-power panning.
void place(Audio& dst, long tick, const Mono& m, double gain, double pan) {
  size_t at = framesof(tick);
  double th = (std::clamp(pan, -1.0, 1.0) + 1.0) * kPi / 4.0;
  double gl = gain * std::cos(th) * std::sqrt(2.0), gr = gain * std::sin(th) * std::sqrt(2.0);
  for (size_t i = 0; i < m.size() && at + i < dst.frames(); ++i) {
    dst.at(at + i, 0) += m[i] * gl;
    dst.at(at + i, 1) += m[i] * gr;
  }
}

void place(Audio& dst, long tick, const Audio& st, double gain) {
  size_t at = framesof(tick);
  for (size_t i = 0; i < st.frames() && at + i < dst.frames(); ++i) {
    dst.at(at + i, 0) += st.at(i, 0) * gain;
    dst.at(at + i, 1) += st.at(i, 1) * gain;
  }
}

// Gain curve that dips at every kick and recovers before the next beat: the pumping that
// lets the kick through the bass and the pad.
std::vector<double> duckcurve(const std::vector<Note>& kicks, size_t frames) {
  std::vector<double> shape(frames, 0.0);
  for (const Note& k : kicks) {
    size_t at = framesof(k.tick);
    for (size_t i = 0; i < static_cast<size_t>(0.4 * kRate) && at + i < frames; ++i) {
      double t = static_cast<double>(i) / kRate;
      double s = t < 0.004 ? t / 0.004 : std::exp(-(t - 0.004) / 0.09);
      shape[at + i] = std::max(shape[at + i], s);
    }
  }
  return shape;
}

struct Buses {
  Audio dry, echo, room;
  explicit Buses(size_t n) : dry(2, n), echo(2, n), room(2, n) {}
};

struct Track {
  const char* name;
  double level, echo, room, duck;
};

void mixin(Buses& b, const Audio& stem, const Track& t, const std::vector<double>& duck) {
  for (size_t i = 0; i < stem.frames(); ++i) {
    double g = 1.0 - t.duck * duck[i];
    for (int c = 0; c < 2; ++c) {
      double v = stem.at(i, c) * g;
      b.dry.at(i, c) += v * t.level;
      b.echo.at(i, c) += v * t.echo;
      b.room.at(i, c) += v * t.room;
    }
  }
}

// Loudness of a stem over the kept pass of the loop, for balancing the mix.
double looplufs(const Audio& stem, double level) {
  const size_t from = framesof((kIntroBars + kLoopBars) * kTicksPerBar);
  const size_t to = std::min(stem.frames(), framesof((kIntroBars + 2 * kLoopBars) * kTicksPerBar));
  Audio part(2, to - from);
  for (size_t i = 0; i < part.s.size(); ++i) part.s[i] = stem.s[from * 2 + i] * level;
  return integratedlufs(part);
}

Audio mixdown(const Score& s, size_t frames, MusicReport* report) {
  Buses b(frames);
  std::vector<double> duck = duckcurve(s.kick, frames);
  auto track = [&](const Track& t, const std::function<void(Audio&)>& render) {
    Audio stem(2, frames);
    render(stem);
    mixin(b, stem, t, duck);
    if (report) report->tracks.emplace_back(t.name, looplufs(stem, t.level));
  };
  const Mono kickhit = kick(1.0);
  track({"kick", 0.5, 0.0, 0.0, 0.0}, [&](Audio& a) {
    for (const Note& n : s.kick) place(a, n.tick, kickhit, n.vel, 0.0);
  });
  track({"clap", 1.08, 0.0, 0.72, 0.0}, [&](Audio& a) {
    for (const Note& n : s.clap) place(a, n.tick, clap(n.vel, n.seed), 1.0, 0.0);
  });
  track({"snare", 0.76, 0.0, 0.56, 0.0}, [&](Audio& a) {
    for (const Note& n : s.snare) place(a, n.tick, snare(n.vel, n.seed), 1.0, 0.05);
  });
  track({"hats", 0.59, 0.0, 0.18, 0.0}, [&](Audio& a) {
    for (const Note& n : s.hat) place(a, n.tick, hat(n.vel, n.a, n.seed), 1.0, n.pan);
  });
  track({"crash", 0.27, 0.0, 0.29, 0.0}, [&](Audio& a) {
    for (const Note& n : s.crash) place(a, n.tick, crash(n.vel, n.seed), 1.0, -0.15);
  });
  track({"boom", 0.41, 0.0, 0.0, 0.0}, [&](Audio& a) {
    for (const Note& n : s.boom) place(a, n.tick, boom(n.vel), 1.0, 0.0);
  });
  track({"riser", 0.19, 0.0, 0.42, 0.0}, [&](Audio& a) {
    for (const Note& n : s.riser) place(a, n.tick, riser(n.gate, n.seed), 1.0, 0.0);
  });
  track({"bass", 0.6, 0.0, 0.0, 0.45}, [&](Audio& a) {
    for (const Note& n : s.bass) place(a, n.tick, bass(n.pitch, n.gate, n.a, n.vel), 1.0, 0.0);
  });
  track({"arp", 0.39, 0.12, 0.23, 0.3}, [&](Audio& a) {
    for (const Note& n : s.arp) place(a, n.tick, pluck(n.pitch, n.a, n.vel), 1.0, n.pan);
  });
  track({"pad", 0.46, 0.0, 0.46, 0.55}, [&](Audio& a) {
    const double bar = tickseconds(kTicksPerBar);
    for (const Note& n : s.pad) {
      auto cutoff = [&](double t) { return n.a * std::pow(n.b / n.a, std::min(t / bar, 1.0)); };
      place(a, n.tick, pad(n.pitch, n.gate, cutoff, n.vel, n.seed), 1.0);
    }
  });
  track({"lead", 0.3, 0.15, 0.24, 0.15}, [&](Audio& a) {
    for (const Note& n : s.lead) place(a, n.tick, lead(n.pitch, n.gate, n.a, n.vel), 1.0, 0.0);
  });
  track({"harmony", 0.16, 0.1, 0.19, 0.15}, [&](Audio& a) {
    for (const Note& n : s.harmony)
      place(a, n.tick, lead(n.pitch, n.gate, n.a * 0.8, n.vel), 1.0, -0.35);
  });

  // Dotted eighth echo; the echoes also feed the reverb a little.
  Audio echo = pingpong(b.echo, tickseconds(3 * kTicksPer16th), 0.38);
  for (size_t i = 0; i < b.room.s.size(); ++i) b.room.s[i] += 0.3 * echo.s[i];
  Audio room = reverb(b.room, 0.83, 0.35);
  if (report) {
    report->tracks.emplace_back("echo", looplufs(echo, 1.0));
    report->tracks.emplace_back("reverb", looplufs(room, kRoomReturn));
  }
  Audio mix = std::move(b.dry);
  for (size_t i = 0; i < mix.s.size(); ++i) mix.s[i] += echo.s[i] + kRoomReturn * room.s[i];
  return mix;
}

// The file as the game plays it: intro, the second pass of the loop, then the loop's first
// bars again, faded only at the very end.
Audio splice(const Audio& full) {
  const size_t start = framesof(kIntroBars * kTicksPerBar);
  const size_t length = framesof((kIntroBars + kLoopBars) * kTicksPerBar) - start;
  const size_t pass = start + length;
  const size_t tail = static_cast<size_t>(std::ceil(tickseconds(kTailBars * kTicksPerBar) * kRate));
  Audio out(2, start + length + tail);
  auto copy = [&](size_t from, size_t to, size_t n) {
    std::copy_n(full.s.begin() + from * 2, n * 2, out.s.begin() + to * 2);
  };
  copy(0, 0, start);
  copy(pass, start, length);
  copy(pass, pass, tail);
  const double fade = 0.03;
  for (size_t i = 0; i < static_cast<size_t>(fade * kRate); ++i)
    for (int c = 0; c < 2; ++c) out.at(out.frames() - 1 - i, c) *= fadein(i / kRate, fade);
  return out;
}

}  // namespace

Audio rendermusic(MusicReport* report) {
  Score s = compose(kLoops, kExtraBars);
  const long bars = kIntroBars + kLoops * kLoopBars + kExtraBars;
  Audio mix = mixdown(s, framesof(bars * kTicksPerBar), report);
  toneshape(mix);

  // Find the gain that lands the finished file on the target loudness; the limiter takes
  // a little off, so measure after it and correct a few times.
  double gain = 1.0, next = 1.0, l = 0.0;
  Audio out;
  for (int round = 0; round < 4 && std::fabs(l - kTargetLufs) > 0.02; ++round) {
    gain = next;
    Audio m = mix;
    scale(m, gain);
    limit(m, kCeilingDb);
    out = splice(m);
    l = integratedlufs(out);
    next = gain * dbgain(kTargetLufs - l);
  }
  if (report) {
    report->lufs = l;
    report->peakdb = peakdb(out);
    report->gaindb = gaindb(gain);
    for (auto& t : report->tracks) t.second += gaindb(gain);
  }
  return out;
}

}  // namespace ag
