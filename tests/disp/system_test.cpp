// libdisp's system entries on the headless backend with the virtual clock: numbers,
// conversions, threads, message boxes, the beep, the caller's frame counter, the last
// error, and the window's size, title and place. Cases that need another environment (an
// audio driver, no display, a real X server) run this program again as a child.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <SDL2/SDL.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/disp/disp.h"
#include "tests/disp/child.h"

extern char** environ;

namespace {

constexpr double pi = 3.141592653589793;
constexpr unsigned long red = 0xFF0000;

std::string str(char const* s) { return s ? s : "(null)"; }

// UTF-16 text as the wide entries take it.
std::vector<short> wide(std::u16string const& s) {
  std::vector<short> w(s.begin(), s.end());
  w.push_back(0);
  return w;
}

std::u16string fromwide(short const* w) {
  std::u16string s;
  while (w && *w) s.push_back(char16_t(uint16_t(*w++)));
  return s;
}

// ---- Numbers -------------------------------------------------------------------------

TEST(Numbers, SignIsZeroForZerosAndNaN) {
  EXPECT_EQ(sgn1(-1e-300) + 2 * sgn1(HUGE_VAL), 1);
  EXPECT_EQ(sgn1(-0.0) | sgn1(0.0) | sgn1(NAN), 0);
}

TEST(Numbers, ThreeDimensionalLengthSurvivesHugeAndTinyComponents) {
  EXPECT_DOUBLE_EQ(abs3(-2, 3, -6), 7);
  EXPECT_DOUBLE_EQ(abs3(2e300, 3e300, 6e300), 7e300);      // the squares overflow
  EXPECT_DOUBLE_EQ(abs3(2e-300, 3e-300, 6e-300), 7e-300);  // the squares underflow
  EXPECT_EQ(abs3(0, 0, 0), 0);
  EXPECT_EQ(abs3(HUGE_VAL, NAN, 1), HUGE_VAL);
  EXPECT_TRUE(std::isnan(abs3(NAN, 1, 1)));
}

TEST(Numbers, ArcSineClampsRoundingAndArcTangentTakesYFirst) {
  EXPECT_DOUBLE_EQ(arcsin4(1 + 1e-12), pi / 2);
  EXPECT_DOUBLE_EQ(arcsin4(-1 - 1e-12), -pi / 2);
  EXPECT_TRUE(std::isnan(arcsin4(NAN)));
  EXPECT_DOUBLE_EQ(arctan26(1, 0), pi / 2);  // the point (0, 1): straight down on screen
  EXPECT_DOUBLE_EQ(arctan26(-1, 1), -pi / 4);
}

// ---- Conversions ---------------------------------------------------------------------

TEST(Conversions, DecimalTextReadsSignAndDigitsAndSaturates) {
  GetError38();
  EXPECT_EQ(s2i8("  -42abc"), -42);
  EXPECT_EQ(s2i8("\t+12 34"), 12);
  EXPECT_EQ(GetError38(), 0u);
  EXPECT_EQ(s2i8("9223372036854775807"), LONG_MAX);
  EXPECT_EQ(s2i8("-9223372036854775808"), LONG_MIN);
  EXPECT_EQ(GetError38(), 0u);
  EXPECT_EQ(s2i8("9223372036854775808"), LONG_MAX);
  EXPECT_EQ(GetError38(), 2u);
  EXPECT_EQ(s2i8("-99999999999999999999999"), LONG_MIN);
  EXPECT_EQ(s2i8(nullptr) | s2i8("") | s2i8("-") | s2i8("x1"), 0);
  EXPECT_EQ(GetError38(), 2u);
  // Back and forth with i2s7 over the whole range.
  for (long v : {0L, 1L, -1L, 1234567L, LONG_MAX, LONG_MIN}) EXPECT_EQ(s2i8(i2s7(v)), v);
}

TEST(Conversions, HexDigitsBothWays) {
  for (unsigned v = 0; v < 16; ++v) {
    char c = i2hc10(v);
    EXPECT_EQ(c, "0123456789ABCDEF"[v]);
    EXPECT_EQ(hc2i11(c), long(v));
    EXPECT_EQ(hc2i11(std::tolower(c)), long(v));
  }
  EXPECT_EQ(i2hc10(255), 'F');  // the low four bits
  for (int c : std::initializer_list<int>{'g', 'G', ' ', '/', ':', '@', -1, 0, 0xC3})
    EXPECT_EQ(hc2i11(c), -1) << c;
  EXPECT_EQ(str(i2hs12(0x0A)), "0A");
  EXPECT_EQ(str(i2hs12(0x1FF)), "FF");
}

TEST(Conversions, HexTextOfNumbersRoundTrips) {
  EXPECT_EQ(str(i2hs17(0)), "0");
  EXPECT_EQ(str(i2hs17(0xABC)), "ABC");
  unsigned long v = 1;
  for (int i = 0; i < 200; ++i, v = v * 6364136223846793005ul + 1442695040888963407ul)
    ASSERT_EQ(hs2i13(i2hs17(v)), v) << std::hex << v;
  GetError38();
  EXPECT_EQ(hs2i13(" 0x1f"), 0x1Fu);
  EXPECT_EQ(hs2i13("ffz"), 0xFFu);
  EXPECT_EQ(hs2i13("0xg"), 0u);  // "0" and then no digit after the x
  EXPECT_EQ(GetError38(), 0u);
  EXPECT_EQ(hs2i13("1FFFFFFFFFFFFFFFF"), ULONG_MAX);
  EXPECT_EQ(GetError38(), 2u);
  EXPECT_EQ(hs2i13(nullptr) | hs2i13("zz"), 0u);
  EXPECT_EQ(GetError38(), 2u);
}

TEST(Conversions, ByteTextAndItsHexDumpRoundTrip) {
  std::string all;
  for (int c = 1; c < 256; ++c) all.push_back(char(c));
  std::string dump = as2hs14(all.c_str());
  EXPECT_EQ(dump.substr(0, 6), "010203");
  EXPECT_EQ(str(hs2as15(dump.c_str())), all);
  EXPECT_EQ(str(hs2as15("61zz62")), "a");      // an invalid digit ends it
  EXPECT_EQ(str(hs2as15("6162 63")), "ab");    // so does a space within
  EXPECT_EQ(str(hs2as15("  6162")), "ab");     // but not before
  EXPECT_EQ(str(hs2as15("ABC")), "\x0A\xBC");  // odd: a 0 leads
  EXPECT_EQ(str(hs2as15("410042")), "A");      // a zero byte ends the text
  EXPECT_EQ(str(as2hs14(nullptr)) + str(hs2as15(nullptr)), "");
  // A result handed straight to the next conversion is read before anything is written.
  EXPECT_EQ(str(as2hs14(hs2as15(as2hs14("quib")))), "71756962");
}

TEST(Conversions, LongTextsAreCutToTheBufferAndTerminated) {
  std::string big(10000, 'Z');
  std::string dump = as2hs14(big.c_str());
  EXPECT_EQ(dump.size(), 4094u);  // 2047 whole bytes
  std::string hex(20001, '7');
  std::string text = hs2as15(hex.c_str());
  EXPECT_EQ(text.size(), 4095u);
  EXPECT_EQ(text.substr(0, 2), "\x07\x77");
}

TEST(Conversions, NumbersAsByteTextRoundTrip) {
  EXPECT_EQ(as2i9("AB"), 0x4142);
  EXPECT_EQ(str(i2as16(0)), "");
  EXPECT_EQ(as2i9("ABCDEFGHIJ"), as2i9("ABCDEFGH"));  // eight bytes at most
  EXPECT_EQ(as2i9("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"), -1);
  EXPECT_EQ(str(i2as16(0x410042)), "A");  // a zero byte cannot be in the text
  for (char const* s : {"q", "quib", "\x80\x01\xFE", "12345678"})
    EXPECT_EQ(str(i2as16((unsigned long)as2i9(s))), s);
  // The number's hex text is the hex dump of its byte text.
  EXPECT_EQ(str(as2hs14(i2as16(0x717569))), str(i2hs17(0x717569)));
  EXPECT_EQ(str(hs2as15(i2hs17(0xABC))), str(i2as16(0xABC)));
  GetError38();
  EXPECT_EQ(as2i9(nullptr), 0);
  EXPECT_EQ(GetError38(), 2u);
}

TEST(Conversions, ResultsOfOneThreadSurviveOtherThreads) {
  char const* mine = i2hs17(0xBEEF);
  std::thread([] {
    for (int i = 0; i < 10; ++i) i2hs17(0x1234);
  }).join();
  EXPECT_EQ(str(mine), "BEEF");
}

// ---- Threads -------------------------------------------------------------------------

std::atomic<int> runs{0};
std::atomic<unsigned> errorseen{99};
void countrun() { runs.fetch_add(1); }
void failinside() {
  s2i8(nullptr);
  errorseen = unsigned(GetError38());
}
std::atomic<bool> release{false};
void waitforrelease() {
  while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

bool eventually(std::function<bool()> const& done) {
  for (int i = 0; i < 2000 && !done(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return done();
}

TEST(Threads, ProceduresRunOnTheirOwnThreadsWithDistinctIds) {
  runs = 0;
  unsigned long a = NewThread18(reinterpret_cast<void*>(&countrun));
  unsigned long b = NewThread18(reinterpret_cast<void*>(&countrun));
  EXPECT_NE(a, 0u);
  EXPECT_NE(b, 0u);
  EXPECT_NE(a, b);
  EXPECT_TRUE(eventually([] { return runs == 2; }));
}

TEST(Threads, PauseResumeAndStopRefuseAndSayWhy) {
  release = false;
  unsigned long id = NewThread18(reinterpret_cast<void*>(&waitforrelease));
  ASSERT_NE(id, 0u);
  GetError38();
  EXPECT_FALSE(PauseThread19(id));
  EXPECT_EQ(GetError38(), 5u);
  EXPECT_FALSE(ResumeThread20(id));
  EXPECT_EQ(GetError38(), 5u);
  EXPECT_FALSE(StopThread21(id));
  EXPECT_EQ(GetError38(), 5u);
  for (unsigned long bad : {0ul, id + 1000}) {
    EXPECT_FALSE(StopThread21(bad));
    EXPECT_EQ(GetError38(), 2u) << bad;
  }
  EXPECT_EQ(NewThread18(nullptr), 0u);
  EXPECT_EQ(GetError38(), 2u);
  release = true;  // the thread goes on and ends by itself
}

TEST(Threads, LastErrorIsKeptPerThread) {
  errorseen = 99;
  GetError38();
  ASSERT_NE(NewThread18(reinterpret_cast<void*>(&failinside)), 0u);
  EXPECT_TRUE(eventually([] { return errorseen != 99; }));
  EXPECT_EQ(errorseen, 2u);
  EXPECT_EQ(GetError38(), 0u);
}

// ---- Message boxes -------------------------------------------------------------------

// Headless, a box is one line on stderr and the answer is its default button.
unsigned long boxed(std::string& err, std::function<unsigned long()> const& box) {
  testing::internal::CaptureStderr();
  unsigned long r = box();
  err = testing::internal::GetCapturedStderr();
  return r;
}

TEST(MessageBoxes, HeadlessPrintsCaptionAndTextAndAnswersTheDefault) {
  std::string err;
  EXPECT_EQ(boxed(err, [] { return MsgBox25("Game over", "quib"); }), 1u);
  EXPECT_EQ(err, "quib: Game over\n");
  EXPECT_EQ(boxed(err, [] { return MsgBox23("Again?", "quib", 4); }), 6u);          // Yes
  EXPECT_EQ(boxed(err, [] { return MsgBox23("Again?", "quib", 4 | 0x100); }), 7u);  // No
  EXPECT_EQ(boxed(err, [] { return MsgBox23("Save?", "quib", 3 | 0x200 | 0x30); }), 2u);
  EXPECT_EQ(boxed(err, [] { return MsgBox23("x", "quib", 2 | 0x200); }), 5u);  // Ignore
  EXPECT_EQ(boxed(err, [] { return MsgBox23("x", "quib", 1 | 0x200); }), 1u);  // no third
  EXPECT_EQ(boxed(err, [] { return MsgBox23(nullptr, nullptr, 0); }), 1u);
  EXPECT_EQ(err, "\n");
  GetError38();
  EXPECT_EQ(boxed(err, [] { return MsgBox23("x", "y", 7); }), 0u);  // no such buttons
  EXPECT_EQ(GetError38(), 2u);
  EXPECT_EQ(err, "");
}

TEST(MessageBoxes, WideTextIsConvertedAndTheTitleIsTheDefaultCaption) {
  std::string err;
  // "Ünïcödé 😀" with a surrogate pair, then a lone surrogate.
  auto text = wide(u"\u00DCn\u00EFc\u00F6d\u00E9 \U0001F600");
  auto cap = wide(u"q\xD800!");
  EXPECT_EQ(boxed(err, [&] { return MsgBoxW24(text.data(), cap.data()); }), 1u);
  EXPECT_EQ(err,
            "q\xEF\xBF\xBD!: \xC3\x9Cn\xC3\xAF"
            "c\xC3\xB6"
            "d\xC3\xA9 \xF0\x9F\x98\x80\n");
  SetTitle51("quib_en");
  EXPECT_EQ(boxed(err, [] { return MsgBox27("hello"); }), 1u);
  EXPECT_EQ(err, "quib_en: hello\n");
  auto hi = wide(u"hi");
  EXPECT_EQ(boxed(err, [&] { return MsgBoxW22(hi.data(), nullptr, 1); }), 1u);
  EXPECT_EQ(err, "hi\n");
  SetTitle51(nullptr);
}

// ---- Delay and sound ------------------------------------------------------------------

TEST(DelayAndSound, ShortPauseIsOneMillisecondOfTheClock) {
  unsigned long t0 = GetTime50();
  double r0 = GetTimeR49();
  Delay29();
  EXPECT_EQ(GetTime50(), t0 + 1);
  EXPECT_DOUBLE_EQ(GetTimeR49(), r0 + 0.001);
  Delay28(2500);
  EXPECT_EQ(GetTime50(), t0 + 2501);
  EXPECT_EQ(GetTime50(), (unsigned long)std::llround(GetTimeR49() * 1000));
}

TEST(DelayAndSound, HeadlessBeepsAreSilentAndReturnAtOnce) {
  auto start = std::chrono::steady_clock::now();
  std::string err;
  boxed(err, [] {
    Sound30(440, 5000);
    Sound31(880, 2.5);
    Sound31(880, NAN);
    Sound32(0);
    Sound32(ULONG_MAX);
    return 0ul;
  });
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
  EXPECT_EQ(err, "");
}

// ---- Frame rate and errors ------------------------------------------------------------

TEST(FrameRate, CallersCounterCountsTheLastSecond) {
  FreshFPS33();
  EXPECT_EQ(GetFPSL35(), 0u);
  EXPECT_EQ(GetFPSR36(), 0.0);
  for (int i = 0; i < 150; ++i) {  // 100 frames a second for 1.5 s
    Delay28(10);
    AddFPS34();
  }
  EXPECT_EQ(GetFPSL35(), 100u);
  EXPECT_NEAR(GetFPSR36(), 100.0, 1e-6);
  Delay28(20);  // longer than a frame: the open interval counts
  double slowing = GetFPSR36();
  EXPECT_LT(slowing, 100.0);
  EXPECT_GT(slowing, 90.0);
  Delay28(500);
  EXPECT_EQ(GetFPSL35(), 48u);
  EXPECT_LT(GetFPSR36(), slowing);
  Delay28(1000);
  EXPECT_EQ(GetFPSL35(), 0u);
  EXPECT_EQ(GetFPSR36(), 0.0);
  AddFPS34();
  EXPECT_EQ(GetFPSR36(), 1.0);
  FreshFPS33();
  EXPECT_EQ(GetFPSL35(), 0u);
}

TEST(FrameRate, CallersCounterIsNotTheWindowsCounter) {
  ASSERT_TRUE(CreateWin42(64, 48));
  FreshFPS33();
  Delay28(2000);
  for (int i = 0; i < 5; ++i) FreshWin45();
  for (int i = 0; i < 3; ++i) AddFPS34();
  EXPECT_EQ(GetFPS37(), 5u);
  EXPECT_EQ(GetFPSL35(), 3u);
  CloseWin46();
}

TEST(Errors, ReadingTheErrorClearsIt) {
  GetError38();
  CloseWin46();
  EXPECT_EQ(GetWidth56(), 0u);
  EXPECT_EQ(GetError38(), 1u);
  EXPECT_EQ(GetError38(), 0u);
}

// ---- Window and screen ------------------------------------------------------------------

class Window : public ::testing::Test {
 protected:
  void TearDown() override {
    SetDrawProcedure48(nullptr);
    CloseWin46();
  }
};

TEST_F(Window, OmittedArgumentsGiveACentredWindowOf800By600) {
  ASSERT_TRUE(CreateWin44());
  EXPECT_EQ(GetWidth56() + GetHeight57(), 1400u);
  EXPECT_EQ(GetSize58(), 800u | 600u << 16);
  EXPECT_EQ(GetPosX69(), (1920 - 800) / 2);
  EXPECT_EQ(GetPosY70(), (1080 - 600) / 2);
  ASSERT_TRUE(CreateWin43(640));  // replaces the first
  EXPECT_EQ(GetSize58(), 640u | 480u << 16);
  ASSERT_TRUE(CreateWin41(300, 200, 1));
  EXPECT_EQ(GetPosX69(), 810);
  ASSERT_TRUE(CreateWin40(300, 200, 10, (unsigned long)-20));
  EXPECT_EQ(GetPosX69(), 10);
  EXPECT_EQ(GetPosY70(), -20);
  EXPECT_EQ(GetPos71(), 10u | 0xFFECu << 16);
  ASSERT_TRUE(CreateWin39(300, 200, 0x80000000, 5, 2));
  EXPECT_EQ(GetPosX69(), 810);
  EXPECT_EQ(GetPosY70(), 5);
  ASSERT_TRUE(CreateWin39(300, 200, 7, 7, 4));  // full screen: the screen's size
  EXPECT_EQ(GetSize58(), 1920u | 1080u << 16);
  EXPECT_EQ(GetPos71(), 0u);
}

TEST_F(Window, ImpossibleSizesFailAndLeaveNoWindow) {
  GetError38();
  EXPECT_FALSE(CreateWin43(0));
  EXPECT_FALSE(CreateWin39(16385, 10, 0, 0, 0));
  EXPECT_FALSE(CreateWin41(10, ULONG_MAX, 0));
  EXPECT_FALSE(IsWin47());
  EXPECT_EQ(GetError38(), 2u);
  ASSERT_TRUE(CreateWin43(1));
  EXPECT_EQ(GetSize58(), 1u | 1u << 16);
}

TEST_F(Window, SetSizeKeepsThePictureWhereItFits) {
  ASSERT_TRUE(CreateWin42(100, 80));
  Circle187(2, 3, 0, red);
  Circle187(99, 79, 0, red);
  SetSize55(200, 50);
  EXPECT_EQ(GetSize58(), 200u | 50u << 16);
  EXPECT_EQ(GetPixel148(2, 3), red);
  EXPECT_EQ(GetPixel148(150, 10), 0u);  // the new part is the background
  EXPECT_EQ(GetPixel148(199, 49), 0u);
  SetSize55(120, 90);
  EXPECT_EQ(GetPixel148(2, 3), red);
  EXPECT_EQ(GetPixel148(99, 79), 0u);  // cut off by the shrink before
  Circle187(119, 89, 0, red);          // drawing reaches the new corner
  EXPECT_EQ(GetPixel148(119, 89), red);
  GetError38();
  SetSize55(0, 10);
  SetSize55(10, 20000);
  EXPECT_EQ(GetError38(), 2u);
  EXPECT_EQ(GetSize58(), 120u | 90u << 16);
}

int redraws = 0;
void redraw() {
  ++redraws;
  Circle187(0, 0, 0, 0x00FF00);
  FreshWin45();  // showing from inside the procedure does not call it again
}

TEST_F(Window, DrawProcedureRunsAfterAResize) {
  ASSERT_TRUE(CreateWin42(50, 50));
  redraws = 0;
  SetDrawProcedure48(reinterpret_cast<void*>(&redraw));
  FreshWin45();
  EXPECT_EQ(redraws, 0);
  SetSize55(60, 60);
  EXPECT_EQ(redraws, 1);
  EXPECT_EQ(GetPixel148(0, 0), 0x00FF00u);
  SetDrawProcedure48(nullptr);
  SetSize55(70, 70);
  EXPECT_EQ(redraws, 1);
}

// The typed form gets its pointer back, and the two forms replace each other.
TEST_F(Window, TheTypedDrawProcedureGetsItsUserPointerAndReplacesTheOther) {
  ASSERT_TRUE(CreateWin42(50, 50));
  int mine = 0;
  disp_setdrawprocedurewith([](void* user) { ++*static_cast<int*>(user); }, &mine);
  redraws = 0;
  SetSize55(60, 60);
  EXPECT_EQ(mine, 1);
  SetDrawProcedure48(reinterpret_cast<void*>(&redraw));
  SetSize55(70, 70);
  EXPECT_EQ(mine, 1);
  EXPECT_EQ(redraws, 1);
  disp_setdrawprocedurewith(nullptr, nullptr);
  SetSize55(80, 80);
  EXPECT_EQ(redraws, 1);
}

TEST_F(Window, TitleRoundTripsNarrowAndWide) {
  SetTitle51("quib_en");
  SetTitle51(GetTitle53());  // its own text
  EXPECT_EQ(str(GetTitle53()), "quib_en");
  auto w = wide(u"Gr\u00FC\u00DFe \U0001F600");
  SetTitleW52(w.data());
  EXPECT_EQ(str(GetTitle53()),
            "Gr\xC3\xBC\xC3\x9F"
            "e \xF0\x9F\x98\x80");
  EXPECT_EQ(fromwide(GetTitleW54()), u"Gr\u00FC\u00DFe \U0001F600");
  SetTitle51("caf\xE9");  // Latin-1 bytes read back wide as their characters
  EXPECT_EQ(fromwide(GetTitleW54()), u"caf\u00E9");
  SetTitleW52(nullptr);
  EXPECT_EQ(str(GetTitle53()), "");
  EXPECT_EQ(GetTitleW54()[0], 0);
}

TEST_F(Window, PositionRoundTrips) {
  ASSERT_TRUE(CreateWin42(320, 200));
  SetPos68(100, 50);
  EXPECT_EQ(GetPos71(), 100u | 50u << 16);
  SetPos68((unsigned long)-300, 0x80000000);
  EXPECT_EQ(GetPosX69(), -300);
  EXPECT_EQ(GetPosY70(), (1080 - 200) / 2);
}

// The headless screen is what the window is centred on; a window has no frame there.
TEST_F(Window, WithoutAWindowEverythingReadsZeroButTheScreen) {
  GetError38();
  SetSize55(100, 100);
  SetPos68(1, 1);
  EXPECT_EQ(GetError38(), 1u);
  EXPECT_EQ(GetSize58() | GetPos71() | GetBorderSize67(), 0u);
  EXPECT_EQ(GetScrSize61(), 1920u | 1080u << 16);
  EXPECT_EQ(GetScrCapsX62() + GetScrCapsY63(), 192u);
  ASSERT_TRUE(CreateWin42(100, 100));
  EXPECT_EQ(GetBorderTitle64() + GetBorderSize67(), 0u);
}

// ---- Other environments: children ------------------------------------------------------

// The child's side: each prints what the parent checks.
int beep() {
  auto start = std::chrono::steady_clock::now();
  Sound30(440, 3000);
  Sound31(880, 0.25);
  Sound32(660);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                  start)
                .count();
  printf("ms %lld error %lu\n", (long long)ms, GetError38());
  Sound30(440, 100);
  printf("error %lu\n", GetError38());
  return 0;
}

int nodisplaybox() {
  unsigned long a = MsgBox23("Again?", "quib", 4);
  printf("answer %lu error %lu\n", a, GetError38());
  unsigned long w = GetScrWidth59(), e = GetError38(), dpi = GetScrCapsX62();
  printf("screen %lu error %lu dpi %lu\n", w, e, dpi);
  return 0;
}

int failed = 0;
#define CHECK(c) \
  if (!(c)) printf("FAIL line %d: %s\n", __LINE__, #c), ++failed

// In a real window under Xvfb (screen 1024 x 768, no window manager).
int xwindow() {
  CHECK(CreateWin40(200, 100, 30, 40));
  CHECK(GetPosX69() == 30 && GetPosY70() == 40);
  CHECK(GetScrWidth59() == 1024 && GetScrHeight60() == 768);
  CHECK(GetScrCapsX62() > 0 && GetScrCapsY63() > 0);
  CHECK(GetBorderSize67() == 0);
  SetTitle51("quib \xC3\xBC");
  CHECK(std::string(GetTitle53()) == "quib \xC3\xBC");
  // The window's first expose message asks for a picture.
  redraws = 0;
  SetDrawProcedure48(reinterpret_cast<void*>(&redraw));
  for (int i = 0; i < 1000 && redraws == 0; ++i)
    if (!IsNextMsg254()) Delay28(1);
  CHECK(redraws == 1);
  redraws = 0;
  Circle187(5, 5, 0, red);
  FreshWin45();
  SetSize55(300, 150);
  CHECK(GetSize58() == (300u | 150u << 16));
  CHECK(GetPixel148(5, 5) == red);
  CHECK(GetPixel148(250, 120) == 0);
  CHECK(redraws == 1);
  SetSize55(100, 50);
  CHECK(GetPixel148(5, 5) == red);
  FreshWin45();
  SetPos68(70, 80);
  CHECK(GetPosX69() == 70 && GetPosY70() == 80);
  SetDrawProcedure48(nullptr);

  // A resizable window follows a size set from outside, keeping its picture.
  CHECK(CreateWin41(200, 100, 1));
  Circle187(5, 5, 0, red);
  SDL_Window* sdl = nullptr;
  for (Uint32 id = 1; id < 10 && !sdl; ++id) sdl = SDL_GetWindowFromID(id);
  CHECK(sdl != nullptr);
  if (sdl) SDL_SetWindowSize(sdl, 320, 240);
  FreshWin45();
  CHECK(GetSize58() == (320u | 240u << 16));
  CHECK(GetPixel148(5, 5) == red);
  CHECK(GetPixel148(300, 200) == 0);
  CloseWin46();
  printf("done %d\n", failed);
  return failed ? 1 : 0;
}

using child::result;

// Runs a scenario with the display and audio switches cleared and `env` added.
result runchild(char const* scenario, std::vector<std::string> env) {
  char tmpl[] = "/tmp/disp_system_test.XXXXXX";
  if (!mkdtemp(tmpl)) return {};
  std::string dir = tmpl;
  result r = child::run(
      scenario, child::environment({"DISP_", "DISPLAY=", "WAYLAND_DISPLAY=", "SDL_"}, env), dir);
  std::system(("rm -rf " + dir).c_str());
  return r;
}

TEST(Children, BeepQueuesWithoutWaitingOnAnAudioDevice) {
  result r = runchild("beep", {"DISP_HEADLESS=0", "SDL_AUDIODRIVER=dummy"});
  ASSERT_EQ(r.status, 0) << r.err;
  long long ms = -1;
  unsigned long e1 = 9, e2 = 9;
  ASSERT_EQ(sscanf(r.out.c_str(), "ms %lld error %lu\nerror %lu", &ms, &e1, &e2), 3) << r.out;
  EXPECT_LT(ms, 1000) << "3.4 s of tones must not block";
  EXPECT_EQ(e1, 0u);
  EXPECT_EQ(e2, 0u);
  EXPECT_EQ(r.err, "");
}

TEST(Children, BeepWithoutAudioDeviceTellsOnceAndGoesOn) {
  result r = runchild("beep", {"DISP_HEADLESS=0", "SDL_AUDIODRIVER=nosuchdriver"});
  ASSERT_EQ(r.status, 0) << r.err;
  long long ms = -1;
  unsigned long e1 = 9, e2 = 9;
  ASSERT_EQ(sscanf(r.out.c_str(), "ms %lld error %lu\nerror %lu", &ms, &e1, &e2), 3) << r.out;
  EXPECT_LT(ms, 1000);
  EXPECT_EQ(e1, 6u);
  EXPECT_EQ(e2, 6u);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_EQ(r.err.rfind("disp: no audio", 0), 0u) << r.err;
}

TEST(Children, MessageBoxWithoutDisplayFallsBackToStderr) {
  result r = runchild("nodisplaybox", {"DISP_HEADLESS=0"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "answer 6 error 6\nscreen 0 error 6 dpi 96\n");
  EXPECT_EQ(r.err, "quib: Again?\n");
}

// Starts Xvfb on a free display; no display when it is not installed. Xvfb writes the
// display's number and the newline separately, so the pipe stays open until the end.
struct xserver {
  pid_t pid = -1;
  int from = -1;
  std::string display;
  xserver() {
    int fds[2];
    if (pipe(fds) != 0) return;
    from = fds[0];
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addclose(&fa, fds[0]);
    posix_spawn_file_actions_adddup2(&fa, fds[1], 3);
    if (fds[1] != 3) posix_spawn_file_actions_addclose(&fa, fds[1]);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    // -noreset: the scenario closes its last window and opens another, and a server
    // resetting after its last client went would refuse that connection.
    char prog[] = "Xvfb", a1[] = "-displayfd", a2[] = "3", a3[] = "-screen", a4[] = "0",
         a5[] = "1024x768x24", a6[] = "-nolisten", a7[] = "tcp", a8[] = "-noreset";
    char* argv[] = {prog, a1, a2, a3, a4, a5, a6, a7, a8, nullptr};
    if (posix_spawnp(&pid, prog, &fa, nullptr, argv, environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    close(fds[1]);
    std::string got;
    char c;
    while (pid > 0 && read(from, &c, 1) == 1 && c != '\n') got.push_back(c);
    if (!got.empty()) display = ":" + got;
  }
  ~xserver() {
    if (pid > 0) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
    if (from >= 0) close(from);
  }
};

TEST(Children, RealWindowUnderXvfbKeepsItsPictureAndPlace) {
  xserver x;
  if (x.display.empty()) GTEST_SKIP() << "Xvfb is not available";
  result r = runchild("xwindow", {"DISPLAY=" + x.display});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("done 0"), std::string::npos) << r.out << r.err;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--scenario") {
    std::string s = argv[2];
    if (s == "beep") return beep();
    if (s == "nodisplaybox") return nodisplaybox();
    if (s == "xwindow") return xwindow();
    return 2;
  }
  setenv("DISP_HEADLESS", "1", 1);
  setenv("DISP_CLOCK", "virtual", 1);
  for (char const* v : {"DISP_KEYS", "DISP_QUIT_AT", "DISP_SHOT", "DISP_STATS"}) unsetenv(v);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
