// The arrangement's promises that the seamless loop rests on: bar lines at the loop
// points, every pass of the loop alike, and the intro ending with the loop's own ending.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <vector>

#include "score.h"

namespace {

using Part = std::vector<ag::Note> ag::Score::*;
const Part kParts[] = {&ag::Score::kick,  &ag::Score::clap, &ag::Score::snare, &ag::Score::hat,
                       &ag::Score::crash, &ag::Score::boom, &ag::Score::riser, &ag::Score::bass,
                       &ag::Score::arp,   &ag::Score::pad,  &ag::Score::lead,  &ag::Score::harmony};

// Notes of one part starting in bars [from, to), moved so that `from` becomes bar 0.
std::vector<ag::Note> bars(const std::vector<ag::Note>& part, long from, long to) {
  std::vector<ag::Note> out;
  for (ag::Note n : part)
    if (n.tick >= from * ag::kTicksPerBar && n.tick < to * ag::kTicksPerBar) {
      n.tick -= from * ag::kTicksPerBar;
      out.push_back(n);
    }
  return out;
}

bool same(const std::vector<ag::Note>& a, const std::vector<ag::Note>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].tick != b[i].tick || a[i].gate != b[i].gate || a[i].pitch != b[i].pitch ||
        a[i].vel != b[i].vel || a[i].a != b[i].a || a[i].b != b[i].b || a[i].pan != b[i].pan ||
        a[i].seed != b[i].seed)
      return false;
  return true;
}

TEST(MusicScore, LoopPointsFallOnBarLines) {
  EXPECT_EQ(ag::frameat(ag::kIntroBars * ag::kTicksPerBar), 27.49 * 44100);
  EXPECT_EQ(ag::frameat((ag::kIntroBars + ag::kLoopBars) * ag::kTicksPerBar), 82.33 * 44100);
  // Every bar of the loop starts a whole number of frames after the same bar one pass
  // earlier, so a repeated bar renders to the same samples.
  for (long b = 0; b < ag::kLoopBars; ++b) {
    double gap =
        ag::frameat((b + ag::kLoopBars) * ag::kTicksPerBar) - ag::frameat(b * ag::kTicksPerBar);
    EXPECT_EQ(gap, 2418444.0);
  }
}

TEST(MusicScore, EveryPassOfTheLoopPlaysTheSameNotes) {
  ag::Score s = ag::compose(2, 2);
  const long one = ag::kIntroBars, two = one + ag::kLoopBars;
  for (size_t p = 0; p < std::size(kParts); ++p) {
    SCOPED_TRACE(p);
    EXPECT_TRUE(same(bars(s.*kParts[p], one, two), bars(s.*kParts[p], two, two + ag::kLoopBars)));
    EXPECT_FALSE(bars(s.*kParts[p], one, two).empty());
  }
}

TEST(MusicScore, IntroEndsWithTheLoopsOwnLastTwoBars) {
  // What sounds on into the loop's first bar is the same after the intro as after the loop.
  ag::Score s = ag::compose(1, 0);
  const long introend = ag::kIntroBars - 2, loopend = ag::kIntroBars + ag::kLoopBars - 2;
  for (size_t p = 0; p < std::size(kParts); ++p) {
    SCOPED_TRACE(p);
    EXPECT_TRUE(
        same(bars(s.*kParts[p], introend, introend + 2), bars(s.*kParts[p], loopend, loopend + 2)));
  }
}

}  // namespace
