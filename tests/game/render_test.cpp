// View transform, shapes and scene drawing, checked on the calls that reach the display
// library (pixels are checked end to end on the real canvas).
#include "render/scene.h"

#include "game/ball.h"
#include "game/course.h"
#include "render/view.h"
#include "tests/game/fixture.h"

namespace {

class Render : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    // Text measures like a monospace font of the size last set.
    rec::numeric_result = [this, prev = rec::numeric_result](rec::call const& c) -> double {
      if (c.entry == "SetFontSize107") fontw = c.num(0), fonth = c.num(1);
      if (c.entry == "GetStringWidth115") return fontw * c.text(0).size();
      if (c.entry == "GetStringHeight116") return fonth;
      if (c.entry == "GetFPS37") return 59;
      return prev(c);
    };
  }
  double fontw = 0, fonth = 0;
};

TEST_F(Render, RotateCentresTheCameraAndTurnsClockwise) {
  double x = 10, y = 20;
  rotate(x, y);
  EXPECT_DOUBLE_EQ(x, 410);
  EXPECT_DOUBLE_EQ(y, 320);
  EXPECT_DOUBLE_EQ(rotp.y, 320);
  scrrot = M_PI / 2;
  vector p = {10, 0};
  rotate(p);
  EXPECT_NEAR(p.x, 400, 1e-9);
  EXPECT_NEAR(p.y, 310, 1e-9);
}

TEST_F(Render, SpikeCornersAndTipBothWays) {
  linep = -1000;
  drawtri(0, 0, 60, 0, 1, 0x123456, 1);
  drawtri(0, 0, 60, 0, 1, 0x123456, -1);
  auto t = rec::of("Triangle166");
  ASSERT_EQ(t.size(), 2u);
  long base = static_cast<long>(300 + std::sqrt(3500.0));
  std::vector<double> in = {410, double(base),
                            390, double(base),
                            400, double(static_cast<long>(300 + std::sqrt(3500.0) - 20)),
                            1,   0x123456};
  for (size_t i = 0; i < in.size(); ++i) EXPECT_EQ(t[0].num(i), in[i]) << i;
  EXPECT_EQ(t[1].num(5), static_cast<long>(300 + std::sqrt(3500.0) + 20));
}

TEST_F(Render, SpikeWhoseBaseMidpointIsOnTheLineIsGrey) {
  linep = 0;
  drawtri(0, 0, 60, 0, 1, 0x123456, 1);
  linep = -1e-9;
  drawtri(0, 0, 60, 0, 1, 0x123456, 1);
  auto t = rec::of("Triangle166");
  EXPECT_EQ(t[0].num(7), grey);
  EXPECT_EQ(t[1].num(7), 0x123456);
}

TEST_F(Render, SpikeOnATinyCircleIsNotDrawn) {
  drawtri(0, 0, 10, 0, 1, 0x123456, 1);
  EXPECT_EQ(rec::count("Triangle166"), 0u);
}

TEST_F(Render, CircleIsWholeInColourOrGreyAtTheExactEdges) {
  loopp = {400, 300};
  linep = -60;
  drawcircle(0, 0, 60, 0x123456);
  linep = 60;
  drawcircle(0, 0, 60, 0x123456);
  auto c = rec::of("Circle186");
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0].num(3), 0x123456);
  EXPECT_EQ(c[0].num(4), 1);
  EXPECT_EQ(c[1].num(3), grey);
  EXPECT_EQ(rec::count("Arc170"), 0u);
}

TEST_F(Render, CircleCutByTheLineIsAColouredRightArcThenAGreyLeftArc) {
  loopp = {400.7, 300.2};
  linep = 30;
  drawcircle(0, 0, 60, 0x123456);
  auto a = rec::of("Arc170");
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0].num(0), 400);
  EXPECT_EQ(a[0].num(1), 300);
  EXPECT_EQ(a[0].num(2), 60);
  EXPECT_EQ(a[0].num(3), 60);
  EXPECT_NEAR(a[0].num(4), M_PI / 3, 1e-12);
  EXPECT_NEAR(a[0].num(5), -M_PI / 3, 1e-12);
  EXPECT_EQ(a[0].num(6), 0x123456);
  EXPECT_EQ(a[0].num(7), 1);
  EXPECT_NEAR(a[1].num(4), -M_PI / 3, 1e-12);
  EXPECT_EQ(a[1].num(6), grey);
  linep = 0;
  scrrot = 0.25;
  drawcircle(0, 0, 60, 0x123456);
  EXPECT_NEAR(rec::of("Arc170")[2].num(4), 0.25 + M_PI / 2, 1e-12);
}

