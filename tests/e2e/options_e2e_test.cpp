// The real binary's command line, its sounds found from any folder, record and replay,
// the checking mode under a storm of keys, and the statistics on every way out.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <random>
#include <sstream>

#include "tests/e2e/run.h"

namespace {

// A headless run on the virtual clock, with its files in a scratch folder.
struct run {
  std::string dir;
  std::map<std::string, std::string> env;
  quibopts opts;

  explicit run(std::string const& name, std::string const& keys = "", double quitat = 60)
      : dir(scratchdir(name)) {
    std::ofstream(dir + "/keys.txt") << keys;
    env = {{"DISP_HEADLESS", "1"},
           {"DISP_CLOCK", "virtual"},
           {"DISP_KEYS", dir + "/keys.txt"},
           {"DISP_QUIT_AT", std::to_string(quitat)},
           {"QUIB_SEED", ""},
           {"QUIB_STATS", dir + "/stats.txt"},
           {"SOUND_LOG", dir + "/sound.log"}};
  }
  quibrun go() { return runquib(env, opts); }
  std::map<std::string, double> stats() { return readstats(dir + "/stats.txt"); }
  // The plays of the sound log (positions and pitch follow the audio device's own clock).
  std::string plays() {
    std::istringstream in(readfile(dir + "/sound.log"));
    std::string out;
    for (std::string l; std::getline(in, l);) {
      if (l.rfind("play", 0) == 0) out += l + "\n";
    }
    return out;
  }
};

int lines(std::string const& s) { return static_cast<int>(std::count(s.begin(), s.end(), '\n')); }

TEST(Options, VersionAndUnknownArgumentsOpenNoWindow) {
  // No display and no headless switch: a window attempt would fail with status 1.
  std::map<std::string, std::string> nodisplay = {
      {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"DISP_HEADLESS", ""}, {"SDL_VIDEODRIVER", ""}};
  quibrun v = runquib(nodisplay, quibopts{{"--version"}});
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out, "quib 0.9.0\n");
  quibrun u = runquib(nodisplay, quibopts{{"--fullscreen", "-x\x01"}});
  EXPECT_EQ(u.status, 2);
  EXPECT_EQ(u.out, "");
  EXPECT_EQ(u.err.rfind("quib: unknown argument '-x\\x01'\n", 0), 0u) << u.err;
  EXPECT_EQ(u.err.find("disp:"), std::string::npos) << u.err;
}

TEST(Options, FromAnotherFolderTheSoundsAreFound) {
  run r("elsewhere", "1.0 SPACE\n", 1.2);
  r.opts.cwd = r.dir;
  quibrun q = r.go();
  ASSERT_EQ(q.status, 0) << q.err;
  EXPECT_EQ(q.err.find("not found"), std::string::npos) << q.err;
  EXPECT_EQ(q.err.find("cannot load"), std::string::npos) << q.err;
  EXPECT_EQ(r.plays(), "play bg.mp3 0\nplay sj2.wav\n");
}

// Random key timings: SPACE mostly, with the direct moves, settings and restarts mixed in,
// then Esc. The seed is printed when a test fails.
std::string randomkeys(unsigned seed, double seconds) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> gap(0.02, 0.8);
  char const* others[] = {"LEFT",     "RIGHT", "UP",  "DOWN", "KP_PLUS",
                          "KP_MINUS", "HOME",  "END", "R",    "F12"};
  std::ostringstream keys;
  double t = 0.3;
  for (int n = 0; t < seconds; ++n, t += gap(gen)) {
    keys << t << (n % 7 == 6 ? std::string(" ") + others[gen() % 10] : " SPACE") << "\n";
    if (n % 11 == 10) keys << t << " SPACE\n" << t << " F12\n";  // several in one pass
  }
  keys << seconds + 0.5 << " ESC\n";
  return keys.str();
}

TEST(Replay, ARecordedHeadlessRunReplaysToTheSameRunAndFrame) {
  unsigned seed = std::random_device{}();
  SCOPED_TRACE("key timings from seed " + std::to_string(seed));
  run rec("record", randomkeys(seed, 25), 60);
  rec.env["QUIB_LASTFRAME"] = rec.dir + "/last.bmp";
  rec.opts.args = {"--record", rec.dir + "/run.txt"};
  quibrun a = rec.go();
  ASSERT_EQ(a.status, 0) << a.err;

  run play("replay", "", 600);
  play.env["QUIB_LASTFRAME"] = play.dir + "/last.bmp";
  play.env["QUIB_SEED"] = "1";  // the recording's seed wins
  play.opts.args = {"--replay", rec.dir + "/run.txt"};
  quibrun b = play.go();
  ASSERT_EQ(b.status, 0) << b.err;

  EXPECT_EQ(rec.stats(), play.stats());
  EXPECT_GT(rec.stats()["deaths"], 0);
  EXPECT_EQ(rec.plays(), play.plays());
  std::string frame = readfile(rec.dir + "/last.bmp");
  EXPECT_GT(frame.size(), 800u * 600 * 3);
  EXPECT_TRUE(frame == readfile(play.dir + "/last.bmp")) << "final frames differ";
}

