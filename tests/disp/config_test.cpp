// libdisp's switch table, its one parser, the files the library writes and its warnings.
// Most cases run this program again as a child (the environment is read once per
// process); a child that hangs on a file is ended by its alarm and fails the case.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/disp/config.h"
#include "platform/disp/disp.h"
#include "tests/disp/child.h"

namespace {

// ---- Scenarios: what the child runs ---------------------------------------------------

char const* target() { return getenv("TEST_TARGET"); }

// A few frames, then the close, which writes DISP_STATS: its error code and text.
int frames() {
  if (!CreateWin42(200, 100)) return 1;
  for (int i = 0; i < 3; ++i) {
    Clear164();
    FreshWin45();
    printf("frame %lu\n", GetError38());
  }
  CloseWin46();
  printf("close %lu %s\n", GetError38(), disp_errortext());
  return 0;
}

int savebmp() {
  bitmap* b = CreateBMP192(100, 100);
  bool ok = SaveBMP198(b, target());
  printf("%d %lu %s\n", int(ok), GetError38(), disp_errortext());
  return 0;
}

// The same after a small file-size limit: writes fail midway, as on a full disk.
int savebmplimited() {
  signal(SIGXFSZ, SIG_IGN);
  rlimit lim{1000, 1000};
  setrlimit(RLIMIT_FSIZE, &lim);
  return savebmp();
}

int statslimited() {
  signal(SIGXFSZ, SIG_IGN);
  rlimit lim{150, 150};  // more than this child prints, less than the statistics
  setrlimit(RLIMIT_FSIZE, &lim);
  return frames();
}

int texts() {
  if (!CreateWin42(200, 100)) return 1;
  for (int i = 0; i < 500; ++i) DrawTextXY121("x", 0, 0, 0xFFFFFF);
  CloseWin46();
  fprintf(stderr, "closed\n");
  DrawTextXY121("x", 0, 0, 0xFFFFFF);  // no window: nothing drawn, nothing said
  return 0;
}

int window() {
  printf("%d\n", int(CreateWin42(200, 100)));
  return 0;
}

int windowtext() {
  CreateWin42(200, 100);
  printf("%s\n", disp_errortext());
  return 0;
}

int msgbox() {
  MsgBox23("first \x1b[2J line\nsecond\x07 line", "cap\x1b]0;x", 0);
  return 0;
}

std::map<std::string, std::function<int()>> const scenarios = {{"frames", frames},
                                                               {"savebmp", savebmp},
                                                               {"savebmplimited", savebmplimited},
                                                               {"statslimited", statslimited},
                                                               {"texts", texts},
                                                               {"window", window},
                                                               {"windowtext", windowtext},
                                                               {"msgbox", msgbox}};

// ---- Running a child ------------------------------------------------------------------

using child::result;

class Config : public ::testing::Test {
 protected:
  std::string dir;
  void SetUp() override {
    char tmpl[] = "/tmp/disp_config_test.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
  }
  void TearDown() override {
    if (!HasFailure()) std::system(("rm -rf " + dir).c_str());
  }
  result run(char const* scenario, std::vector<std::string> env) {
    return child::run(
        scenario,
        child::environment({"DISP_", "DISPLAY=", "WAYLAND_DISPLAY=", "SDL_VIDEODRIVER="}, env),
        dir);
  }
  std::string fifo() {
    std::string path = dir + "/fifo";
    mkfifo(path.c_str(), 0600);
    return path;
  }
};

// ---- Cases ----------------------------------------------------------------------------

// The README's table lists exactly the switches of the table the library reads, in its
// order, with the values it takes.
TEST(Switches, TheReadmeTableIsTheLibrarysTable) {
  std::ifstream readme(std::string(QUIB_SOURCE_DIR) + "/platform/disp/README.md");
  ASSERT_TRUE(readme.good());
  std::vector<std::pair<std::string, std::string>> rows;
  for (std::string l; std::getline(readme, l);) {
    if (l.rfind("| `DISP_", 0) != 0) continue;
    size_t const name = l.find('`') + 1, bar = l.find(" | ", name);
    size_t const values = bar + 3, end = l.find(" | ", values);
    rows.emplace_back(l.substr(name, l.find('`', name) - name), l.substr(values, end - values));
  }
  ASSERT_EQ(rows.size(), std::size(dsp_switches));
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].first, dsp_switches[i].name);
    EXPECT_EQ(rows[i].second, dsp_switches[i].values) << rows[i].first;
  }
}

// Every yes/no switch takes the same words in any case, and says which one is wrong.
TEST_F(Config, OneYesNoRuleForEverySwitch) {
  result r = run("window", {"DISP_HEADLESS=On", "DISP_FULLSCREEN=FALSE", "DISP_CACHE=OFF"});
  EXPECT_EQ(r.out, "1\n");
  EXPECT_EQ(r.err, "");
  r = run("window", {"DISP_HEADLESS=yes", "DISP_CACHE=maybe"});
  EXPECT_EQ(r.out, "1\n");
  ASSERT_EQ(r.errlines().size(), 1u) << r.err;
  EXPECT_EQ(r.errlines()[0].rfind("disp: DISP_CACHE=maybe ", 0), 0u) << r.err;
}

