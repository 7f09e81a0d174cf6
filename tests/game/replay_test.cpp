// Recordings are untrusted files: every kind of damage is refused with the line and the
// reason, and a run cut short is still played as far as it goes.
#include "game/replay.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string const head = "quib-replay 1\n# a comment\nseed 4294967295\nclock 0x1.8p-7\n";

class Recording : public ::testing::Test {
 protected:
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("quib-replay-" + std::to_string(getpid()));
  void SetUp() override { std::filesystem::create_directories(dir); }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string check(std::string const& text, bool* ended = nullptr) {
    std::string path = dir / "r.txt";
    std::ofstream(path, std::ios::binary) << text;
    return checkrecording(path.c_str(), ended);
  }
};

TEST_F(Recording, ASoundRecordingPassesAndACutOneHasNoEnd) {
  bool ended = false;
  EXPECT_EQ(check(head + "0 F12\n\n2 frame\n2 SPACE\n2 KP_MINUS\n40 ESC\n41 end\n", &ended), "");
  EXPECT_TRUE(ended);
  // Killed while writing: no end line, and half a last line, which is left out.
  EXPECT_EQ(check(head + "0 F12\n2 frame\n4 fra", &ended), "");
  EXPECT_FALSE(ended);
}

TEST_F(Recording, DamageIsNamedByLineAndReason) {
  struct {
    std::string text;
    char const* says;
  } cases[] = {
      {"", "not a quib recording"},
      {"\x89PNG\r\n\x1a\n", "not a quib recording"},
      {"quib-replay 2\nseed 1\nclock 0\n", "format 2; this quib reads format 1"},
      {"quib-replay x\n", "format version is not a number"},
      {"quib-replay 1\nclock 0\n", "line 2: no \"seed N\" line"},
      {"quib-replay 1\nseed 4294967296\nclock 0\n", "seed is not a number"},
      {"quib-replay 1\nseed -1\nclock 0\n", "seed is not a number"},
      {"quib-replay 1\nseed 1\nclock nan\n", "clock is not a number"},
      {"quib-replay 1\nseed 1\nclock 1e308\n", "clock is not a number"},
      {"quib-replay 1\nseed 1\nclock -0.5\n", "clock is not a number"},
      {head + "5 SPACE\n4 SPACE\n", "line 6: step 4 comes after step 5"},
      {head + "99999999999999999999 frame\n", "step is not a number"},
      {head + "1000000000001 frame\n", "step is not a number"},
      {head + "-3 frame\n", "step is not a number"},
      {head + "3 SPACEBAR\n", "unknown event 'SPACEBAR'"},
      {head + "3 A\n", "unknown event 'A'"},
      {head + "3 " + std::string(80, '\xff') + "\n", "unknown event '\\xFF\\xFF"},
      {head + "3\n", "expected \"STEP EVENT\""},
      {head + "3 SPACE x\n", "expected \"STEP EVENT\""},
      {head + "3 SPACE x y z\n", "too many fields"},
      {head + std::string(5000, '7') + "\n", "line 5: not a line"},
      {head + std::string("3 SP\0CE\n", 8), "not a line"},
      {head + "3 end\n4 frame\n", "more after the end line"},
  };
  for (auto const& c : cases) {
    std::string why = check(c.text);
    EXPECT_NE(why.find(c.says), std::string::npos) << "got: " << why << "\nwant: " << c.says;
    EXPECT_LT(why.size(), 120u);
  }
}

TEST_F(Recording, OnlyRegularFilesAreRead) {
  EXPECT_EQ(checkrecording(dir.c_str()), "not a regular file");
  EXPECT_EQ(checkrecording("/dev/zero"), "not a regular file");
  std::string fifo = dir / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(checkrecording(fifo.c_str()), "not a regular file");  // would block
  EXPECT_NE(checkrecording((dir / "missing").c_str()).find("No such file"), std::string::npos);
}

TEST_F(Recording, AnEndOrEventNoRunCouldReachIsRefused) {
  // A few bytes that once kept a replay busy for two days: 10^12 steps after the Esc.
  std::string tiny = "quib-replay 1\nseed 1\nclock 0x0p+0\n5 ESC\n1000000000000 end\n";
  EXPECT_EQ(check(tiny),
            "line 5: step 1000000000000 comes more than 7200 steps after the last "
            "frame (step 0)");
  EXPECT_NE(check(head + "2 frame\n3 SPACE\n7203 frame\n").find("line 7: step 7203"),
            std::string::npos);
  // A run closed with Esc ends within that pass, a frame or a few steps on.
  EXPECT_EQ(check(head + "2 frame\n4 frame\n5 ESC\n6 frame\n6 end\n"), "");
  EXPECT_EQ(check(head + "7200 frame\n14400 SPACE\n14400 end\n"), "");
}

}  // namespace
