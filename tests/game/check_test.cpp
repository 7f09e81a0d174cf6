// The invariant checks: a sound game passes them step after step, and each kind of broken
// state is caught and counted.
#include "game/check.h"

#include "game/ball.h"
#include "game/course.h"
#include "game/loop.h"
#include "tests/game/fixture.h"

namespace {

class Check : public GameTest {
 protected:
  int broken() {
    testing::internal::CaptureStderr();
    int n = checkstate();
    err = testing::internal::GetCapturedStderr();
    return n;
  }
  std::string err;
};

TEST_F(Check, APlayedGameKeepsEveryInvariant) {
  int most = 0;
  for (int i = 0; i < 120 * 150; ++i) {
    autob = true;  // auto-play, on again after every new game
    step();
    ftimestep += 1 / framestep;
    // A frame every second step, as the main loop draws them.
    if (i % 2 == 0 && !ball.live) ballexp = ball.r - (ftimestep - ftimeball) * spd * 10;
    ASSERT_EQ(checkstate(), 0) << "step " << i;
    most = std::max(most, loopn);
  }
  EXPECT_GT(most, 16);  // the ring has wrapped
}

TEST_F(Check, EachBrokenInvariantIsNamed) {
  step();
  ASSERT_EQ(broken(), 0) << err;
  struct {
    void (*breakit)();
    char const* says;
  } cases[] = {
      {[] { linep = NAN; }, "not finite: linep"},
      {[] { loop[1].tria[0] = INFINITY, loop[1].tric = 1; }, "not finite: spike angle"},
      {[] { loopstp = 0; }, "loopstp below 1"},
      {[] { spd = 0; }, "speed not positive"},
      {[] { loopj = 16; }, "slot index outside the ring"},
      {[] { loop[loopj].live = false; }, "the ball's loop is not live"},
      {[] { loop[2].x = -500; }, "not ordered left to right"},
      {[] { loop[2].x += 1; }, "does not touch the one before"},
      {[] { loop[2].num = 7; }, "numbers not consecutive"},
      {[] { loop[5].live = true, loop[5].r = 60; }, "not the last loopn made"},
      {[] { loop[2].r = 45, loop[2].x = loop[1].x + loop[1].r + 45; }, "no multiple of 30"},
      {[] { ball.stamp += 1; }, "stamp ahead of its clock"},
      {[] { loop[2].live = false, loop[1].live = true, loopl = 1, loopn = 1; }, "no loop ahead"},
  };
  for (auto const& c : cases) {
    SetUp();
    step();
    c.breakit();
    EXPECT_GE(broken(), 1) << c.says;
    EXPECT_NE(err.find(c.says), std::string::npos) << "want " << c.says << ", got " << err;
    EXPECT_NE(err.find("at step "), std::string::npos);
  }
}

TEST_F(Check, ADeadBallsRadiusNeverGrowsWhileItsSpeedStays) {
  step();
  kill();
  ftimestep += 0.1;
  ASSERT_EQ(broken(), 0) << err;
  ftimestep -= 0.05;  // the radius would grow back
  EXPECT_EQ(broken(), 1);
  EXPECT_NE(err.find("a dead ball's radius grew"), std::string::npos) << err;
}

}  // namespace
