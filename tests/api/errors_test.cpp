// One error story across both libraries: each misuse gives its code and a text that names
// the function and what was wrong; lasterror() holds the most recent failure of either
// library on this thread; setlog() takes the libraries' diagnostic lines.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "facade/facade.h"

namespace {

// Each test runs in its own process (gtest_discover_tests), so the switch is read first.
class Errors : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("DISP_HEADLESS", "1", 1);
    geterror();
    getsounderror();
  }
  // The code of the display library and its text, taken together.
  static std::string disp() {
    unsigned long code = geterror();
    return std::to_string(code) + " " + geterrortext().text;
  }
  static std::string sound() {
    unsigned long code = getsounderror();
    return std::to_string(code) + " " + getsounderrortext().text;
  }
};

TEST_F(Errors, DrawingWithoutAWindowOrOnADeadBitmapSaysSo) {
  line(0, 0, 10, 10, 0xFFFFFFul);
  EXPECT_EQ(disp(), "1 line: no window is open (createwin opens one)");
  circle(5, 5, 3, 0xFFul);
  EXPECT_EQ(disp(), "1 circle: no window is open (createwin opens one)");
  EXPECT_EQ(getwidth(), 0u);
  EXPECT_EQ(disp(), "1 getwidth: no window is open (createwin opens one)");

  ASSERT_TRUE(createwin(200, 100));
  bitmap* b = createbmp(10, 10);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(geterror(), 0u);
  releasebmp(b);
  EXPECT_EQ(geterror(), 0u);
  char dead[32];
  snprintf(dead, sizeof dead, "%p", static_cast<void*>(b));
  std::string const notlive = std::string(dead) + " is not a live bitmap";
  releasebmp(b);
  EXPECT_EQ(disp().rfind("2 releasebmp: " + notlive, 0), 0u);
  line(b, 0, 0, 5, 5, 0xFFFFFFul);
  EXPECT_EQ(disp().rfind("2 line: " + notlive, 0), 0u);
  drawbmp(b, 0ul, 0ul);
  EXPECT_EQ(disp().rfind("2 drawbmp: " + notlive, 0), 0u);
  blurbmpbox(reinterpret_cast<bitmap*>(&dead), 2ul);  // never one of ours
  EXPECT_EQ(disp().rfind("2 blurbmpbox: 0x", 0), 0u);
  createbb(b);
  EXPECT_EQ(disp().rfind("2 createbb: " + notlive, 0), 0u);
}

TEST_F(Errors, SizesAndArgumentsOutOfRangeNameTheFunctionAndTheValue) {
  EXPECT_EQ(createbmp(0, 10), nullptr);
  EXPECT_EQ(disp(), "2 createbmp: size 0 x 10 is outside 1..16384");
  EXPECT_EQ(createbmp(20000, 20000), nullptr);
  EXPECT_EQ(disp(), "2 createbmp: size 20000 x 20000 is outside 1..16384");
  EXPECT_EQ(createbmpalpha(1, 0), nullptr);
  EXPECT_EQ(disp(), "2 createbmpalpha: size 1 x 0 is outside 1..16384");
  ASSERT_TRUE(createwin(200, 100));
  setsize(0, 0);
  EXPECT_EQ(disp(), "2 setsize: size 0 x 0 is outside 1..16384");
  EXPECT_EQ(msgbox("text", "caption", 9ul), 0u);
  EXPECT_EQ(disp(), "2 msgbox: buttons 9 are not one of 0..6");
  EXPECT_EQ(s2i("abc"), 0);
  EXPECT_EQ(disp(), "2 s2i: \"abc\" is not a decimal number");
  hs2i("\x1b[31m");  // the text comes back escaped, never raw
  EXPECT_EQ(disp(), "2 hs2i: \"\\x1B[31m\" is not a hex number");
}

TEST_F(Errors, SoundTextsNameTheFunctionAndQuoteTheFile) {
  EXPECT_EQ(loadaudio("/no/such/file.wav"), 0u);
  EXPECT_EQ(sound(), "3 loadaudio: cannot load \"/no/such/file.wav\": No such file or directory");
  EXPECT_EQ(playaudio(12345), 0u);
  EXPECT_EQ(sound(), "2 playaudio: 12345 is not a sound handle (freed, or never made)");
  unsigned long empty = newaudio();
  EXPECT_EQ(setaudiovol(empty, NAN), 0u);
  EXPECT_EQ(sound(), "2 setaudiovol: volume nan is not a usable value");
  EXPECT_EQ(pauseaudio(empty), 0u);
  EXPECT_EQ(sound(), "2 pauseaudio: sound " + std::to_string(empty) +
                         " holds no sound (load a file into it)");
}

TEST_F(Errors, OneChannelHoldsTheMostRecentFailureOfEitherLibraryPerThread) {
  EXPECT_EQ(lasterror(), 0u);
  EXPECT_EQ(std::string(lasterrortext().text), "");
  createbmp(0, 1);
  EXPECT_EQ(lasterror(), 2u);
  EXPECT_EQ(std::string(lasterrortext().text), "createbmp: size 0 x 1 is outside 1..16384");
  loadaudio("/no/such.mp3");  // the sound library's failure is the newer one
  EXPECT_EQ(lasterror(), 3u);
  EXPECT_EQ(std::string(lasterrortext().text).rfind("loadaudio: cannot load", 0), 0u);
  EXPECT_EQ(lasterror(), 3u);  // reading clears nothing
  line(0, 0, 1, 1, 0ul);
  EXPECT_EQ(lasterror(), 1u);

  // Another thread's failures stay there.
  std::thread([] {
    EXPECT_EQ(lasterror(), 0u);
    s2i("x");
    EXPECT_EQ(lasterror(), 2u);
  }).join();
  EXPECT_EQ(lasterror(), 1u);

  // A function of ours that succeeds clears it; a numbered one leaves it.
  EXPECT_EQ(s2i("12"), 12);
  EXPECT_EQ(lasterror(), 1u);
  EXPECT_FALSE(iskeydown(QUIB_KEY_A));  // no window: false, and no failure
  EXPECT_EQ(lasterror(), 0u);
  EXPECT_EQ(std::string(lasterrortext().text), "");
  EXPECT_EQ(createbmpalpha(0, 0), nullptr);
  EXPECT_EQ(lasterror(), 2u);
  bitmap* b = createbmpalpha(4, 4);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(lasterror(), 0u);
}

TEST_F(Errors, TheLogHookTakesTheLinesStderrWouldHaveHadAndGivesThemBack) {
  static std::vector<std::string> lines;
  setlog([](void*, char const* line) { lines.push_back(line); });
  testing::internal::CaptureStderr();
  EXPECT_EQ(loadaudio("/no/such/one.wav"), 0u);
  setlog(nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(),
            "sound: loadaudio: cannot load \"/no/such/one.wav\": No such file or directory");

  testing::internal::CaptureStderr();  // given back: the next line is on stderr again
  EXPECT_EQ(loadaudio("/no/such/two.wav"), 0u);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("two.wav"), std::string::npos);

  // The display library's warnings the same way, with the user pointer passed back.
  std::string got;
  disp_setlog([](void* user, char const* line) { *static_cast<std::string*>(user) += line; }, &got);
  setenv("DISP_SIZE", "nonsense", 1);
  ASSERT_TRUE(createwin(100, 100));
  disp_setlog(nullptr, nullptr);
  EXPECT_EQ(got.rfind("disp: DISP_SIZE", 0), 0u) << got;
}

}  // namespace
