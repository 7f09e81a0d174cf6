// Gamepads on the headless backend: a DISP_PAD_SCRIPT drives SDL's virtual controller in a
// child process, which prints every key message it takes; the buttons must arrive as the
// keyboard's own keys. Also: headless never starts SDL without a scripted pad.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>

#include "platform/disp/disp.h"
#include "tests/disp/child.h"

namespace {

// ---- Scenarios (run in the child) -----------------------------------------------------

// Prints "key VK" for each key press (" repeat" when the key was down already is not
// visible through the entries, so presses are all alike) and "up" for each release, at the
// clock time they arrive; Esc closes the window, as the game does.
int keys() {
  if (!CreateWin42(80, 60)) return 1;
  SetTitle51("pad_probe");  // for the window test under Xvfb
  while (IsWin47()) {
    if (IsNextMsg254()) {
      if (IsKey261()) printf("%.3f key %lu\n", GetTimeR49(), GetKey262());
      if (IsMsg257(0x101)) printf("%.3f up\n", GetTimeR49());
      if (IsKey260(27)) CloseWin46();
    } else {
      Delay28(1);
    }
  }
  printf("closed\n");
  return 0;
}

// Without a scripted pad the headless backend keeps SDL wholly out of the process.
int nosdl() {
  if (!CreateWin42(80, 60)) return 1;
  for (int i = 0; i < 10; ++i) {
    IsNextMsg254();
    FreshWin45();
    Delay28(1);
  }
  printf("sdl %u\n", SDL_WasInit(SDL_INIT_EVERYTHING));
  return 0;
}

std::map<std::string, std::function<int()>> const scenarios = {{"keys", keys}, {"nosdl", nosdl}};

// ---- Fixture --------------------------------------------------------------------------

using child::result;

struct Pad : ::testing::Test {
  std::string dir;
  void SetUp() override {
    char tmpl[] = "/tmp/disp_pad_test.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
  }
  void TearDown() override {
    if (!HasFailure()) std::system(("rm -rf " + dir).c_str());
  }
  // Runs `keys` headless on the virtual clock with this pad script, until `quit` seconds.
  result play(std::string const& script, std::string const& quit = "3") {
    std::ofstream(dir + "/pad.txt") << script;
    return run("keys", {"DISP_HEADLESS=1", "DISP_CLOCK=virtual", "DISP_QUIT_AT=" + quit,
                        "DISP_PAD_SCRIPT=" + dir + "/pad.txt"});
  }
  result run(char const* scenario, std::vector<std::string> env) {
    return child::run(
        scenario,
        child::environment({"DISP_", "DISPLAY=", "WAYLAND_DISPLAY=", "SDL_VIDEODRIVER="}, env),
        dir);
  }
};

// ---- Cases ----------------------------------------------------------------------------

TEST_F(Pad, EveryButtonArrivesAsItsKeyWithPressAndRelease) {
  result r = play(
      "0.1 down a\n0.2 up a\n0.3 down b\n0.4 up b\n0.5 down x\n0.6 up x\n0.7 down y\n0.8 up y\n"
      "0.9 down dpleft\n1.0 up dpleft\n1.1 down dpup\n1.2 up dpup\n"
      "1.3 down dpright\n1.4 up dpright\n1.5 down dpdown\n1.6 up dpdown\n"
      "1.7 down leftshoulder\n1.8 up leftshoulder\n1.9 down rightshoulder\n2.0 up rightshoulder\n"
      "2.1 down leftstick\n2.2 up leftstick\n");  // a button the game has no use for
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "0.100 key 32\n0.200 up\n0.300 key 32\n0.400 up\n0.500 key 32\n0.600 up\n"
            "0.700 key 32\n0.800 up\n0.900 key 37\n1.000 up\n1.100 key 38\n1.200 up\n"
            "1.300 key 39\n1.400 up\n1.500 key 40\n1.600 up\n1.700 key 109\n1.800 up\n"
            "1.900 key 107\n2.000 up\nclosed\n");
  EXPECT_EQ(r.err, "");
}

// Start and Back act when let go, so that the two together give Esc and nothing else.
TEST_F(Pad, StartAndBackActOnReleaseAndTogetherAreEscAlone) {
  result r = play(
      "0.1 down start\n0.5 up start\n0.6 down back\n0.7 up back\n"
      "1.0 down back\n1.1 down start\n1.2 up back\n1.3 up start\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "0.500 key 82\n0.500 up\n0.700 key 123\n0.700 up\n1.100 key 27\nclosed\n");
}

TEST_F(Pad, TwoButtonsOfOneKeyReleaseItOnlyWhenBothAreUp) {
  result r = play("0.1 down a\n0.2 down b\n0.3 up a\n0.4 up b\n0.5 down a\n0.5 up a\n");
  ASSERT_EQ(r.status, 0) << r.err;
  // A press and its release due in the same instant are both seen.
  EXPECT_EQ(r.out, "0.100 key 32\n0.200 key 32\n0.400 up\n0.500 key 32\n0.500 up\nclosed\n");
}

TEST_F(Pad, BadScriptLinesAreReportedOnceEachAndTheRestPlays) {
  result r = play("# comment\nsoon down a\n0.1 press a\n0.3 down z\n0.6 down a\n" +
                  std::string(400, 'x') + "\n0.7 up a\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "0.600 key 32\n0.700 up\nclosed\n");
  EXPECT_EQ(r.errlines().size(), 4u) << r.err;
  EXPECT_NE(r.err.find("pad.txt:2: the time is not"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(":6: line too long"), std::string::npos) << r.err;
}

// A directory, a device or a FIFO would feed a reader without end or not at all.
TEST_F(Pad, OnlyARegularFileIsReadAsAScript) {
  for (std::string path : {dir, std::string("/dev/zero")}) {
    result r = run("keys", {"DISP_HEADLESS=1", "DISP_CLOCK=virtual", "DISP_QUIT_AT=0.5",
                            "DISP_PAD_SCRIPT=" + path});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "closed\n");
    ASSERT_EQ(r.errlines().size(), 1u) << r.err;
    EXPECT_NE(r.err.find("DISP_PAD_SCRIPT: cannot read"), std::string::npos) << r.err;
  }
}

TEST_F(Pad, HeadlessWithoutAPadScriptNeverStartsSdl) {
  result r = run("nosdl", {"DISP_HEADLESS=1", "DISP_CLOCK=virtual"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "sdl 0\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "--scenario") == 0) {
    auto it = scenarios.find(argv[2]);
    return it == scenarios.end() ? 2 : it->second();
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
