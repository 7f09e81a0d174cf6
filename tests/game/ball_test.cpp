// Ball motion, the three death tests, SPACE, jumps, death and auto-play.
#include "game/ball.h"

#include "game/course.h"
#include "tests/game/fixture.h"

void step();

namespace {

using Ball = GameTest;

// Sets the simulation clock so that the ball's orbit angle on its loop is t.
void setangle(double t) {
  double c = ball.phase + ball.dir * t / spd;
  ftimestep = c * loop[loopj].r / 100;
}

// The sounds played since the last reset, by handle.
std::vector<double> played() {
  std::vector<double> out;
  for (auto const& c : rec::of("PlayAudio8")) out.push_back(c.num(0));
  return out;
}

TEST_F(Ball, NewBallStartsInsideAtTheTopOfLoopZero) {
  getballp();
  EXPECT_NEAR(ballp.x, 0, 1e-9);
  EXPECT_NEAR(ballp.y, -54, 1e-9);
  EXPECT_TRUE(ball.live);
  EXPECT_EQ(ball.side, 1);
  EXPECT_EQ(ball.dir, 1);
  EXPECT_EQ(ball.r, 6);
}

TEST_F(Ball, RunsAtHundredTimesSpeedPixelsPerSecondOnAnyLoop) {
  getballp();
  vector a = ballp;
  ftimestep += 0.01;
  getballp();
  double arc = std::hypot(ballp.x - a.x, ballp.y - a.y) * 60 / 54;  // on the circle line
  EXPECT_NEAR(arc, 100 * spd * 0.01, 1e-3);
}

TEST_F(Ball, SpikeHitsOnlyItsOwnSideAndStrictlyWithinTenPixelsOfArc) {
  loopinfo& l = loop[loopj];
  l.tric = 1;
  l.tria[0] = 0.5;
  l.tris[0] = 1;
  setangle(0.5 + 10 / l.r * 0.999);
  EXPECT_TRUE(istri());
  setangle(0.5 - 10 / l.r * 0.999 + 2 * M_PI);  // wrapped a turn
  EXPECT_TRUE(istri());
  setangle(0.5 + 10 / l.r * 1.001);
  EXPECT_FALSE(istri());
  ball.side = -1;
  setangle(0.5);
  EXPECT_FALSE(istri());
  l.tric = -1;
  ball.side = 1;
  EXPECT_FALSE(istri());
}

TEST_F(Ball, SpikeExactlyTenOverRAwayIsNoHit) {
  loopinfo& l = loop[loopj];
  l.tric = 1;
  l.tris[0] = 1;
  ftimestep = 0;
  ball.phase = 0;  // orbit angle exactly 0
  l.tria[0] = -10 / l.r;
  EXPECT_FALSE(istri());
  l.tria[0] = -10 / l.r * (1 - 1e-12);
  EXPECT_TRUE(istri());
}

class Contact : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    addloop();  // loop 1, radius 90, centre (150, 0), slot 2
    loop[2].tric = 0;
  }
};

TEST_F(Contact, WindowOfAbout0_4715RadiansTowardA90Neighbour) {
  // The neighbour's centre lies at orbit angle pi/2 from the ball's loop.
  setangle(M_PI / 2 + 0.4710);
  EXPECT_EQ(isloop(), 2);
  setangle(M_PI / 2 - 0.4710 + 2 * M_PI);
  EXPECT_EQ(isloop(), 2);
  setangle(M_PI / 2 + 0.4720);
  EXPECT_EQ(isloop(), -1);
}

TEST_F(Contact, WindowOfAbout0_4297RadiansBetweenTwo60s) {
  loop[2].r = 60;
  loop[2].x = 120;
  setangle(M_PI / 2 + 0.4292);
  EXPECT_EQ(isloop(), 2);
  setangle(M_PI / 2 + 0.4302);
  EXPECT_EQ(isloop(), -1);
}

TEST_F(Contact, NoContactUntilAQuarterTurnAfterAJump) {
  setangle(M_PI / 2);
  space();
  ASSERT_EQ(loopj, 2);
  // At the contact point with loop 1, yet neither a jump back nor, once flipped
  // outside, a death on the loop just left.
  EXPECT_EQ(isloop(), -1);
  ball.side = -1;
  EXPECT_EQ(isloop(), -1);
  ball.stamp -= M_PI / 2 / spd + 1e-9;  // as if a quarter turn had run
  EXPECT_EQ(isloop(), 1);
}

TEST_F(Contact, LowerSlotWinsWhenTwoLoopsTouch) {
  loop[0] = loop[2];
  loop[0].num = 7;
  setangle(M_PI / 2);
  EXPECT_EQ(isloop(), 0);
}

TEST_F(Contact, SpaceInsideTouchingJumpsReversesAndPlaysTheJumpSound) {
  setangle(M_PI / 2);
  spaceb = true;
  space();
  EXPECT_FALSE(spaceb);
  EXPECT_EQ(loopj, 2);
  EXPECT_EQ(ball.dir, -1);
  EXPECT_EQ(ball.side, 1);
  EXPECT_EQ(played(), std::vector<double>{double(sj3)});
  // Lands at the new loop's leftmost point, inside.
  getballp();
  EXPECT_NEAR(ballp.x, 150 - 84, 1e-9);
  EXPECT_NEAR(ballp.y, 0, 1e-9);
  // Pitch was set before the sound: all five get the same value.
  ASSERT_EQ(rec::count("SetAudioFrq26"), 5u);
  EXPECT_LT(rec::calls.front().entry, "SetAudioFrq27");
  EXPECT_EQ(rec::calls.back().entry, "PlayAudio8");
}

