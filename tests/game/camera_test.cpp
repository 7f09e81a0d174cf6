// Camera easing, view turning and the chasing line.
#include "game/camera.h"

#include "game/ball.h"
#include "game/course.h"
#include "tests/game/fixture.h"

namespace {

using Camera = GameTest;

TEST_F(Camera, EasesATenthTowardTheBallsLoopAndNewestLoopAFifth) {
  scrp = {100, 50};
  scrloopp = {10, 10};
  movescr();
  EXPECT_DOUBLE_EQ(scrp.x, 90);
  EXPECT_DOUBLE_EQ(scrp.y, 45);
  EXPECT_DOUBLE_EQ(scrloopp.x, 8);
  EXPECT_DOUBLE_EQ(scrloopp.y, 8);
}

TEST_F(Camera, ViewTurnsOneWayOnEvenLevelsTheOtherOnOddAndNotAtSpeedOne) {
  spd = 2;
  movescr();
  EXPECT_DOUBLE_EQ(scrrot, -0.001);
  loop[loopj].num = 5;  // level 1
  scrrot = 0;
  movescr();
  EXPECT_DOUBLE_EQ(scrrot, 0.001);
  spd = 3;
  scrrot = 0;
  movescr();
  EXPECT_DOUBLE_EQ(scrrot, 0.004);
  spd = 1;
  scrrot = 0;
  movescr();
  EXPECT_EQ(scrrot, 0);
}

class Line : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    addloop();  // slot 2, loop 1: not a checkpoint, so the line may run
    jump(2);
    spd = 2;
  }
};

TEST_F(Line, HeldAtTheLeftEdgeOfACheckpointLoop) {
  initgame();
  for (int i = 0; i < 500; ++i) moveline();
  EXPECT_EQ(linep, -60);
  linep = 10;  // already past: pulled back
  moveline();
  EXPECT_EQ(linep, -60);
}

TEST_F(Line, CatchUpThresholdsOfAQuarterAThirdAndHalfTheDiagonal) {
  scrp.x = 1000;
  struct row {
    double behind;
    double advance;
  };
  // Distances from the camera after the base advance of 0.5 * spd = 1.
  for (row t : {row{249, 1}, row{252, 1.2}, row{335, 1.3}, row{450, 1.3}}) {
    linep = scrp.x - t.behind;
    double before = linep;
    moveline();
    EXPECT_NEAR(linep - before, t.advance, 1e-9) << t.behind;
  }
  linep = scrp.x - 700;
  moveline();
  EXPECT_DOUBLE_EQ(linep, scrp.x - 500);
}

TEST_F(Line, StandsStillBehindADeadBall) {
  kill();
  linep = 50;
  moveline();
  EXPECT_EQ(linep, 50);
}

TEST_F(Line, TakesTheNewestLoopWhoseLeftEdgeItReachedAndNeverGoesBack) {
  addloop();                      // slot 3
  linep = loop[2].x - loop[2].r;  // exactly at loop 1's left edge
  moveline();
  EXPECT_EQ(linec, 2);
  linep = -1000;
  moveline();
  EXPECT_EQ(linec, 2);
}

}  // namespace