TEST_F(Render, FirstFrameOfAGame) {
  drawall();
  ASSERT_FALSE(rec::calls.empty());
  EXPECT_EQ(rec::calls.front().entry, "Clear164");
  EXPECT_EQ(rec::calls.back().entry, "FreshWin45");
  auto circles = rec::of("Circle186");
  ASSERT_EQ(circles.size(), 2u);  // the loop, then its one checkpoint ring
  EXPECT_EQ(circles[0].num(0), 400);
  EXPECT_EQ(circles[0].num(1), 300);
  EXPECT_EQ(circles[0].num(2), 60);
  EXPECT_EQ(circles[1].num(2), 56);
  auto text = rec::of("DrawTextXY121");
  ASSERT_EQ(text.size(), 1u);
  EXPECT_EQ(text[0].text(0), "0");
  EXPECT_EQ(text[0].num(1), 400 - 10);
  EXPECT_EQ(text[0].num(2), 300 - 20);
  EXPECT_EQ(text[0].num(3), loop[1].color);  // centre right of the line at -60
  auto ball = rec::of("Circle187");
  ASSERT_EQ(ball.size(), 1u);
  EXPECT_EQ(ball[0].num(0), 400);
  EXPECT_EQ(ball[0].num(1), 246);
  EXPECT_EQ(ball[0].num(2), 6);
  EXPECT_EQ(ball[0].num(3), 0xFFFFFF);
  auto line = rec::of("Line155");
  ASSERT_EQ(line.size(), 1u);
  EXPECT_EQ(line[0].num(0), 340);
  EXPECT_EQ(line[0].num(1), -200);
  EXPECT_EQ(line[0].num(2), 0);
  EXPECT_EQ(line[0].num(3), 1000);
}

TEST_F(Render, OrderWithinALoopIsSpikesCircleRingsNumber) {
  addloop(300, 0, 120, 1);  // slot 2, newest, with spikes
  scrloopp = {loop[2].x, loop[2].y};
  loop[1].live = false;
  rec::calls.clear();
  drawloop();
  std::vector<std::string> order;
  for (auto const& c : rec::calls) {
    if (c.entry != "SetFontSize107" && c.entry != "GetStringWidth115" &&
        c.entry != "GetStringHeight116" && c.entry != "abs2" && c.entry != "arccos5" &&
        c.entry != "i2s7") {
      order.push_back(c.entry);
    }
  }
  EXPECT_EQ(order,
            (std::vector<std::string>{"Triangle166", "Triangle166", "Circle186", "DrawTextXY121"}));
}

TEST_F(Render, RingsCountCompletedTurnsThroughTheBandsUpToEleven) {
  struct row {
    int num, stp, cn;
    size_t rings;
  };
  for (row t : {row{0, 5, 20, 1}, row{95, 5, 20, 1}, row{100, 5, 20, 2}, row{1000, 5, 20, 11},
                row{5000, 5, 20, 11}, row{15, 5, 3, 2}, row{30, 5, 3, 3}, row{10, 5, 3, 1},
                row{7, 5, 20, 0}}) {
    rec::calls.clear();
    loop[1].num = t.num;
    loopstp = t.stp;
    loopcn = t.cn;
    drawloop();
    EXPECT_EQ(rec::count("Circle186") - 1, t.rings) << t.num;
  }
}

TEST_F(Render, NewestLoopIsDrawnWhereItFliesInButGreyedByItsTrueCentre) {
  scrloopp = {100, 0};
  linep = 0;  // exactly on the true centre: grey number, split circle
  drawloop();
  auto text = rec::of("DrawTextXY121");
  EXPECT_EQ(text.at(0).num(1), 500 - 10);
  EXPECT_EQ(text.at(0).num(3), grey);
  EXPECT_EQ(rec::of("Arc170").at(0).num(0), 500);
}

TEST_F(Render, DeadBallShrinksInItsLoopsColourToADot) {
  ftimestep = 2;
  kill();
  drawball();
  auto b = rec::of("Circle187");
  EXPECT_EQ(b.at(0).num(2), 6);
  EXPECT_EQ(b.at(0).num(3), loop[loopj].color);
  EXPECT_EQ(ballexp, 6);
  ftimestep = 2 + 0.6 / spd + 0.001;
  drawball();
  b = rec::of("Circle187");
  EXPECT_EQ(b.at(1).num(2), 0);
  EXPECT_LT(ballexp, 0);
}

TEST_F(Render, FrameRateFigureOnlyWhenSwitchedOn) {
  drawfps();
  EXPECT_EQ(rec::calls.size(), 0u);
  fpsb = true;
  drawfps();
  auto t = rec::of("DrawTextXY121");
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].text(0), "59");
  EXPECT_EQ(t[0].num(1), 0);
  EXPECT_EQ(t[0].num(3), grey);
  EXPECT_EQ(rec::of("SetFontSize107").at(0).num(0), 10);
}

}  // namespace
