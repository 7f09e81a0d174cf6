// libdisp against hostile arguments and damaged inputs: arcs whose angles cannot be
// subtracted, a key script that is no regular file, huge font names, warnings that would
// repeat a huge or raw argument. Cases that depend on the environment run as children.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/disp/disp.h"
#include "tests/disp/child.h"

namespace {

// ---- Scenarios: what the child runs ---------------------------------------------------

// Takes the scripted keys of the first 3 s and prints how many came; a script that never
// ends (a device) would keep it reading, so an alarm ends it as a failure.
int keys() {
  alarm(20);
  if (!CreateWin42(64, 48)) return 3;
  int n = 0;
  while (GetTimeR49() < 3) {
    while (IsNextMsg254())
      if (IsKey261()) ++n;
    Delay28(100);
  }
  printf("%d\n", n);
  return 0;
}

// Saves the window's picture to the FIFO named by HOSTILE_FIFO, which nobody reads.
int savefifo() {
  alarm(20);
  if (!CreateWin42(64, 48)) return 3;
  printf("%d\n", SaveBMP198(GetWin72(), getenv("HOSTILE_FIFO")) ? 1 : 0);
  return 0;
}

std::map<std::string, std::function<int()>> const scenarios = {{"keys", keys},
                                                               {"savefifo", savefifo}};

// ---- Helpers --------------------------------------------------------------------------

// What the calls of f write on stderr.
std::string stderrof(std::function<void()> const& f) {
  char path[] = "/tmp/hostile-err.XXXXXX";
  int fd = mkstemp(path);
  fflush(stderr);
  int saved = dup(2);
  dup2(fd, 2);
  f();
  fflush(stderr);
  dup2(saved, 2);
  close(saved);
  close(fd);
  std::string text = child::slurp(path);
  unlink(path);
  return text;
}

std::vector<unsigned long> canvaspixels() {
  std::vector<unsigned long> v;
  for (unsigned long y = 0; y < 600; y += 3)
    for (unsigned long x = 0; x < 800; x += 3) v.push_back(GetPixel148(x, y));
  return v;
}

class Hostile : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("DISP_HEADLESS", "1", 1);
    ASSERT_TRUE(CreateWin44());
    Clear163(0);
  }
  void TearDown() override { CloseWin46(); }
};

// ---- Arcs, pies and chords ------------------------------------------------------------

// Angles of ±1e308 are finite, but their difference is not; cairo aborted the process on
// the sweep that came out of it. They are taken modulo a turn, like any other angle.
TEST_F(Hostile, ArcAnglesTooFarApartDrawAsTheirRemainders) {
  double const a = std::fmod(1e308, 6.283185307179586), b = std::fmod(-1e308, 6.283185307179586);
  using shape = std::function<void(double, double)>;
  std::vector<std::pair<char const*, shape>> const shapes = {
      {"Arc172", [](double s, double e) { Arc172(977, 1135, 277, 685, s, e); }},
      {"Arc170", [](double s, double e) { Arc170(400, 300, 277, 185, s, e, 0xFFFFFF, 0x00FF00); }},
      {"Arc169", [](double s, double e) { Arc169(GetWin72(), 400, 300, 200, 200, s, e, 0xFF, 1); }},
      {"Pie176", [](double s, double e) { Pie176(400, 300, 277, 185, s, e); }},
      {"Chord178",
       [](double s, double e) { Chord178(400, 300, 150, 250, s, e, 0xFFFF00, 0x0000FF); }},
  };
  for (auto const& [name, draw] : shapes) {
    SCOPED_TRACE(name);
    Clear163(0);
    draw(a, b);
    auto const expected = canvaspixels();
    for (auto [s, e] :
         {std::pair{1e308, -1e308}, {-1e308, 1e308}, {1.7976931348623157e308, -1e308}}) {
      Clear163(0);
      draw(s, e);
      if (s == 1e308) {
        EXPECT_EQ(canvaspixels(), expected);
      }
    }
  }
  // The canvas still draws afterwards.
  Clear163(0);
  Circle187(10, 10, 3, 0xFF0000);
  EXPECT_EQ(GetPixel148(10, 10), 0xFF0000u);
}

// ---- Text ----------------------------------------------------------------------------

