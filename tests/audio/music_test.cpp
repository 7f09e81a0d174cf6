// The committed music as the game decodes it (libsndfile reads the MP3): format, level,
// loudness, the soft top end, and above all the loop: playing on past 82.33 s and then
// jumping back to 27.49 s must sound like the music simply going on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

#include "audio.h"
#include "dsp.h"
#include "loudness.h"

namespace {

const std::string kFile = std::string(QUIB_AUDIO_DIR) + "/bg.mp3";
const size_t kStart = 1212309;  // 27.49 s, where the game jumps back to
const size_t kEnd = 3630753;    // 82.33 s, past which it jumps
const size_t kWindow = 2048;

struct Music {
  ag::Audio stereo, mono;
  int rate = 0;
};

const Music& music() {
  static const Music m = [] {
    Music m;
    m.stereo = ag::readaudio(kFile, &m.rate);
    m.mono = ag::Audio(1, m.stereo.frames());
    for (size_t i = 0; i < m.mono.frames(); ++i)
      m.mono.s[i] = 0.5 * (m.stereo.at(i, 0) + m.stereo.at(i, m.stereo.channels - 1));
    return m;
  }();
  return m;
}

double correlation(const ag::Audio& a, size_t x, size_t y, size_t n = kWindow) {
  double xy = 0, xx = 0, yy = 0;
  for (size_t i = 0; i < n; ++i) {
    xy += a.s[x + i] * a.s[y + i];
    xx += a.s[x + i] * a.s[x + i];
    yy += a.s[y + i] * a.s[y + i];
  }
  return xy / std::sqrt(xx * yy + 1e-30);
}

TEST(AudioMusic, IsStereo44kLongEnoughForTheLoopCheck) {
  const Music& m = music();
  ASSERT_FALSE(m.stereo.s.empty()) << kFile;
  EXPECT_EQ(m.stereo.channels, 2);
  EXPECT_EQ(m.rate, 44100);
  EXPECT_GE(static_cast<double>(m.stereo.frames()) / m.rate, 84.0);
  double kbits = std::filesystem::file_size(kFile) * 8.0 / 1000.0 / m.stereo.seconds();
  EXPECT_GE(kbits, 159.0);
  EXPECT_LE(kbits, 194.0);
}

TEST(AudioMusic, MasteredToLoudnessWithHeadroom) {
  const Music& m = music();
  EXPECT_LE(ag::peakdb(m.stereo), -1.0);
  EXPECT_NEAR(ag::integratedlufs(m.stereo), -16.0, 1.5);
  // Never drops out: after the first second, every 400 ms block carries music.
  std::vector<double> blocks = ag::momentarylufs(m.stereo);
  for (size_t b = 10; b < blocks.size(); ++b)
    ASSERT_GT(blocks[b], -40.0) << "at " << b / 10.0 << " s";
}

TEST(AudioMusic, KeepsTheTopEndSoftForFastPlayback) {
  // Above 10 kHz there is next to nothing, so playing four times faster adds no hiss.
  const Music& m = music();
  ag::Biquad h1 = ag::Biquad::highpass(10000, 0.54), h2 = ag::Biquad::highpass(10000, 1.31);
  double all = 0, high = 0;
  for (size_t i = kStart; i < kEnd; ++i) {
    double v = m.mono.s[i], h = h2.run(h1.run(v));
    all += v * v;
    high += h * h;
  }
  EXPECT_LT(10.0 * std::log10(high / all), -35.0);
}

TEST(AudioMusic, ContinuesAfterTheLoopEndWithTheLoopStart) {
  const Music& m = music();
  // For 1.5 s past 82.33 s the file plays what follows 27.49 s.
  double worst = 1.0;
  for (size_t off = 0; off + kWindow <= static_cast<size_t>(1.5 * 44100); off += 1024)
    worst = std::min(worst, correlation(m.mono, kEnd + off, kStart + off));
  // Two windows taken anywhere hardly match; a fixed seed keeps the draw repeatable.
  ag::Rng rng(1234);
  double sum = 0;
  const int pairs = 40;
  for (int p = 0; p < pairs; ++p) {
    size_t span = m.mono.frames() - kWindow;
    size_t x = static_cast<size_t>(rng.uniform() * span),
           y = static_cast<size_t>(rng.uniform() * span);
    sum += std::fabs(correlation(m.mono, x, y));
  }
  EXPECT_GT(worst, 0.97);
  EXPECT_GT(worst, sum / pairs + 0.4);
}

TEST(AudioMusic, JumpBackIsSeamless) {
  const Music& m = music();
  for (int c = 0; c < 2; ++c) {
    // Largest step between neighbouring samples around the loop end, as the file plays it.
    double steepest = 0.0;
    for (size_t i = kEnd - 1000; i < kEnd + 1000; ++i)
      steepest = std::max(steepest, std::fabs(m.stereo.at(i, c) - m.stereo.at(i - 1, c)));
    double jump = std::fabs(m.stereo.at(kStart, c) - m.stereo.at(kEnd - 1, c));
    EXPECT_LE(jump, steepest) << "channel " << c;
  }
  // The audio before the loop end runs on into the loop start as it runs on in the file.
  ag::Audio joined(1, 2 * kWindow);
  std::copy_n(m.mono.s.begin() + (kEnd - kWindow), kWindow, joined.s.begin());
  std::copy_n(m.mono.s.begin() + kStart, kWindow, joined.s.begin() + kWindow);
  ag::Audio played(1, 2 * kWindow);
  std::copy_n(m.mono.s.begin() + (kEnd - kWindow), 2 * kWindow, played.s.begin());
  ag::Audio both(1, 0);
  both.s = joined.s;
  both.s.insert(both.s.end(), played.s.begin(), played.s.end());
  EXPECT_GT(correlation(both, 0, 2 * kWindow, 2 * kWindow), 0.97);
}

TEST(AudioMusic, LoopStartsOnTheDownbeat) {
  // The kick of the loop's first bar lands at 27.49 s: low end bursts in right after it.
  const Music& m = music();
  ag::Biquad low = ag::Biquad::lowpass(150, 0.7);
  const size_t span = 882;  // 20 ms
  double before = 0, after = 0;
  for (size_t i = kStart - 4 * span; i < kStart + span; ++i) {
    double v = low.run(m.mono.s[i]);
    if (i >= kStart)
      after += v * v;
    else if (i >= kStart - span)
      before += v * v;
  }
  EXPECT_GT(after, 4.0 * before);
}

}  // namespace