TEST_F(Ball, SpaceFlipsSidesWithTheMatchingSound) {
  space();
  EXPECT_EQ(ball.side, -1);
  space();
  EXPECT_EQ(ball.side, 1);
  EXPECT_EQ(played(), (std::vector<double>{double(sj2), double(sj1)}));
}

TEST_F(Ball, SpeedAndPitchByLevel) {
  spdmul = 1;
  EXPECT_DOUBLE_EQ(levelspeed(0), 2);
  EXPECT_DOUBLE_EQ(levelspeed(20), 3);
  EXPECT_DOUBLE_EQ(levelspeed(100), 7);
  EXPECT_DOUBLE_EQ(levelspeed(250), 7);
  spdmul = 2;
  EXPECT_DOUBLE_EQ(levelspeed(20), 6);
  EXPECT_DOUBLE_EQ(levelpitch(0), -4);
  EXPECT_DOUBLE_EQ(levelpitch(1), static_cast<float>(1 / 3.0 - 4));
  EXPECT_DOUBLE_EQ(levelpitch(12), 0);
  EXPECT_DOUBLE_EQ(levelpitch(84), 24);
  EXPECT_DOUBLE_EQ(levelpitch(300), 24);
}

TEST_F(Ball, JumpOntoAnEmptySlotChangesNothing) {
  ballinfo before = ball;
  double s = spd;
  jump(0);
  EXPECT_EQ(loopj, 1);
  EXPECT_EQ(spd, s);
  EXPECT_EQ(ball.phase, before.phase);
  EXPECT_EQ(ball.dir, before.dir);
  EXPECT_EQ(rec::count("SetAudioFrq26"), 0u);
}

TEST_F(Ball, DirectJumpLandsFacingTheOldLoopOnThePresentSide) {
  for (int i = 0; i < 3; ++i) addloop();  // slots 2..4
  ball.side = -1;
  jump(4);
  getballp();
  // Loop 4's centre lies right of loop 1: landing point is its leftmost, outside.
  EXPECT_NEAR(ballp.x, loop[4].x - loop[4].r - 6, 1e-9);
  EXPECT_NEAR(ballp.y, 0, 1e-9);
}

TEST_F(Ball, KillFreezesTheBallPlaysOnceAndKeepsItsPlace) {
  ftimestep = 1.0;
  getballp();
  vector at = ballp;
  kill();
  kill();
  EXPECT_FALSE(ball.live);
  EXPECT_EQ(ftimeball, 1.0);
  EXPECT_EQ(played(), std::vector<double>{double(sj4)});
  ftimestep = 3.0;
  getballp();
  EXPECT_NEAR(ballp.x, at.x, 1e-9);
  EXPECT_NEAR(ballp.y, at.y, 1e-9);
}

TEST_F(Ball, DeadBallAsksForANewGameOnlyOnceTheShrinkHasEnded) {
  kill();
  ballexp = 3;
  space();
  EXPECT_FALSE(initb);
  ballexp = -0.1;
  space();
  EXPECT_TRUE(initb);
  EXPECT_EQ(played(), std::vector<double>{double(sj4)});  // no flip sound when dead
}

TEST_F(Ball, LineKillsOnlyOnceItIsStrictlyPast) {
  getballp();
  linep = ballp.x;
  EXPECT_FALSE(isline());
  linep = ballp.x + 1e-9;
  EXPECT_TRUE(isline());
}

TEST_F(Ball, OutsideContactKillsBeforeSpikesAreLookedAt) {
  addloop();
  loop[2].tric = 0;
  ball.side = -1;
  setangle(M_PI / 2);
  ball.stamp -= 10;  // guard open
  loopinfo& l = loop[loopj];
  l.tric = 1;
  l.tria[0] = M_PI / 2;
  l.tris[0] = -1;
  rec::calls.clear();
  ftimestep -= 1 / 120.0;  // step() runs from the start of its period
  linep = -1000;
  step();
  EXPECT_FALSE(ball.live);
  EXPECT_EQ(played(), std::vector<double>{double(sj4)});
}

TEST_F(Ball, AutoPlayFlipsAwayFromASpikeInReach) {
  loopinfo& l = loop[loopj];
  l.tric = 1;
  l.tria[0] = 0;
  l.tris[0] = 1;
  setangle(0);
  autogame();
  EXPECT_EQ(played(), std::vector<double>{double(sj2)});
  EXPECT_EQ(ball.side, -1);
}

TEST_F(Ball, AutoPlayBringsAnOutsideBallTouchingALoopBackInside) {
  addloop();
  loop[2].tric = 0;
  setangle(M_PI / 2);
  ball.stamp -= 10;
  ball.side = -1;
  autogame();
  EXPECT_EQ(played(), std::vector<double>{double(sj1)});
  EXPECT_EQ(ball.side, 1);
  EXPECT_EQ(loopj, 1);
}

TEST_F(Ball, AutoPlayJumpsWhenInsideAndTouching) {
  addloop();
  loop[2].tric = 0;
  setangle(M_PI / 2);
  ball.stamp -= 10;
  autogame();
  EXPECT_EQ(loopj, 2);
  EXPECT_EQ(played(), std::vector<double>{double(sj3)});
}

}  // namespace
