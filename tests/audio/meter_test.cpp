// The loudness meter and the limiter: the music's checks stand on both, so they are held
// to the EBU R128 reference cases and to their own guarantees.
#include <gtest/gtest.h>

#include <cmath>

#include "audio.h"
#include "dsp.h"
#include "loudness.h"
#include "master.h"

namespace {

// Stereo sine, the same on both sides, `seconds` long at `dbfs` amplitude.
ag::Audio tone(double hz, double dbfs, double seconds) {
  ag::Audio a(2, static_cast<size_t>(seconds * ag::kRate));
  for (size_t i = 0; i < a.frames(); ++i) {
    double v = ag::dbgain(dbfs) * std::sin(2.0 * ag::kPi * hz * static_cast<double>(i) / ag::kRate);
    a.at(i, 0) = a.at(i, 1) = v;
  }
  return a;
}

ag::Audio join(std::initializer_list<ag::Audio> parts) {
  ag::Audio out(2, 0);
  for (const auto& p : parts) out.s.insert(out.s.end(), p.s.begin(), p.s.end());
  return out;
}

TEST(LoudnessMeter, ReadsReferenceToneAtItsLevel) {
  EXPECT_NEAR(ag::integratedlufs(tone(1000, -23, 20)), -23.0, 0.1);
  EXPECT_NEAR(ag::integratedlufs(tone(1000, -33, 20)), -33.0, 0.1);
}

TEST(LoudnessMeter, GatesOutSilenceAndQuietPassages) {
  // EBU Tech 3341 case 4: -72, -36, -23, -36, -72 dBFS for 10, 10, 20, 10, 10 s.
  ag::Audio a = join({tone(1000, -72, 10), tone(1000, -36, 10), tone(1000, -23, 20),
                      tone(1000, -36, 10), tone(1000, -72, 10)});
  EXPECT_NEAR(ag::integratedlufs(a), -23.0, 0.1);
  EXPECT_TRUE(std::isinf(ag::integratedlufs(ag::Audio(2, 44100 * 3))));
}

TEST(LoudnessMeter, WeighsPresenceAboveRumble) {
  double rumble = ag::integratedlufs(tone(30, -20, 5));
  double mid = ag::integratedlufs(tone(1000, -20, 5));
  double presence = ag::integratedlufs(tone(4000, -20, 5));
  EXPECT_LT(rumble, mid - 4.0);
  EXPECT_NEAR(presence - mid, 3.5, 1.0);  // the head's shelf of about +4 dB
}

TEST(MasterLimiter, KeepsEveryPeakUnderTheCeiling) {
  ag::Audio a = tone(55, 0, 3);
  ag::Rng rng(7);
  for (size_t i = 0; i < a.s.size(); ++i) a.s[i] = 1.8 * a.s[i] + 0.6 * rng.bipolar();
  a.at(44100, 1) = 3.0;  // a lone spike on one side
  ag::limit(a, -1.8);
  EXPECT_LE(ag::peakdb(a), -1.8 + 1e-9);
}

TEST(MasterLimiter, LeavesSignalsBelowTheCeilingAlone) {
  ag::Audio a = tone(440, -6, 1), b = a;
  ag::limit(b, -1.8);
  EXPECT_EQ(a.s, b.s);
}

TEST(MasterLimiter, RampsGainInsteadOfStepping) {
  // A steady level with one loud sample: the gain must glide down before it and back up
  // after it, so the steady part around the spike shows no jump (a click).
  const size_t spike = 22050;
  ag::Audio a(2, 44100);
  for (double& v : a.s) v = 0.25;
  a.at(spike, 0) = 3.0;
  ag::limit(a, -1.8);
  double worst = 0.0;
  for (size_t i = 1; i < a.frames(); ++i)
    if (i != spike && i != spike + 1)
      worst = std::max(worst, std::fabs(a.at(i, 0) - a.at(i - 1, 0)));
  EXPECT_LT(worst, 0.01);
  EXPECT_LT(a.at(spike - 1, 0), 0.25 * 0.5);  // the dip really happens around the spike
}

}  // namespace
