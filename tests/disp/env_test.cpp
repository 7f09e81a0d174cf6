// libdisp's environment switches. The library reads the environment once per process, so
// each case runs this same program again as a child with its own environment and one
// scenario, and checks what the child printed and wrote.
#include <SDL2/SDL.h>
#include <cairo.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/disp/disp.h"
#include "tests/disp/child.h"

extern char** environ;

namespace {

// ---- Scenarios: what the child runs ---------------------------------------------------

// The virtual key of the current message, 0 if it is no key press.
unsigned currentkey() {
  for (unsigned vk = 1; vk < 256; ++vk)
    if (IsKey260(vk)) return vk;
  return 0;
}

int virtualclock() {
  auto start = std::chrono::steady_clock::now();
  printf("%.9f", GetTimeR49());
  Delay28(5);
  printf(" %.9f", GetTimeR49());
  Delay28(1000);
  printf(" %.9f\n", GetTimeR49());
  auto real = std::chrono::steady_clock::now() - start;
  printf("real_ms %lld\n",
         (long long)std::chrono::duration_cast<std::chrono::milliseconds>(real).count());
  return 0;
}

int keys() {
  if (!CreateWin42(800, 600)) return 1;
  while (GetTimeR49() < 3) {
    if (IsNextMsg254())
      printf("%.3f %u\n", GetTimeR49(), currentkey());
    else
      Delay28(10);
  }
  return 0;
}

int quitat() {
  if (!CreateWin42(800, 600)) return 1;
  int passes = 0;
  while (IsWin47()) {
    IsNextMsg254();
    Delay28(1);
    ++passes;
  }
  printf("%.3f %d %d %d\n", GetTimeR49(), passes, int(IsNextMsg254()),
         int(SDL_WasInit(SDL_INIT_VIDEO) != 0));
  return 0;
}

// Frame i, shown at 50·i ms, is a disc in the colour (i + 1) << 16.
int shots() {
  if (!CreateWin42(200, 100)) return 1;
  for (int i = 0; i < 10; ++i) {
    Clear164();
    Circle187(100, 50, 20, (unsigned long)(i + 1) << 16);
    FreshWin45();
    Delay28(50);
  }
  return 0;
}

int stats() {
  if (!CreateWin42(800, 600)) return 1;
  for (int i = 0; i < 30; ++i) {
    IsNextMsg254();
    Clear164();
    Circle186(400, 300, 100, 0xFF0000, 1);
    FreshWin45();
    Delay28(2);
  }
  CloseWin46();  // writes the file once
  std::ifstream f(getenv("DISP_STATS"));
  std::cout << f.rdbuf();
  std::cout.flush();
  for (int i = 0; i < 5; ++i) IsNextMsg254();
  return 0;  // and again at exit
}

int nodisplay() {
  bool made = CreateWin42(800, 600);
  Clear164();
  Circle186(10, 10, 5, 0xFF0000, 0x00FF00);
  DrawTextXY121("x", 0, 0, 0xFFFFFF);
  FreshWin45();
  printf("%d %d %d %lu\n", int(made), int(IsWin47()), int(IsNextMsg254()), GetPixel148(10, 10));
  return 0;
}

int badenv() {
  double t0 = GetTimeR49();
  Delay28(20);
  printf("%d\n", int(GetTimeR49() - t0 >= 0.015));
  return 0;
}

std::map<std::string, std::function<int()>> const scenarios = {{"virtualclock", virtualclock},
                                                               {"keys", keys},
                                                               {"quitat", quitat},
                                                               {"shots", shots},
                                                               {"stats", stats},
                                                               {"nodisplay", nodisplay},
                                                               {"badenv", badenv}};

// ---- Running a child ------------------------------------------------------------------

using child::result;
using child::slurp;

class Env : public ::testing::Test {
 protected:
  std::string dir;
  void SetUp() override {
    char tmpl[] = "/tmp/disp_env_test.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
  }
  void TearDown() override {
    if (!HasFailure()) std::system(("rm -rf " + dir).c_str());
  }
  void write(std::string const& name, std::string const& text) {
    std::ofstream(dir + "/" + name) << text;
  }