// A 1 MiB family name kept fontconfig busy for 18 s on the next text call; it is cut to
// a family name's length before it gets there, and text still shows in the fallback face.
TEST_F(Hostile, HugeFontNameCostsNoTime) {
  std::string const name(1 << 20, 'N');
  auto const t0 = std::chrono::steady_clock::now();
  SetFontName113(name.c_str());
  SetFontSize107(10, 20);
  unsigned long const w = GetStringWidth115("00");
  DrawTextXY121("00", 0, 0, 0xFFFFFF);
  double const s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_LT(s, 2.0);
  EXPECT_EQ(w, 20u);
  SetFont104();
}

// ---- Warnings ------------------------------------------------------------------------

// A warning repeats at most a short prefix of the name it was given, raw bytes escaped.
TEST_F(Hostile, WarningsQuoteAShortEscapedPrefix) {
  std::string const name = "\x1b[2J\xff" + std::string(1 << 20, 'n');
  std::string const err = stderrof([&] {
    EXPECT_EQ(LoadBMP197(name.c_str()), nullptr);
    EXPECT_FALSE(SaveBMP198(GetWin72(), ("/nonexistent-dir/" + name).c_str()));
  });
  std::vector<std::string> lines;
  for (size_t at = 0, nl; (nl = err.find('\n', at)) != std::string::npos; at = nl + 1)
    lines.push_back(err.substr(at, nl - at));
  ASSERT_EQ(lines.size(), 2u) << err.substr(0, 400);
  for (std::string const& l : lines) {
    EXPECT_LT(l.size(), 200u);
    EXPECT_EQ(l.find('\x1b'), std::string::npos);
    EXPECT_EQ(l.find('\xff'), std::string::npos);
    EXPECT_NE(l.find("...:"), std::string::npos) << l;
  }
  EXPECT_NE(lines[0].find("loadbmp: cannot load \"\\x1B[2J\\xFFnnn"), std::string::npos)
      << lines[0];
}

// An ordinary name is repeated as it is.
TEST_F(Hostile, WarningsKeepOrdinaryNames) {
  std::string const err =
      stderrof([] { EXPECT_EQ(LoadBMP197("/no/such/caf\xc3\xa9.bmp"), nullptr); });
  EXPECT_EQ(err.rfind("disp: loadbmp: cannot load \"/no/such/caf\xc3\xa9.bmp\": ", 0), 0u) << err;
}

// ---- The key script ------------------------------------------------------------------

class HostileKeys : public ::testing::Test {
 protected:
  std::string dir;
  void SetUp() override {
    char tmpl[] = "/tmp/hostile-keys.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
  }
  void TearDown() override { std::system(("rm -rf " + dir).c_str()); }
  child::result run(std::string const& keys) {
    return child::run(
        "keys",
        child::environment({"DISP_", "DISPLAY=", "WAYLAND_DISPLAY="},
                           {"DISP_HEADLESS=1", "DISP_CLOCK=virtual", "DISP_KEYS=" + keys}),
        dir);
  }
};

// A device fed the script without end (start-up hung), a directory gave no word; each is
// now one line, and the run goes on without a script.
TEST_F(HostileKeys, OnlyARegularFileIsAScript) {
  std::string const fifo = dir + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (std::string const& path :
       {std::string("/dev/urandom"), fifo, dir, std::string("/dev/null")}) {
    SCOPED_TRACE(path);
    child::result r = run(path);
    EXPECT_EQ(r.status, 0) << r.err.substr(0, 300);
    EXPECT_EQ(r.out, "0\n");
    ASSERT_EQ(r.errlines().size(), 1u) << r.err.substr(0, 300);
    EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
  }
  // A regular file still is one.
  FILE* f = fopen((dir + "/keys").c_str(), "w");
  fputs("0.5 SPACE\n1 F12\n", f);
  fclose(f);
  child::result r = run(dir + "/keys");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "2\n");
  EXPECT_EQ(r.err, "");
}

// Opening a FIFO for writing waits for a reader; saving to one that nobody reads hung.
TEST_F(HostileKeys, SavingToAFifoNobodyReadsFailsAtOnce) {
  std::string const fifo = dir + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  child::result r = child::run(
      "savefifo", child::environment({"DISP_"}, {"DISP_HEADLESS=1", "HOSTILE_FIFO=" + fifo}), dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "0\n");
  EXPECT_NE(r.err.find("savebmp: cannot write "), std::string::npos) << r.err;
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