TEST(Replay, EscQuitsAReplayAndOtherLiveKeysDoNothing) {
  run rec("record2", "0.5 F12\n", 20);
  rec.opts.args = {"--record", rec.dir + "/run.txt"};
  ASSERT_EQ(rec.go().status, 0);
  // Live SPACE and R would change the run; they are ignored. Esc ends it early.
  run play("replay2", "2 R\n3 SPACE\n4 R\n", 600);
  play.opts.args = {"--replay", rec.dir + "/run.txt"};
  ASSERT_EQ(play.go().status, 0);
  EXPECT_EQ(rec.stats(), play.stats());
  run quit("replay3", "5 ESC\n", 600);
  quit.opts.args = {"--replay", rec.dir + "/run.txt"};
  ASSERT_EQ(quit.go().status, 0);
  EXPECT_NEAR(quit.stats()["steps"], 600, 3);
}

TEST(Replay, DamagedRecordingsFailWithOneLineAndNoWindow) {
  std::string dir = scratchdir("damaged");
  std::ofstream(dir + "/bad.txt") << "quib-replay 1\nseed 1\nclock 0\n5 frame\n3 frame\n";
  std::ofstream(dir + "/junk.txt", std::ios::binary) << std::string(100000, '\xff');
  std::map<std::string, std::string> nodisplay = {
      {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"DISP_HEADLESS", ""}, {"SDL_VIDEODRIVER", ""}};
  for (std::string file :
       {dir + "/bad.txt", dir + "/junk.txt", dir, std::string("/dev/urandom"), dir + "/missing"}) {
    quibrun q = runquib(nodisplay, quibopts{{"--replay", file}, QUIB_SOURCE_DIR, 20});
    EXPECT_EQ(q.status, 2) << file << ": " << q.err;
    EXPECT_EQ(lines(q.err), 1) << q.err;
    EXPECT_LT(q.err.size(), 300u);
    EXPECT_EQ(q.err.rfind("quib: cannot replay", 0), 0u) << q.err;
  }
  quibrun w = runquib(nodisplay, quibopts{{"--record", dir}, QUIB_SOURCE_DIR, 20});
  EXPECT_EQ(w.status, 2);
  EXPECT_EQ(w.err.rfind("quib: cannot record into", 0), 0u) << w.err;
}

TEST(Check, AStormOfEveryKeyKeepsEveryInvariant) {
  unsigned seed = std::random_device{}();
  SCOPED_TRACE("storm from seed " + std::to_string(seed));
  std::mt19937 gen(seed);
  char const* keys[] = {"SPACE",    "LEFT", "RIGHT", "UP", "DOWN", "KP_PLUS",
                        "KP_MINUS", "HOME", "END",   "R",  "F9",   "F12"};
  std::ostringstream script;
  for (double t = 0.2; t < 120; t += 0.05 + (gen() % 1000) / 400.0) {
    int burst = gen() % 4 == 0 ? 1 + gen() % 12 : 1;
    for (int i = 0; i < burst; ++i) script << t << " " << keys[gen() % 12] << "\n";
    script << t << " F12\n";
  }
  run r("storm", script.str(), 120);
  r.env["QUIB_CHECK"] = "1";
  quibrun q = r.go();
  EXPECT_EQ(q.status, 0) << q.err;
  EXPECT_EQ(r.stats()["violations"], 0);
  EXPECT_GT(r.stats()["games"], 2);
  EXPECT_EQ(q.err.find("check failed"), std::string::npos) << q.err;
}

TEST(ExitPaths, StatisticsAreWrittenOnTheTerminationSignals) {
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    run r("signal" + std::to_string(sig), "0.2 F12\n", 600);
    r.env["DISP_CLOCK"] = "real";
    r.opts.signal = sig;
    r.opts.signalafter = 0.7;
    quibrun q = r.go();
    EXPECT_EQ(q.signal, 0) << "killed by signal " << sig;
    EXPECT_EQ(q.status, 0) << q.err;
    EXPECT_GT(r.stats()["steps"], 10) << "signal " << sig;
  }
}

TEST(ExitPaths, StatisticsAreWrittenWhenNoWindowOpens) {
  run r("nowindow");
  r.env["DISP_HEADLESS"] = "";
  r.env["DISPLAY"] = "";
  r.env["WAYLAND_DISPLAY"] = "";
  r.env["SDL_VIDEODRIVER"] = "";
  quibrun q = r.go();
  EXPECT_EQ(q.status, 1);
  EXPECT_EQ(r.stats()["games"], 1);
  EXPECT_EQ(r.stats()["steps"], 0);
}

}  // namespace