TEST_F(Config, NumbersAreReadStrictly) {
  for (char const* bad : {" 1", "+1", "0x1", "inf", "1s", "-0"}) {
    result r = run("window", {"DISP_HEADLESS=1", std::string("DISP_QUIT_AT=") + bad});
    ASSERT_EQ(r.errlines().size(), 1u) << bad << ": " << r.err;
    EXPECT_NE(r.err.find("DISP_QUIT_AT"), std::string::npos) << r.err;
  }
  for (char const* bad : {"10x+5", " 10x10", "10x10 ", "10x", "0x10", "100000x1"}) {
    result r = run("window", {"DISP_HEADLESS=1", std::string("DISP_SIZE=") + bad});
    ASSERT_EQ(r.errlines().size(), 1u) << bad << ": " << r.err;
    EXPECT_NE(r.err.find("DISP_SIZE"), std::string::npos) << r.err;
  }
  result r = run("window", {"DISP_HEADLESS=1", "DISP_QUIT_AT=1e1", "DISP_SIZE=640X480"});
  EXPECT_EQ(r.err, "");
}

// Whatever a value holds, the terminal gets printable text of bounded length.
TEST_F(Config, EchoedValuesAreEscapedAndBounded) {
  auto printable = [](std::string const& err) {
    for (unsigned char c : err)
      if ((c < 0x20 && c != '\n') || c == 0x7F) return false;
    return true;
  };
  result r = run("window", {"DISP_HEADLESS=1", "DISP_SIZE=\x1b[2J" + std::string(5000, 'x')});
  EXPECT_TRUE(printable(r.err)) << r.err;
  EXPECT_NE(r.err.find("\\x1B[2J"), std::string::npos) << r.err;
  EXPECT_LT(r.err.size(), 300u);
  // Overlong forms and surrogates are no characters either; a real one passes as it is.
  r = run("window", {"DISP_HEADLESS=1", "DISP_SIZE=\xC0\xAF\xE0\x80\x9B\xED\xA0\x80\xC3\xA9"});
  EXPECT_NE(r.err.find("=\\xC0\\xAF\\xE0\\x80\\x9B\\xED\\xA0\\x80\xC3\xA9 is not"),
            std::string::npos)
      << r.err;
  r = run("windowtext", {"DISPLAY=:99\x1b]0;title\x07", "SDL_VIDEODRIVER=x11"});
  EXPECT_NE(r.out.find("createwin: cannot open a window"), std::string::npos) << r.out;
  EXPECT_TRUE(printable(r.out)) << r.out;  // the error text, as a program would print it
  EXPECT_TRUE(printable(r.err)) << r.err;
  r = run("msgbox", {"DISP_HEADLESS=1"});
  EXPECT_EQ(r.err, "cap\\x1B]0;x: first \\x1B[2J line\nsecond\\x07 line\n");
}

// A FIFO nobody reads, a directory, a device: each refused at once, told with its cause,
// and the entry that wrote says so.
TEST_F(Config, OutputFilesMustBeRegularOrNew) {
  for (std::string const& to : {fifo(), dir, std::string("/dev/full")}) {
    result r = run("frames", {"DISP_HEADLESS=1", "DISP_STATS=" + to, "DISP_SHOT=0:" + to,
                              "TEST_TARGET=" + to});
    ASSERT_EQ(r.status, 0) << to << ": " << r.err;
    EXPECT_EQ(r.out.substr(0, 8), "frame 3\n") << to;
    EXPECT_NE(r.out.find("close 3 closewin: cannot write \""), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("disp: DISP_SHOT: cannot write "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("disp: DISP_STATS: cannot write "), std::string::npos) << r.err;
    r = run("savebmp", {"TEST_TARGET=" + to});
    EXPECT_EQ(r.out.rfind("0 3 savebmp: cannot write ", 0), 0u) << to << ": " << r.out;
  }
  // A name that is not UTF-8 is escaped in the error text too.
  result r = run("savebmp", {"TEST_TARGET=" + dir + "/none/\xFF.bmp"});
  EXPECT_NE(r.out.find("/none/\\xFF.bmp\": No such file or directory"), std::string::npos) << r.out;
}

// Writes that fail midway (as on a full disk) are told, and leave no half picture.
TEST_F(Config, AWriteThatFailsIsToldAndLeavesNoHalfFile) {
  std::string const bmp = dir + "/a.bmp";
  result r = run("savebmplimited", {"TEST_TARGET=" + bmp});
  EXPECT_EQ(r.out.rfind("0 3 savebmp: cannot write ", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("File too large"), std::string::npos) << r.out;
  EXPECT_NE(access(bmp.c_str(), F_OK), 0);
  r = run("statslimited", {"DISP_HEADLESS=1", "DISP_STATS=" + dir + "/stats.txt"});
  EXPECT_NE(r.out.find("close 3 closewin: cannot write"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
}

// Without fonts every text draw fails alike: one line, then a count when the window closes.
TEST_F(Config, ARepeatedWarningIsSaidOnceThenCounted) {
  std::string const conf = dir + "/fonts.conf";
  std::ofstream(conf) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
  result r = run("texts", {"DISP_HEADLESS=1", "FONTCONFIG_FILE=" + conf});
  ASSERT_EQ(r.status, 0) << r.err;
  auto lines = r.errlines();
  ASSERT_EQ(lines.size(), 3u) << r.err;
  EXPECT_NE(lines[0].find("no font found"), std::string::npos) << lines[0];
  EXPECT_EQ(lines[1], lines[0] + " (said 500 times)");
  EXPECT_EQ(lines[2], "closed");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "--scenario") == 0) {
    alarm(20);  // a child stuck on a file ends here instead of holding the test
    auto it = scenarios.find(argv[2]);
    return it == scenarios.end() ? 2 : it->second();
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
