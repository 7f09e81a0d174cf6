// The thirteen keys, each through a scripted key message.
#include "game/keys.h"

#include "game/ball.h"
#include "game/course.h"
#include "tests/game/fixture.h"

namespace {

class Keys : public GameTest {
 protected:
  // Makes the recorder report a press of `code` and hands it to act().
  void press(unsigned long code) {
    rec::numeric_result = [code, prev = rec::numeric_result](rec::call const& c) {
      if (c.entry == "IsKey260") return c.num(0) == code ? 1.0 : 0.0;
      return prev(c);
    };
    act();
  }
};

TEST_F(Keys, SpaceOnlyRaisesTheFlagAndTwoPressesCountAsOne) {
  press(key_space);
  press(key_space);
  EXPECT_TRUE(spaceb);
  EXPECT_EQ(ball.side, 1);
}

TEST_F(Keys, ArrowsJumpToTheNeighbouringSlotsAndWrap) {
  addloop();
  press(key_right);
  EXPECT_EQ(loopj, 2);
  EXPECT_EQ(rec::count("PlayAudio8"), 0u);  // a direct move is silent
  press(key_left);
  EXPECT_EQ(loopj, 1);
  for (int i = 0; i < 15; ++i) addloop();  // fills every slot
  loopj = 15;
  press(key_right);
  EXPECT_EQ(loopj, 0);
  press(key_left);
  EXPECT_EQ(loopj, 15);
}

TEST_F(Keys, LevelLengthAndBandsRiseFreelyButNeverFallBelowOne) {
  press(key_up);
  EXPECT_EQ(loopstp, 6);
  for (int i = 0; i < 10; ++i) press(key_down);
  EXPECT_EQ(loopstp, 1);
  press(key_home);
  EXPECT_EQ(loopcn, 21);
  for (int i = 0; i < 30; ++i) press(key_end);
  EXPECT_EQ(loopcn, 1);
}

TEST_F(Keys, NumpadPlusAndMinusScaleTheMultiplierByRootTwo) {
  for (int i = 0; i < 5; ++i) press(key_numplus);
  EXPECT_NEAR(spdmul, 5.65685, 1e-5);
  for (int i = 0; i < 5; ++i) press(key_numminus);
  EXPECT_NEAR(spdmul, 1, 1e-12);
  EXPECT_EQ(spd, 2);  // takes effect only at the next jump
}

TEST_F(Keys, RestartsAtOnceAndResetsSettingsButKeepsTheFrameRateFigure) {
  for (int i = 0; i < 5; ++i) addloop();
  press(key_up);
  press(key_numplus);
  press(key_f12);
  press(key_f9);
  EXPECT_TRUE(autob);
  EXPECT_TRUE(fpsb);
  press(key_r);
  EXPECT_EQ(loopn, 1);
  EXPECT_EQ(loopstp, 5);
  EXPECT_EQ(spdmul, 1);
  EXPECT_FALSE(autob);
  EXPECT_TRUE(fpsb);
}

TEST_F(Keys, EscClosesTheWindowAndOtherKeysDoNothing) {
  press(65);  // 'A'
  EXPECT_EQ(rec::count("CloseWin46"), 0u);
  EXPECT_FALSE(spaceb);
  press(key_esc);
  EXPECT_EQ(rec::count("CloseWin46"), 1u);
}

TEST_F(Keys, AHeldNumpadKeyNeverTakesTheMultiplierToInfinityOrZero) {
  for (int i = 0; i < 3000; ++i) press(key_numplus);
  EXPECT_TRUE(std::isfinite(spdmul));
  EXPECT_LE(spdmul, 4294967296.0);
  EXPECT_GT(spdmul, 4294967296.0 / 1.5);
  for (int i = 0; i < 6000; ++i) press(key_numminus);
  EXPECT_GT(spdmul, 0);
  EXPECT_GE(spdmul, 1 / 4294967296.0);
  jump(loopj);  // a jump sets the speed from the multiplier
  EXPECT_GT(spd, 0);
}

TEST_F(Keys, AsksAboutTheThirteenKeysInOrder) {
  act();
  std::vector<double> asked;
  for (auto const& c : rec::of("IsKey260")) asked.push_back(c.num(0));
  EXPECT_EQ(asked, (std::vector<double>{32, 39, 37, 38, 40, 107, 109, 36, 35, 82, 120, 123, 27}));
}

}  // namespace