  // Runs a scenario with the display switches cleared and `env` added.
  result run(char const* scenario, std::vector<std::string> env) {
    return child::run(
        scenario,
        child::environment({"DISP_", "DISPLAY=", "WAYLAND_DISPLAY=", "SDL_VIDEODRIVER="}, env),
        dir);
  }
};

// ---- Cases ----------------------------------------------------------------------------

TEST_F(Env, VirtualClockStartsAtZeroAndMovesOnlyByDelay) {
  result r = run("virtualclock", {"DISP_CLOCK=virtual"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "0.000000000 0.005000000 1.005000000");
  int realms = std::atoi(r.out.substr(r.out.find("real_ms ") + 8).c_str());
  EXPECT_LT(realms, 500) << "the virtual Delay28 must not sleep";
  EXPECT_EQ(r.err, "");
}

// Keys arrive once the clock reaches their time, in file order; every malformed line
// costs one message naming file and line, and the rest of the script still plays.
TEST_F(Env, ScriptedKeysArriveOnTimeAndBadLinesAreReported) {
  write("keys.txt",
        "# a script\n"
        "0.5 SPACE\n"
        "\n"
        "0.25 LEFT   # due already, but waits for the line before\n"
        "1 kp_plus\n"
        "1.0 107 extra\n"
        "abc SPACE\n"
        "2 NOSUCHKEY\n"
        "-1 SPACE\n"
        "2 999\n"
        "2.5 F12\n"
        "1.5\n"
        "2.75 189\n");
  result r =
      run("keys", {"DISP_HEADLESS=1", "DISP_CLOCK=virtual", "DISP_KEYS=" + dir + "/keys.txt"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "0.500 32\n0.500 37\n1.000 107\n2.500 123\n2.750 189\n");
  auto lines = r.errlines();
  ASSERT_EQ(lines.size(), 6u) << r.err;
  int const bad[] = {6, 7, 8, 9, 10, 12};
  for (size_t i = 0; i < lines.size(); ++i)
    EXPECT_NE(lines[i].find("keys.txt:" + std::to_string(bad[i]) + ":"), std::string::npos)
        << lines[i];
}

TEST_F(Env, MissingKeyScriptIsReportedOnce) {
  result r = run("keys", {"DISP_HEADLESS=1", "DISP_CLOCK=virtual", "DISP_KEYS=" + dir + "/none"});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  ASSERT_EQ(r.errlines().size(), 1u) << r.err;
  EXPECT_NE(r.err.find("none"), std::string::npos);
}

// Headless runs never start SDL's video, and the window closes at DISP_QUIT_AT.
TEST_F(Env, QuitAtClosesTheWindowOnTime) {
  result r = run("quitat", {"DISP_HEADLESS=1", "DISP_CLOCK=virtual", "DISP_QUIT_AT=0.5"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "0.500 500 0 0\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(Env, ShotsSaveTheFirstFrameShownAtOrAfterTheirTime) {
  std::string a = dir + "/a.png", b = dir + "/b.png", never = dir + "/never.png";
  result r = run("shots", {"DISP_HEADLESS=1", "DISP_CLOCK=virtual",
                           "DISP_SHOT=0.1:" + a + ",0.27:" + b + ",9:" + never +
                               ",0.2:/nonexistent/dir/c.png"});
  ASSERT_EQ(r.status, 0) << r.err;
  auto centre = [](std::string const& file) -> long {
    cairo_surface_t* s = cairo_image_surface_create_from_png(file.c_str());
    long v = -1;
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS &&
        cairo_image_surface_get_width(s) == 200) {
      auto* row = cairo_image_surface_get_data(s) + 50 * cairo_image_surface_get_stride(s);
      v = reinterpret_cast<uint32_t*>(row)[100] & 0xFFFFFF;
    }
    cairo_surface_destroy(s);
    return v;
  };
  EXPECT_EQ(centre(a), 3l << 16);  // frame 2, shown at 0.1
  EXPECT_EQ(centre(b), 7l << 16);  // frame 6, shown at 0.3
  EXPECT_EQ(access(never.c_str(), F_OK), -1);
  ASSERT_EQ(r.errlines().size(), 1u) << r.err;
  EXPECT_NE(r.err.find("/nonexistent/dir/c.png"), std::string::npos);
}

TEST_F(Env, StatsAreWrittenAtCloseAndAgainAtExit) {
  std::string file = dir + "/stats.txt";
  result r = run("stats", {"DISP_HEADLESS=1", "DISP_STATS=" + file});
  ASSERT_EQ(r.status, 0) << r.err;
  auto parse = [](std::string const& text) {
    std::map<std::string, double> m;
    std::istringstream in(text);
    std::string k;
    double v;
    while (in >> k >> v) m[k] = v;
    return m;
  };
  auto atclose = parse(r.out), atexit = parse(slurp(file));
  EXPECT_EQ(atclose["frames"], 30);
  EXPECT_EQ(atclose["passes"], 30);
  EXPECT_EQ(atexit["passes"], 35);
  for (char const* k : {"frames", "passes", "frame_ms_median", "frame_ms_p99", "frame_ms_max",
                        "pass_ms_median", "pass_ms_p99", "pass_ms_max", "draw_ms_median"})
    EXPECT_EQ(atexit.count(k), 1u) << k;
  // Each frame is at least the 2 ms pause apart, and not absurdly more.
  EXPECT_GE(atexit["frame_ms_median"], 1.9);
  EXPECT_LT(atexit["frame_ms_median"], 50);
  EXPECT_LE(atexit["frame_ms_median"], atexit["frame_ms_p99"]);
  EXPECT_LE(atexit["frame_ms_p99"], atexit["frame_ms_max"]);
  EXPECT_GT(atexit["draw_ms_median"], 0);
  EXPECT_LT(atexit["draw_ms_median"], atexit["frame_ms_median"]);
}

// No display and no headless switch: CreateWin42 fails with one line saying why and what
// to do, and everything after it stays harmless.
TEST_F(Env, NoDisplayFailsWithOneClearLine) {
  result r = run("nodisplay", {});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "0 0 0 0\n");
  auto lines = r.errlines();
  ASSERT_EQ(lines.size(), 1u) << r.err;
  EXPECT_EQ(lines[0].rfind("disp: cannot open a window: ", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find("DISP_HEADLESS=1"), std::string::npos);
}

TEST_F(Env, BadValuesAreReportedAndDefaultsUsed) {
  result r = run("badenv", {"DISP_HEADLESS=maybe", "DISP_CLOCK=fast", "DISP_QUIT_AT=soon",
                            "DISP_SHOT=nocolon", "DISP_KEYS=" + dir + "/missing"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "1\n");  // the real clock
  auto lines = r.errlines();
  ASSERT_EQ(lines.size(), 5u) << r.err;
  for (char const* var : {"DISP_HEADLESS", "DISP_CLOCK", "DISP_QUIT_AT", "DISP_SHOT", "DISP_KEYS"})
    EXPECT_NE(r.err.find(var), std::string::npos) << var;
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
