// The four committed effects: format, length, level, clean edges, the direction of their
// pitch, and that the generator still makes them byte for byte.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio.h"
#include "dsp.h"
#include "loudness.h"

namespace {

namespace fs = std::filesystem;

const std::string kDir = QUIB_AUDIO_DIR;

struct Cue {
  const char* file;
  double maxseconds;
};
const Cue kCues[] = {{"sj1.wav", 0.15}, {"sj2.wav", 0.15}, {"sj3.wav", 0.3}, {"sj4.wav", 0.8}};

ag::Audio load(const std::string& name) { return ag::readaudio(kDir + "/" + name); }

ag::Audio slice(const ag::Audio& a, double from, double to) {
  ag::Audio out(1, 0);
  for (size_t i = static_cast<size_t>(from * ag::kRate); i < static_cast<size_t>(to * ag::kRate);
       ++i)
    out.s.push_back(a.s[i]);
  return out;
}

// Fundamental by the YIN method: the first lag whose normalised difference dips below a
// threshold, which avoids the octave errors of a plain autocorrelation peak.
double pitch(const ag::Audio& a) {
  const size_t lo = static_cast<size_t>(ag::kRate / 2000);
  const size_t hi = std::min(static_cast<size_t>(ag::kRate / 30), a.s.size() / 2);
  const size_t n = a.s.size() - hi;
  std::vector<double> d(hi + 1, 0.0);
  for (size_t l = 1; l <= hi; ++l)
    for (size_t i = 0; i < n; ++i) d[l] += (a.s[i] - a.s[i + l]) * (a.s[i] - a.s[i + l]);
  double running = 0.0, bestvalue = 1e9;
  size_t best = hi;
  for (size_t l = 1; l <= hi; ++l) {
    running += d[l];
    double v = d[l] * static_cast<double>(l) / (running + 1e-30);
    if (l < lo) continue;
    if (v < 0.2) {
      while (l < hi && d[l + 1] * static_cast<double>(l + 1) / (running + d[l + 1]) < v)
        running += d[++l], v = d[l] * static_cast<double>(l) / running;
      return ag::kRate / static_cast<double>(l);
    }
    if (v < bestvalue) bestvalue = v, best = l;
  }
  return ag::kRate / static_cast<double>(best);
}

double rms(const ag::Audio& a) {
  double s = 0;
  for (double v : a.s) s += v * v;
  return std::sqrt(s / static_cast<double>(a.s.size()));
}

std::string bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(AudioEffects, AreShortMono16BitWavAt44k) {
  for (const Cue& c : kCues) {
    SCOPED_TRACE(c.file);
    SF_INFO info{};
    SNDFILE* f = sf_open((kDir + "/" + c.file).c_str(), SFM_READ, &info);
    ASSERT_NE(f, nullptr);
    sf_close(f);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_GT(info.frames, 0);
    EXPECT_LT(static_cast<double>(info.frames) / info.samplerate, c.maxseconds);
  }
}

TEST(AudioEffects, PeakBelowCeilingAndSitAgainstTheMusic) {
  for (const Cue& c : kCues) {
    SCOPED_TRACE(c.file);
    ag::Audio a = load(c.file);
    EXPECT_LE(ag::peakdb(a), -1.0);
    EXPECT_GT(ag::peakdb(a), -12.0);
    // The music plays at -16 LUFS; while an effect sounds it should be about as loud,
    // neither buried under the music nor jumping out of it.
    EXPECT_GT(ag::activelufs(a), -19.0);
    EXPECT_LT(ag::activelufs(a), -10.0);
  }
}

TEST(AudioEffects, FadeInAndOutWithoutClicks) {
  for (const Cue& c : kCues) {
    SCOPED_TRACE(c.file);
    ag::Audio a = load(c.file);
    double peak = ag::dbgain(ag::peakdb(a));
    EXPECT_LT(std::fabs(a.s.front()), 0.002);
    EXPECT_LT(std::fabs(a.s.back()), 0.002);
    // Over a fade of at least 2 ms, the first and last millisecond stay below a third of
    // the peak.
    double duration = a.seconds();
    EXPECT_LT(ag::dbgain(ag::peakdb(slice(a, 0.0, 0.001))), peak / 3.0);
    EXPECT_LT(ag::dbgain(ag::peakdb(slice(a, duration - 0.001, duration))), peak / 3.0);
  }
}

TEST(AudioEffects, FlipsRiseInwardAndFallOutward) {
  ag::Audio in = load("sj1.wav"), out = load("sj2.wav");
  EXPECT_GT(pitch(slice(in, 0.075, 0.1)), 1.5 * pitch(slice(in, 0.004, 0.03)));
  EXPECT_LT(pitch(slice(out, 0.07, 0.095)), pitch(slice(out, 0.004, 0.03)) / 1.5);
}

TEST(AudioEffects, JumpClimbsAndDeathFallsAndFades) {
  ag::Audio jump = load("sj3.wav"), death = load("sj4.wav");
  EXPECT_GT(pitch(slice(jump, 0.2, 0.26)), 1.5 * pitch(slice(jump, 0.004, 0.03)));
  EXPECT_LT(pitch(slice(death, 0.45, 0.6)), pitch(slice(death, 0.06, 0.16)) / 3.0);
  EXPECT_LT(rms(slice(death, 0.5, 0.7)), rms(slice(death, 0.0, 0.2)) / 4.0);
}

TEST(AudioEffects, GeneratorRebuildsTheCommittedFilesByteForByte) {
  char pattern[] = "/tmp/audiogen-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  fs::path dir = pattern;
  std::string cmd = std::string(QUIB_AUDIOGEN) + " --effects " + dir.string() + " > /dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  for (const Cue& c : kCues) {
    SCOPED_TRACE(c.file);
    std::string made = bytes(dir / c.file), shipped = bytes(fs::path(kDir) / c.file);
    EXPECT_FALSE(made.empty());
    EXPECT_TRUE(made == shipped) << "regenerate with tools/audiogen/render.sh";
  }
  fs::remove_all(dir);
}

}  // namespace
