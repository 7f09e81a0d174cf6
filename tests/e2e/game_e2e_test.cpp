// The real quib binary, headless on a virtual clock with a fixed seed and scripted keys.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/e2e/run.h"

namespace {

struct game {
  std::string dir;
  std::map<std::string, std::string> env;

  explicit game(std::string const& name, std::string const& keys, double quitat,
                std::string const& seed = "7")
      : dir(scratchdir(name)) {
    std::ofstream(dir + "/keys.txt") << keys;
    env = {{"DISP_HEADLESS", "1"},
           {"DISP_CLOCK", "virtual"},
           {"DISP_KEYS", dir + "/keys.txt"},
           {"DISP_QUIT_AT", std::to_string(quitat)},
           {"QUIB_SEED", seed},
           {"QUIB_STATS", dir + "/stats.txt"},
           {"SOUND_LOG", dir + "/sound.log"}};
  }
  quibrun run() { return runquib(env); }
  std::map<std::string, double> stats() { return readstats(dir + "/stats.txt"); }
  std::vector<std::string> sounds() {
    std::vector<std::string> lines;
    std::istringstream in(readfile(dir + "/sound.log"));
    for (std::string l; std::getline(in, l);) {
      if (l.rfind("frq", 0) != 0) lines.push_back(l);
    }
    return lines;
  }
};

int red(long c) { return (c >> 16) & 0xFF; }
int green(long c) { return (c >> 8) & 0xFF; }
int blue(long c) { return c & 0xFF; }

TEST(EndToEnd, AutoPlayRunsTwoMinutesAndReachesLoop20) {
  game g("auto", "0.5 F12\n", 120.5);
  quibrun r = g.run();
  ASSERT_EQ(r.status, 0) << r.err;
  auto s = g.stats();
  EXPECT_NEAR(s["steps"], 120 * 120.5, 2);  // 120 steps a second
  EXPECT_GE(s["furthest_loop"], 20);
  EXPECT_GE(s["jumps"], 20);
}

TEST(EndToEnd, ADeathThenSpaceStartsANewGameWithTheMatchingSounds) {
  // Flipped outside on loop 0, the ball runs into loop 1 and dies; SPACE restarts once
  // the dying ball has shrunk away (0.3 s at speed 2).
  game g("death", "1.0 SPACE\n4.0 SPACE\n", 5);
  quibrun r = g.run();
  ASSERT_EQ(r.status, 0) << r.err;
  auto s = g.stats();
  EXPECT_EQ(s["deaths"], 1);
  EXPECT_EQ(s["games"], 2);
  EXPECT_EQ(g.sounds(), (std::vector<std::string>{"play bg.mp3 0", "play sj2.wav", "play sj4.wav",
                                                  "play bg.mp3 0"}));
}

TEST(EndToEnd, SameSeedAndKeysGiveByteIdenticalFrames) {
  std::string frames[2];
  for (int i = 0; i < 2; ++i) {
    game g("same" + std::to_string(i), "0.5 F12\n6 F9\n", 8.2);
    g.env["DISP_SHOT"] = "3:" + g.dir + "/a.png,8:" + g.dir + "/b.png";
    ASSERT_EQ(g.run().status, 0);
    frames[i] = readfile(g.dir + "/a.png") + readfile(g.dir + "/b.png");
  }
  EXPECT_GT(frames[0].size(), 2000u);
  EXPECT_EQ(frames[0], frames[1]);
}

TEST(EndToEnd, FirstFrameShowsLoopZeroRingNumberBallAndLine) {
  game g("first", "", 0.1);
  g.env["DISP_SHOT"] = "0:" + g.dir + "/first.png";
  ASSERT_EQ(g.run().status, 0);
  std::string png = g.dir + "/first.png";
  // Loop 0 and its ring, in the colour of hue 0, on black.
  for (int x : {460, 456}) {
    long c = pngpixel(png, x, 300);
    EXPECT_GT(red(c), 100) << x;
    EXPECT_LT(green(c) + blue(c), red(c) / 2) << x;
  }
  EXPECT_EQ(pngpixel(png, 458, 300) & 0xF0F0F0, 0u);  // black between circle and ring
  EXPECT_EQ(pngpixel(png, 399, 246), 0xFFFFFF);       // the ball, near the top of loop 0
  EXPECT_GT(red(pngpixel(png, 340, 60)), 100);        // the line at the loop's left edge
  int numberpixels = 0;
  for (int y = 280; y < 320; ++y) {
    for (int x = 390; x < 410; ++x) numberpixels += red(pngpixel(png, x, y)) > 100;
  }
  EXPECT_GT(numberpixels, 20);  // the number 0, centred
  EXPECT_EQ(pngpixel(png, 5, 5), 0);
}

TEST(EndToEnd, WithoutADisplayItSaysWhyAndFails) {
  quibrun r = runquib(
      {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", ""}, {"DISP_HEADLESS", ""}},
      30);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("window"), std::string::npos) << r.err;
}

}  // namespace
