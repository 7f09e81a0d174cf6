// Course generation: first loops, radii, colour bands, spikes and the ring.
#include "game/course.h"

#include "tests/game/fixture.h"

namespace {

using Course = GameTest;

// Adds loops until the next one to be made has number n.
void growto(int n) {
  while (loopn < n) addloop();
}

TEST_F(Course, NewGameLaysLoopZeroInSlotOneAndLeavesSlotZeroEmpty) {
  EXPECT_TRUE(loop[1].live);
  EXPECT_EQ(loop[1].x, 0);
  EXPECT_EQ(loop[1].y, 0);
  EXPECT_EQ(loop[1].r, 60);
  EXPECT_EQ(loop[1].num, 0);
  EXPECT_EQ(loop[1].tric, 0);
  EXPECT_EQ(loop[1].color & 0xFF, 0);  // hue band 0
  EXPECT_FALSE(loop[0].live);
  EXPECT_EQ(loopl, 1);
  EXPECT_EQ(loopn, 1);
  EXPECT_EQ(loopj, 1);
  EXPECT_EQ(loopci, 0);
  EXPECT_EQ(scrloopp.x, 0);
  EXPECT_EQ(scrloopp.y, 0);
}

TEST_F(Course, NewGameRestartsMusicThenPitchesEverythingForLevelZero) {
  initloop();
  auto play = rec::of("PlayAudio9");
  ASSERT_EQ(play.size(), 1u);
  EXPECT_EQ(play[0].num(0), sbg);
  EXPECT_EQ(play[0].num(1), 0.0);
  auto frq = rec::of("SetAudioFrq26");
  ASSERT_EQ(frq.size(), 5u);
  for (auto const& c : frq) EXPECT_EQ(c.num(1), -4.0);
}

TEST_F(Course, SecondLoopHasRadius90AndOneSpikeStraightUp) {
  addloop();
  loopinfo const& l = loop[2];
  EXPECT_EQ(loopl, 2);
  EXPECT_EQ(l.r, 90);
  EXPECT_EQ(l.x, 150);
  EXPECT_EQ(l.num, 1);
  ASSERT_EQ(l.tric, 1);
  EXPECT_DOUBLE_EQ(l.tria[0], M_PI);  // even slot: upper half, middle sector
  EXPECT_EQ(l.tris[0], rnd == 0 ? 1 : -1);
}

TEST_F(Course, EachLoopTouchesTheNewestOnItsRight) {
  growto(40);
  for (int i = 0; i < loopslots; ++i) {
    loopinfo const& a = loop[i];
    loopinfo const& b = loop[nextslot(i)];
    if (b.num != a.num + 1) continue;
    EXPECT_DOUBLE_EQ(b.x - a.x, a.r + b.r);
    EXPECT_EQ(b.y, a.y);
  }
}

TEST_F(Course, CheckpointsAreBareRadius60AndAdvanceTheHueBand) {
  growto(101);
  // Ring holds loops 85..100; pick out the checkpoints 85, 90, 95, 100.
  for (loopinfo const& l : loop) {
    if (l.num % 5 != 0) continue;
    EXPECT_EQ(l.r, 60) << l.num;
    EXPECT_LE(l.tric, 0) << l.num;
    int band = (l.num / 5) % 20;
    EXPECT_EQ(l.color & 0xFFFF00, 0xAAFF00);
    EXPECT_EQ(l.color & 0xFF, static_cast<int>(band / 20.0 * 255)) << l.num;
  }
}

TEST_F(Course, HueOfBandsFiveAndTenAndTheWrapAtHundred) {
  growto(6);
  EXPECT_EQ(loop[loopl].num, 5);
  EXPECT_EQ(loop[loopl].color & 0xFF, 12);
  growto(11);
  EXPECT_EQ(loop[loopl].color & 0xFF, 25);
  growto(101);
  EXPECT_EQ(loop[loopl].num, 100);
  EXPECT_EQ(loop[loopl].color & 0xFF, 0);
}

TEST_F(Course, LoweringBandsBelowTheCurrentOneGivesHueAboveTheByteUntilNextCheckpoint) {
  growto(21);  // loop 20 opened band 4
  loopcn = 3;
  addloop();  // loop 21, still band 4: hue 4/3*255 = 340
  EXPECT_EQ(loop[loopl].color, 340 | 0xAAFF00);
  growto(26);  // loop 25, a checkpoint: band (4+1) mod 3 = 2
  EXPECT_EQ(loop[loopl].color & 0xFF, 170);
}

TEST_F(Course, SpikeCountsFollowRadiusAndRows) {
  struct row {
    double r;
    long rows;
    int tric;
  };
  for (row t : {row{30, 1, -1}, row{30, 2, -2}, row{60, 2, 0}, row{90, 2, 2}, row{120, 1, 2},
                row{120, 2, 4}, row{180, 2, 4}}) {
    addloop(1000, 0, t.r, t.rows);
    EXPECT_EQ(loop[loopl].tric, t.tric) << t.r << " " << t.rows;
  }
  for (int i = 0; i < 50; ++i) {
    addloop(1000, 0, 150, 2);
    EXPECT_TRUE(loop[loopl].tric == 3 || loop[loopl].tric == 6);
  }
}

TEST_F(Course, SpikeSidesByPatternBit) {
  // Sides of sectors 1..n-2 for n = 6: alternate from inside with B = 0, inverted from
  // sector 3 on with B = 1.
  bool seen[2] = {false, false};
  for (int tries = 0; tries < 64 && !(seen[0] && seen[1]); ++tries) {
    addloop(1000, 0, 180, 1);
    loopinfo const& l = loop[loopl];
    ASSERT_EQ(l.tric, 4);
    int expect0[] = {1, -1, 1, -1};
    int expect1[] = {1, -1, -1, 1};
    int const* e = rnd == 0 ? expect0 : expect1;
    for (int k = 0; k < 4; ++k) EXPECT_EQ(l.tris[k], e[k]) << "B=" << rnd << " k=" << k;
    seen[rnd] = true;
  }
  EXPECT_TRUE(seen[0] && seen[1]);
}

TEST_F(Course, SlotParityTurnsRowsOntoTheLowerHalfAndRowOneMirrorsRowZero) {
  loopl = 3;  // next slot is 4, even
  addloop(1000, 0, 120, 2);
  loopinfo const& even = loop[4];
  EXPECT_DOUBLE_EQ(even.tria[0], (1.5 / 4) * M_PI + M_PI / 2);
  EXPECT_DOUBLE_EQ(even.tria[2], even.tria[0] + M_PI);
  EXPECT_EQ(even.tris[2], even.tris[0]);
  addloop(1000, 0, 120, 1);  // slot 5, odd
  EXPECT_DOUBLE_EQ(loop[5].tria[0], (1.5 / 4 + 1) * M_PI + M_PI / 2);
}

TEST_F(Course, GlideStartsEightPreviousRadiiAwayOnTheRight) {
  for (int i = 0; i < 20; ++i) {
    double q = loop[loopl].r;
    addloop();
    loopinfo const& l = loop[loopl];
    double dx = scrloopp.x - l.x, dy = scrloopp.y - l.y;
    EXPECT_NEAR(std::sqrt(dx * dx + dy * dy), 8 * q, 1e-9);
    EXPECT_GE(dx, -1e-9);
  }
}

TEST_F(Course, RingWrapsSlot15ToSlot0AndThenOverwritesTheFirstLoop) {
  growto(15);
  EXPECT_EQ(loopl, 15);
  EXPECT_FALSE(loop[0].live);
  addloop();
  EXPECT_EQ(loopl, 0);
  EXPECT_EQ(loop[0].num, 15);
  addloop();
  EXPECT_EQ(loopl, 1);
  EXPECT_EQ(loop[1].num, 16);
}

TEST_F(Course, OneLoopPerLevelMakesEveryLoopACheckpoint) {
  loopstp = 1;
  growto(5);
  for (int i = 2; i <= 5; ++i) EXPECT_EQ(loop[i].r, 60);
}

TEST_F(Course, DoubleRowsNeverOnLevelZero) {
  // With 20 bands, level 0 draws k from 0..19, always under loopcn.
  for (int g = 0; g < 30; ++g) {
    initgame();
    growto(5);
    for (loopinfo const& l : loop) {
      if (l.live && l.r != 30 && l.r != 180) {
        EXPECT_LE(l.tric, l.r / 30 - 2);
      }
    }
  }
}

}  // namespace
