// The real game with a gamepad: a scripted virtual controller (DISP_PAD_SCRIPT) against the
// same presses made on the keyboard (DISP_KEYS), headless on the virtual clock. The game's
// code knows nothing of pads, so the runs must not differ in any way.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/e2e/run.h"

namespace {

// One headless run with keys and/or a pad script; what it leaves behind.
struct outcome {
  quibrun run;
  std::string stats, sounds, frame;
};

outcome play(std::string const& name, std::string const& keys, std::string const& pad,
             double quitat) {
  std::string dir = scratchdir(name);
  std::ofstream(dir + "/keys.txt") << keys;
  std::map<std::string, std::string> env = {
      {"DISP_HEADLESS", "1"},
      {"DISP_CLOCK", "virtual"},
      {"DISP_KEYS", dir + "/keys.txt"},
      {"DISP_QUIT_AT", std::to_string(quitat)},
      {"DISP_SHOT", std::to_string(quitat - 0.05) + ":" + dir + "/last.png"},
      {"QUIB_SEED", "7"},
      {"QUIB_STATS", dir + "/stats.txt"},
      {"SOUND_LOG", dir + "/sound.log"}};
  if (!pad.empty()) {
    std::ofstream(dir + "/pad.txt") << pad;
    env["DISP_PAD_SCRIPT"] = dir + "/pad.txt";
  }
  outcome o;
  o.run = runquib(env);
  o.stats = readfile(dir + "/stats.txt");
  o.sounds = readfile(dir + "/sound.log");
  o.frame = readfile(dir + "/last.png");
  return o;
}

void expectsame(outcome const& a, outcome const& b) {
  ASSERT_EQ(a.run.status, 0) << a.run.err;
  ASSERT_EQ(b.run.status, 0) << b.run.err;
  EXPECT_EQ(a.run.err, b.run.err);
  EXPECT_EQ(a.stats, b.stats);
  EXPECT_EQ(a.sounds, b.sounds);
  EXPECT_GT(a.frame.size(), 1000u);
  EXPECT_TRUE(a.frame == b.frame) << "the last frames differ";
}

// A flip outside, the death it leads to, and a new game started by a second press: A and B
// do on the pad what SPACE does on the keyboard, down to the sound log and the last frame.
TEST(PadEndToEnd, FaceButtonsPlayExactlyLikeSpace) {
  outcome keys = play("pad_keys", "1.0 SPACE\n4.0 SPACE\n", "", 5);
  outcome pad = play("pad_pad", "", "1.0 down a\n1.2 up a\n4.0 down b\n4.3 up b\n", 5);
  expectsame(keys, pad);
  EXPECT_NE(keys.stats.find("games 2"), std::string::npos) << keys.stats;
  EXPECT_NE(keys.sounds.find("play sj2.wav"), std::string::npos) << keys.sounds;
}

// Unplugging the pad mid-game, even with a button held, only lets that button go.
TEST(PadEndToEnd, UnpluggingMidGameChangesNothingElse) {
  outcome held = play("pad_held", "0.5 F12\n", "1.0 down a\n3.0 up a\n", 6);
  outcome gone = play("pad_gone", "0.5 F12\n", "1.0 down a\n2.0 unplug\n", 6);
  expectsame(held, gone);
}

// Back + Start is Esc: the window closes, and neither R (a new game) nor F12 happens.
TEST(PadEndToEnd, BackAndStartTogetherCloseTheWindow) {
  outcome o = play("pad_quit", "", "1.0 down back\n1.05 down start\n", 30);
  ASSERT_EQ(o.run.status, 0) << o.run.err;
  EXPECT_NE(o.stats.find("games 1\n"), std::string::npos) << o.stats;
  std::map<std::string, double> s;
  std::istringstream in(o.stats);
  for (std::string k; in >> k >> s[k];) {
  }
  EXPECT_NEAR(s["steps"], 1.05 * 120, 2);
}

}  // namespace
