// The real binary's switches and the end of a replay: bad values stop it before any
// window, a seed is recorded as given, and a replay ends where the recorded run did.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/e2e/run.h"

namespace {

std::map<std::string, std::string> headless(std::string const& dir, double quitat) {
  return {{"DISP_HEADLESS", "1"},
          {"DISP_CLOCK", "virtual"},
          {"DISP_QUIT_AT", std::to_string(quitat)},
          {"DISP_KEYS", ""},
          {"QUIB_SEED", ""},
          {"QUIB_CHECK", ""},
          {"QUIB_STATS", dir + "/stats.txt"}};
}

TEST(Switches, ABadValueIsOneLineAndStatusTwoBeforeAnyWindow) {
  std::string dir = scratchdir("badswitch");
  struct {
    char const* name;
    std::string value;
    char const* says;
  } cases[] = {
      {"QUIB_SEED", "-1", "quib: QUIB_SEED='-1' is not a whole number from 0 to 4294967295\n"},
      {"QUIB_SEED", "4294967296", "QUIB_SEED='4294967296' is not"},
      {"QUIB_SEED", std::string(100000, '7') + "\x1b[2J", "7777..."},
      {"QUIB_CHECK", "maybe", "quib: QUIB_CHECK='maybe' is not yes or no"},
  };
  for (auto const& c : cases) {
    auto env = headless(dir, 5);
    env[c.name] = c.value;
    quibrun q = runquib(env, 20);
    EXPECT_EQ(q.status, 2) << q.err;
    EXPECT_NE(q.err.find(c.says), std::string::npos) << q.err;
    EXPECT_EQ(std::count(q.err.begin(), q.err.end(), '\n'), 1) << q.err;
    EXPECT_LT(q.err.size(), 200u);
    EXPECT_EQ(q.err.find('\x1b'), std::string::npos);
    EXPECT_EQ(readstats(dir + "/stats.txt").count("steps"), 0u) << "the game started";
  }
}

TEST(Switches, FalseTurnsTheChecksOffAndTheLargestSeedIsRecorded) {
  std::string dir = scratchdir("goodswitch");
  auto env = headless(dir, 1);
  env["QUIB_CHECK"] = "false";
  env["QUIB_SEED"] = "4294967295";
  quibrun q = runquib(env, quibopts{{"--record", dir + "/run.txt"}, QUIB_SOURCE_DIR, 20});
  ASSERT_EQ(q.status, 0) << q.err;
  EXPECT_EQ(readstats(dir + "/stats.txt").count("violations"), 0u) << "the checks ran";
  EXPECT_NE(readfile(dir + "/run.txt").find("\nseed 4294967295\n"), std::string::npos);
}

TEST(ReplayEnd, AnEndNoRunCouldReachIsRefusedAtOnce) {
  std::string dir = scratchdir("replayend");
  std::ofstream(dir + "/tiny.txt") << "quib-replay 1\nseed 1\nclock 0x0p+0\n5 ESC\n"
                                      "1000000000000 end\n";
  quibrun q =
      runquib(headless(dir, 600), quibopts{{"--replay", dir + "/tiny.txt"}, QUIB_SOURCE_DIR, 20});
  EXPECT_EQ(q.status, 2) << q.err;
  EXPECT_EQ(q.err.rfind("quib: cannot replay", 0), 0u) << q.err;
  EXPECT_NE(q.err.find("line 5: step 1000000000000"), std::string::npos) << q.err;
  EXPECT_EQ(std::count(q.err.begin(), q.err.end(), '\n'), 1) << q.err;
}

TEST(ReplayEnd, ARunClosedByTheClockReplaysToItsEnd) {
  std::string dir = scratchdir("replayquit");
  auto env = headless(dir, 3);
  std::ofstream(dir + "/keys.txt") << "0.4 F12\n";
  env["DISP_KEYS"] = dir + "/keys.txt";
  quibrun a = runquib(env, quibopts{{"--record", dir + "/run.txt"}, QUIB_SOURCE_DIR, 20});
  ASSERT_EQ(a.status, 0) << a.err;
  auto recorded = readstats(dir + "/stats.txt");
  auto play = headless(dir, 600);
  quibrun b = runquib(play, quibopts{{"--replay", dir + "/run.txt"}, QUIB_SOURCE_DIR, 20});
  ASSERT_EQ(b.status, 0) << b.err;
  EXPECT_EQ(readstats(dir + "/stats.txt"), recorded);
  EXPECT_NEAR(recorded["steps"], 360, 3);
}

}  // namespace
