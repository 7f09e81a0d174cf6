// The main loop's two clocks, the order of a step and the new-game reset, driven by a
// scripted clock: delay(ms) advances it exactly, as the headless display library does.
#include "game/loop.h"

#include "game/ball.h"
#include "game/course.h"
#include "tests/game/fixture.h"

namespace {

class MainLoop : public GameTest {
 protected:
  double now = 0;
  bool message = false;

  void SetUp() override {
    GameTest::SetUp();
    rec::numeric_result = [this, prev = rec::numeric_result](rec::call const& c) -> double {
      if (c.entry == "GetTimeR49") return now;
      if (c.entry == "Delay28") now += c.num(0) / 1000;
      if (c.entry == "IsWin47") return 1;
      if (c.entry == "IsNextMsg254") return message ? 1 : 0;
      return prev(c);
    };
  }
  size_t frames() { return rec::count("FreshWin45"); }
};

TEST_F(MainLoop, AOneSecondStallRunsAbout120StepsThenOneFrame) {
  ftimestep = ftimedraw = now = 10;
  now += 1.0;
  double drawbefore = ftimedraw;
  pass();
  // 1.001 s later (the pass's own delay of 1 ms included): 120 whole steps are due.
  EXPECT_NEAR(ftimestep - 10, 120 / 120.0, 1e-9);
  EXPECT_EQ(frames(), 1u);
  double periods = (ftimedraw - drawbefore) * 60;
  EXPECT_NEAR(periods, 60, 1e-6);
  EXPECT_NEAR(periods, std::round(periods), 1e-6);  // stays on its grid
}

TEST_F(MainLoop, AReadingExactlyAtTheDueTimeRunsNothing) {
  ftimestep = ftimedraw = 0;
  now = 1 / 120.0;
  message = true;  // a waiting message: no pause in this pass, the clock stays put
  pass();
  EXPECT_EQ(ftimestep, 0);
  EXPECT_EQ(frames(), 0u);
}

TEST_F(MainLoop, HandlesOneMessagePerPassWithoutPausing) {
  message = true;
  pass();
  EXPECT_EQ(rec::count("IsKey260"), 13u);
  EXPECT_EQ(rec::count("Delay28"), 0u);
  message = false;
  pass();
  EXPECT_EQ(rec::count("Delay28"), 1u);
}

TEST_F(MainLoop, MusicLoopCheckComesFirstInEveryPass) {
  pass();
  ASSERT_GE(rec::calls.size(), 3u);
  EXPECT_EQ(rec::calls[0].entry, "IsWin47");
  EXPECT_EQ(rec::calls[1].entry, "GetAudioPos15");
}

TEST_F(MainLoop, EndsOnceTheWindowIsGone) {
  rec::numeric_result = [](rec::call const&) { return 0.0; };
  EXPECT_FALSE(pass());
  EXPECT_EQ(rec::calls.size(), 1u);
}

TEST_F(MainLoop, FirstStepOfAGameAddsTheSecondLoop) {
  step();
  EXPECT_EQ(loopn, 2);
  EXPECT_EQ(loopl, 2);
  step();
  EXPECT_EQ(loopn, 2);  // the course runs only one loop ahead
}

TEST_F(MainLoop, RestartRequestedBySpaceHappensInTheNextStep) {
  kill();
  ballexp = -1;
  spaceb = true;
  step();
  EXPECT_TRUE(initb);
  EXPECT_FALSE(ball.live);
  step();
  EXPECT_TRUE(ball.live);
  EXPECT_FALSE(initb);
  EXPECT_EQ(loopn, 2);  // the new game's second loop is already laid
}

TEST_F(MainLoop, SpaceInTheStepOfDeathMeetsADeadBall) {
  addloop();
  jump(2);  // off the checkpoint loop, so nothing holds the line back
  getballp();
  linep = 1000;  // the line is past the ball
  spaceb = true;
  ballexp = 5;  // last death's shrink not ended
  step();
  EXPECT_FALSE(ball.live);
  EXPECT_EQ(ball.side, 1);  // no flip
  EXPECT_FALSE(initb);
}

TEST_F(MainLoop, NewGameResetsSettingsLineAndFlagsButNotClocks) {
  ftimestep = 42;
  fpsb = true;
  loopstp = 9;
  autob = initb = spaceb = true;
  scrrot = 1;
  initgame();
  EXPECT_EQ(ftimestep, 42);
  EXPECT_TRUE(fpsb);
  EXPECT_EQ(loopstp, 5);
  EXPECT_EQ(loopcn, 20);
  EXPECT_FALSE(autob || initb || spaceb);
  EXPECT_EQ(scrrot, 0);
  EXPECT_EQ(linec, 1);
  EXPECT_EQ(linep, -60);
  EXPECT_EQ(spd, 2);
}

TEST_F(MainLoop, WindowOpensAt800By600TitledWithPenAndFont) {
  rec::calls.clear();
  initwin();
  auto create = rec::of("CreateWin42");
  ASSERT_EQ(create.size(), 1u);
  EXPECT_EQ(create[0].num(0), 800);
  EXPECT_EQ(create[0].num(1), 600);
  EXPECT_EQ(rec::of("SetTitle51").at(0).text(0), "quib_en");
  EXPECT_EQ(rec::of("SetPenWidth82").at(0).num(0), 2);
  EXPECT_EQ(rec::of("SetFontName113").at(0).text(0), "Consolas");
  EXPECT_EQ(framestep, 120);
  EXPECT_EQ(framedraw, 60);
}

}  // namespace
