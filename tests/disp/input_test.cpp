// libdisp's input on the headless backend with the virtual clock: synthesised keys, clicks,
// wheel turns and moves arrive as messages in order; the takes and waits; mouse positions;
// dropped files from a DISP_KEYS script (a child process, which reads its own environment).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/disp/disp.h"
#include "tests/disp/child.h"

extern char** environ;

namespace {

enum : unsigned long {
  wm_close = 0x10,
  wm_keydown = 0x100,
  wm_keyup = 0x101,
  wm_char = 0x102,
  wm_imecomposition = 0x10F,
  wm_mousemove = 0x200,
  wm_lbuttondown = 0x201,
  wm_lbuttonup = 0x202,
  wm_rbuttondown = 0x204,
  wm_rbuttonup = 0x205,
  wm_mbuttondown = 0x207,
  wm_mouswheel = 0x20A,
  wm_dropfiles = 0x233,
  wm_user = 0x400,
};

// Every message waiting now, as "code" or "code:detail" for keys and buttons.
std::vector<std::string> drain() {
  std::vector<std::string> got;
  while (unsigned long code = GetNextMsg255()) {
    char s[64];
    if (code == wm_keydown || code == wm_keyup)
      snprintf(s, sizeof s, "%lu:%lu", code, IsKey261() ? GetKey262() : 0);
    else if (IsMouse266())
      snprintf(s, sizeof s, "%lu:%lu", code, GetMouse267());
    else
      snprintf(s, sizeof s, "%lu", code);
    got.push_back(s);
  }
  return got;
}

using strings = std::vector<std::string>;

// A fresh window with an empty queue and the pointer at (0, 0) for every case.
class Input : public ::testing::Test {
 protected:
  void SetUp() override {
    CloseWin46();
    IsNextMsg254();  // a closed window's queue and state are dropped
    ASSERT_TRUE(CreateWin42(320, 200));
  }
};

// ---- Key and mouse synthesis ----------------------------------------------------------

TEST_F(Input, SynthesisedKeysArriveAsPressAndReleaseInOrder) {
  PressKey241(32);
  DownKey242(65);
  UpKey243(65);
  PressKey240(13, 0);
  EXPECT_EQ(drain(), (strings{"256:32", "257:0", "256:65", "257:0", "256:13", "257:0"}));
  EXPECT_EQ(GetNextMsg255(), 0u);
}

TEST_F(Input, IsKeyAnswersOnlyThePressOfItsKey) {
  unsigned const game[] = {32, 39, 37, 38, 40, 107, 109, 36, 35, 82, 120, 123, 27};
  for (unsigned vk : game) {
    PressKey241(vk);
    ASSERT_TRUE(IsNextMsg254());
    for (unsigned other = 0; other < 256; ++other)
      EXPECT_EQ(IsKey260(other), other == vk) << vk << " asked as " << other;
    EXPECT_TRUE(IsKey261());
    EXPECT_EQ(GetKey262(), vk);
    ASSERT_TRUE(IsNextMsg254());  // the release is a message, but no press
    EXPECT_TRUE(IsMsg257(wm_keyup));
    EXPECT_FALSE(IsKey260(vk));
    EXPECT_FALSE(IsKey261());
    EXPECT_EQ(GetKey262(), 0u);
  }
  EXPECT_FALSE(IsNextMsg254());
  EXPECT_FALSE(IsKey260(32));  // no message, no key
}

TEST_F(Input, HeldKeyIsReleasedAfterItsTimeOnTheClock) {
  double t0 = GetTimeR49();
  PressKey240(37, 500);
  SendMsg253();  // posted later, due earlier than the release
  EXPECT_EQ(drain(), (strings{"256:37", "1024"}));
  Delay28(499);
  EXPECT_EQ(GetNextMsg255(), 0u);
  Delay28(1);
  EXPECT_EQ(drain(), (strings{"257:0"}));
  EXPECT_DOUBLE_EQ(GetTimeR49() - t0, 0.5);
}

TEST_F(Input, SynthesisOfNoKeyOrNoButtonPostsNothing) {
  PressKey241(0);
  PressKey241(256);
  DownKey242(1000);
  for (unsigned b : {0u, 3u, 7u, 255u}) PressMouse245(b);
  EXPECT_EQ(GetNextMsg255(), 0u);
}

TEST_F(Input, ClicksCarryTheirButtonAtThePointer) {
  MoveMouseWin251(10, 20);
  PressMouse245(1);
  PressMouse244(2, 0);
  DownMouse246(4);
  UpMouse247(4);
  EXPECT_EQ(drain(), (strings{"512", "513:1", "514", "516:2", "517", "519:4", "520"}));

  PressMouse245(1);
  ASSERT_EQ(GetNextMsg255(), wm_lbuttondown);
  EXPECT_TRUE(IsMouseLeft270());
  EXPECT_FALSE(IsMouseRight274());
  EXPECT_FALSE(IsMouseMiddle272());
  EXPECT_TRUE(IsMouse265(1));
  EXPECT_FALSE(IsMouse265(2));
  EXPECT_FALSE(IsKey261());  // a button is no key, though VK_LBUTTON is 1
  EXPECT_FALSE(IsKey260(1));
  ASSERT_EQ(GetNextMsg255(), wm_lbuttonup);
  EXPECT_FALSE(IsMouse266());  // releases are not presses
  EXPECT_EQ(GetMouse267(), 0u);
  EXPECT_EQ(GetMouseWinX288(), 10);
  EXPECT_EQ(GetMouseWinY289(), 20);
}

TEST_F(Input, WheelMessagesCarryTheirDelta) {
  WheelMouse248(120);
  WheelMouse248(-360);
  ASSERT_EQ(GetNextMsg255(), wm_mouswheel);
  EXPECT_TRUE(IsMouseWheel276());
  EXPECT_EQ(GetMouseWheel277(), 120);
  EXPECT_EQ(WaitMouseWheel278(), -360);
  PressKey241(32);
  ASSERT_TRUE(IsNextMsg254());
  EXPECT_FALSE(IsMouseWheel276());
  EXPECT_EQ(GetMouseWheel277(), 0);
}

// ---- Held keys and buttons -------------------------------------------------------------

TEST_F(Input, KeyIsHeldFromPressToDelayedReleaseAndTheReleaseNamesIt) {
  PressKey240(39, 500);
  ASSERT_EQ(GetNextMsg255(), wm_keydown);
  EXPECT_TRUE(disp_iskeydown(39));
  EXPECT_FALSE(disp_iskeydown(37));
  EXPECT_EQ(disp_getkeyup(), 0u);  // a press is no release
  Delay28(499);
  EXPECT_EQ(GetNextMsg255(), 0u);
  EXPECT_TRUE(disp_iskeydown(39));  // still held, however many passes look
  Delay28(1);
  ASSERT_EQ(GetNextMsg255(), wm_keyup);
  EXPECT_FALSE(disp_iskeydown(39));
  EXPECT_EQ(disp_getkeyup(), 39u);
  EXPECT_EQ(GetKey262(), 0u);  // getkey keeps answering presses only
  EXPECT_FALSE(IsKey261());
}

TEST_F(Input, RepeatedPressesAreMarkedAndStillPressesForIsKey) {
  DownKey242(39);
  DownKey242(39);
  UpKey243(39);
  DownKey242(39);  // pressed afresh after its release: no repeat
  std::vector<int> repeat, iskey;
  while (GetNextMsg255()) {
    repeat.push_back(disp_isrepeat());
    iskey.push_back(IsKey260(39));
  }
  EXPECT_EQ(repeat, (std::vector<int>{0, 1, 0, 0}));
  EXPECT_EQ(iskey, (std::vector<int>{1, 1, 0, 1}));
  EXPECT_TRUE(disp_iskeydown(39));
  EXPECT_FALSE(disp_isrepeat());  // no message current
}

TEST_F(Input, ButtonsAreHeldEachOnItsOwn) {
  DownMouse246(1);
  DownMouse246(2);
  PressMouse244(4, 100);
  drain();
  EXPECT_TRUE(disp_isbuttondown(1));
  EXPECT_TRUE(disp_isbuttondown(2));
  EXPECT_TRUE(disp_isbuttondown(4));
  EXPECT_FALSE(disp_isbuttondown(5));
  UpMouse247(1);
  Delay28(100);
  drain();
  EXPECT_FALSE(disp_isbuttondown(1));
  EXPECT_TRUE(disp_isbuttondown(2));
  EXPECT_FALSE(disp_isbuttondown(4));
}

// Each named button, X buttons included, is held from its press to its release and by
// itself; pressed, it is the current message's button and what the waits report.
TEST_F(Input, EveryNamedButtonIsHeldByItself) {
  for (unsigned b : {1u, 2u, 4u, 5u, 6u}) {
    SCOPED_TRACE(b);
    DownMouse246(qe_uc(b));
    ASSERT_TRUE(GetNextMsg255());
    EXPECT_EQ(GetMouse267(), b);
    EXPECT_TRUE(IsMouse265(b));
    for (unsigned other : {1u, 2u, 4u, 5u, 6u}) EXPECT_EQ(disp_isbuttondown(other), other == b);
    UpMouse247(qe_uc(b));
    drain();
    EXPECT_FALSE(disp_isbuttondown(b));
    PressMouse244(qe_uc(b), 10);
    EXPECT_EQ(WaitMouse268(b), b);
    EXPECT_TRUE(disp_isbuttondown(b));
    EXPECT_EQ(WaitMouse269(), 0u);  // only its release is left
    EXPECT_FALSE(disp_isbuttondown(b));
  }
  EXPECT_FALSE(disp_isbuttondown(3));
  EXPECT_FALSE(disp_isbuttondown(7));
}

// Headless, the clipboard and the primary selection are the process's own, each kept apart,
// with or without a window; text that is not UTF-8 is read as Latin-1; a null text is
// refused.
TEST_F(Input, ClipboardAndPrimarySelectionRoundTripHeadless) {
  struct {
    char const* set;
    char const* got;
    bool primary;
  } const cases[] = {
      {"h\xC3\xA9llo w\xC3\xB6rld \xE2\x9C\x93", "h\xC3\xA9llo w\xC3\xB6rld \xE2\x9C\x93", false},
      {"line one\nline two", "line one\nline two", true},
      {"caf\xE9", "caf\xC3\xA9", false},
      {"", "", true},
  };
  for (auto const& c : cases) {
    SCOPED_TRACE(c.set);
    EXPECT_TRUE(c.primary ? disp_setprimaryselection(c.set) : disp_setclipboard(c.set));
    EXPECT_STREQ(c.primary ? disp_getprimaryselection() : disp_getclipboard(), c.got);
  }
  EXPECT_STREQ(disp_getclipboard(), "caf\xC3\xA9");  // the primary selection kept apart
  EXPECT_FALSE(disp_setclipboard(nullptr));
  EXPECT_EQ(GetError38(), 2u);
  EXPECT_STREQ(disp_getclipboard(), "caf\xC3\xA9");
  CloseWin46();
  EXPECT_STREQ(disp_getclipboard(), "caf\xC3\xA9");
}

TEST_F(Input, AClosedWindowForgetsWhatWasHeld) {
  DownMouse246(6);
  DownKey242(255);
  drain();
  EXPECT_TRUE(disp_iskeydown(255));
  CloseWin46();
  EXPECT_FALSE(disp_iskeydown(255));
  ASSERT_TRUE(CreateWin42(320, 200));
  EXPECT_FALSE(disp_iskeydown(255));  // the new window starts with nothing held
  EXPECT_FALSE(disp_isbuttondown(6));
}

// ---- Mouse position --------------------------------------------------------------------

TEST_F(Input, PointerPositionsRoundTripInEveryFrame) {
  MoveMouseWin251(100, 50);
  EXPECT_EQ(GetMouseWinX288(), 100);
  EXPECT_EQ(GetMouseWinY289(), 50);
  MoveMouse249(-30, 5);  // relative to the last move, even before it was taken
  MoveMouse249(-1, -1);
  EXPECT_EQ(GetMouseWinX288(), 69);
  EXPECT_EQ(GetMouseWinY289(), 54);

  long ox = GetMouseAbsX286() - GetMouseWinX288(), oy = GetMouseAbsY287() - GetMouseWinY289();
  MoveMouseAbs250(ox + 7, oy + 9);
  EXPECT_EQ(GetMouseWinX288(), 7);
  EXPECT_EQ(GetMouseWinY289(), 9);
  EXPECT_EQ(GetMouseAbsX286(), ox + 7);
  EXPECT_EQ(GetMouseAbsY287(), oy + 9);

  MoveMousePos252(40, 30);  // headless windows have no frame
  EXPECT_EQ(GetMousePosX290(), 40);
  EXPECT_EQ(GetMousePosY291(), 30);
  EXPECT_EQ(GetMouseWinX288(), 40);

  // Each move is a message with the new position, packed as Windows packs it.
  std::vector<unsigned long> moves;
  while (GetMsg258(wm_mousemove)) moves.push_back(GetMouseMove280());
  EXPECT_EQ(moves, (std::vector<unsigned long>{100 | 50 << 16, 70 | 55 << 16, 69 | 54 << 16,
                                               7 | 9 << 16, 40 | 30 << 16}));
}

TEST_F(Input, PointerOutsideTheWindowIsKeptAndExtremeMovesSaturate) {
  MoveMouseWin251(-1, -2);
  ASSERT_EQ(WaitMouseMove281(), 0xFFFEFFFFu);  // -1 and -2 as 16-bit numbers
  EXPECT_EQ(GetMouseWinX288(), -1);
  MoveMouse249(LONG_MAX, LONG_MIN);
  MoveMouse249(LONG_MAX, LONG_MIN);
  EXPECT_EQ(GetMouseWinX288(), 1L << 24);
  EXPECT_EQ(GetMouseWinY289(), -(1L << 24));
  MoveMouseAbs250(LONG_MIN, LONG_MAX);
  EXPECT_EQ(GetMouseWinX288(), -(1L << 24));
  EXPECT_EQ(GetMouseWinY289(), 1L << 24);
}

// ---- Messages and waits ----------------------------------------------------------------

TEST_F(Input, SendMsgPostsAUserMessage) {
  SendMsg253();
  EXPECT_EQ(GetNextMsg255(), wm_user);
  EXPECT_TRUE(IsMsg257(wm_user));
  EXPECT_FALSE(IsMsg257(wm_keydown));
  EXPECT_FALSE(IsKey261());
  EXPECT_FALSE(IsMouseMove279());
  EXPECT_FALSE(IsDropFile282());
  EXPECT_EQ(GetNextMsg255(), 0u);
  EXPECT_FALSE(IsMsg257(wm_user));  // nothing is current any more
}

// The filtered takes and waits drop the messages before the one they look for.
TEST_F(Input, FilteredTakesDropWhatCameBefore) {
  PressKey241(65);
  SendMsg253();
  PressKey241(66);
  EXPECT_EQ(GetMsg258(wm_user), wm_user);
  EXPECT_EQ(WaitKey263(66), 66u);
  EXPECT_EQ(GetNextMsg255(), wm_keyup);
  EXPECT_EQ(GetNextMsg255(), 0u);

  PressMouse245(2);
  PressMouse245(1);
  WaitMouseLeft271();
  EXPECT_TRUE(IsMouseLeft270());
  EXPECT_EQ(GetMsg258(wm_rbuttondown), 0u);  // the right click went before
  EXPECT_EQ(GetMsg258(0x1FFFFFFFFul), 0u);   // no such code
}

TEST_F(Input, WaitsJumpTheVirtualClockToWhatFallsDue) {
  double t0 = GetTimeR49();
  PressMouse244(4, 1500);
  PressKey240(90, 2500);
  EXPECT_EQ(WaitMouse269(), 4u);
  EXPECT_EQ(WaitKey264(), 90u);
  EXPECT_EQ(WaitMsg259(wm_keyup), wm_keyup);  // after the middle button's release
  EXPECT_DOUBLE_EQ(GetTimeR49() - t0, 2.5);
}

TEST_F(Input, WaitsEndAtOnceWhenNothingCanCome) {
  double t0 = GetTimeR49();
  EXPECT_EQ(WaitNextMsg256(), 0u);
  EXPECT_EQ(WaitMsg259(wm_user), 0u);
  EXPECT_EQ(WaitKey263(32), 0u);
  EXPECT_EQ(WaitKey263(300), 0u);
  EXPECT_EQ(WaitKey264(), 0u);
  EXPECT_EQ(WaitMouse268(1), 0u);
  EXPECT_EQ(WaitMouse268(3), 0u);
  EXPECT_EQ(WaitMouse269(), 0u);
  WaitMouseLeft271();
  WaitMouseMiddle273();
  WaitMouseRight275();
  EXPECT_EQ(WaitMouseWheel278(), 0);
  EXPECT_EQ(WaitMouseMove281(), 0u);
  EXPECT_STREQ(WaitDropFile285(), "");
  EXPECT_EQ(GetTimeR49(), t0);

  PressKey240(65, 1000);  // what is queued but never wanted does not hold a wait either
  EXPECT_EQ(WaitMouse269(), 0u);
  EXPECT_DOUBLE_EQ(GetTimeR49() - t0, 1.0);
}

TEST_F(Input, ClosedWindowEndsWaitsAndTakesNoSynthesis) {
  PressKey240(65, 1000);
  CloseWin46();
  EXPECT_EQ(WaitNextMsg256(), 0u);
  PressKey241(65);
  MoveMouseWin251(5, 5);
  SendMsg253();
  EXPECT_EQ(GetMouseWinX288(), 0);
  ASSERT_TRUE(CreateWin42(320, 200));
  EXPECT_EQ(WaitNextMsg256(), 0u) << "a message outlived its window";
}

TEST_F(Input, NoDropFileWithoutADropMessage) {
  SendMsg253();
  ASSERT_TRUE(IsNextMsg254());
  EXPECT_FALSE(IsDropFile282());
  EXPECT_STREQ(GetDropFile283(), "");
  ASSERT_NE(GetDropFileW284(), nullptr);
  EXPECT_EQ(GetDropFileW284()[0], 0);
}

// ---- Scripts, in a child ---------------------------------------------------------------

std::string wide(short const* w) {
  std::string s;
  for (; *w; ++w) {
    char u[8];
    snprintf(u, sizeof u, "%04X ", unsigned(static_cast<unsigned short>(*w)));
    s += u;
  }
  return s;
}

// Prints each dropped file with its time, its UTF-16 units, then the key that follows.
int drops() {
  if (!CreateWin42(320, 200)) return 1;
  for (char const* p; *(p = WaitDropFile285());) {
    printf("%.3f [%s] %d %s\n", GetTimeR49(), GetDropFile283(), int(IsDropFile282()),
           wide(GetDropFileW284()).c_str());
  }
  printf("end %.3f %d\n", GetTimeR49(), int(IsWin47()));
  return 0;
}

// Waits for a key that never comes while DISP_QUIT_AT closes the window.
int quitwait() {
  if (!CreateWin42(320, 200)) return 1;
  PressKey240(65, 5000);
  unsigned long got = WaitKey263(66);
  printf("%lu %.3f %d\n", got, GetTimeR49(), int(IsWin47()));
  return 0;
}

// Prints every scripted key message with its time, then whether Right and Up are held.
int holds() {
  if (!CreateWin42(320, 200)) return 1;
  while (unsigned long code = WaitNextMsg256()) {
    unsigned long vk = code == wm_keyup ? disp_getkeyup() : GetKey262();
    printf("%.1f %s %lu repeat %d right %d up %d\n", GetTimeR49(), code == wm_keyup ? "up" : "down",
           vk, int(disp_isrepeat()), int(disp_iskeydown(39)), int(disp_iskeydown(38)));
  }
  return 0;
}

// A synthesised release and a scripted press fall due at the same moment: prints the
// messages in the order they come.
int tie() {
  if (!CreateWin42(320, 200)) return 1;
  PressKey240(66, 1000);  // B: pressed now, released at 1 s
  while (unsigned long code = WaitNextMsg256()) {
    unsigned long vk = code == wm_keyup ? disp_getkeyup() : GetKey262();
    printf("%.3f %s %lu\n", GetTimeR49(), code == wm_keyup ? "up" : "down", vk);
  }
  return 0;
}

// Prints every key, typed-text and composition message; SPACE starts text input, ESC
// stops it.
int typing() {
  if (!CreateWin42(320, 200)) return 1;
  disp_settextrect(10, 20, 200, 24);
  while (unsigned long code = WaitNextMsg256()) {
    if (code == wm_char)
      printf("%.1f text [%s]\n", GetTimeR49(), disp_gettypedtext());
    else if (code == wm_imecomposition)
      printf("%.1f compose [%s] %ld\n", GetTimeR49(), disp_getcomposition(),
             disp_getcompositioncaret());
    else if (code == wm_keydown)
      printf("%.1f key %lu text [%s]\n", GetTimeR49(), GetKey262(), disp_gettypedtext());
    if (code == wm_keydown && GetKey262() == 32) disp_starttextinput();
    if (code == wm_keydown && GetKey262() == 27) disp_stoptextinput();
  }
  return 0;
}

using child::result;
using child::slurp;

class Script : public ::testing::Test {
 protected:
  std::string dir;
  void SetUp() override {
    char tmpl[] = "/tmp/disp_input_test.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
  }
  void TearDown() override {
    if (!HasFailure()) std::system(("rm -rf " + dir).c_str());
  }

  // Runs a scenario of this program headless, on the virtual clock, with `env` added.
  result run(char const* scenario, std::vector<std::string> env) {
    env.insert(env.begin(), {"DISP_HEADLESS=1", "DISP_CLOCK=virtual"});
    return child::run(scenario, child::environment({"DISP_"}, env), dir);
  }
};

// DROP lines deliver their paths, spaces and all, on time and in file order; bytes that are
// not UTF-8 reach the wide form as Latin-1; bad DROP lines are reported and skipped.
TEST_F(Script, DropLinesDeliverDroppedFiles) {
  std::ofstream(dir + "/keys.txt") << "0.5 DROP  /tmp/a b/\xC3\xA9t\xC3\xA9.txt  \n"
                                      "1 SPACE\n"
                                      "1.5 drop rel/\xFF.bin # a comment\n"
                                      "2 DROP\n"
                                      "x DROP /nowhere\n";
  result r = run("drops", {"DISP_KEYS=" + dir + "/keys.txt"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "0.500 [/tmp/a b/\xC3\xA9t\xC3\xA9.txt] 1 "
            "002F 0074 006D 0070 002F 0061 0020 0062 002F 00E9 0074 00E9 002E 0074 0078 0074 \n"
            "1.500 [rel/\xFF.bin] 1 0072 0065 006C 002F 00FF 002E 0062 0069 006E \n"
            "end 1.500 1\n");
  EXPECT_NE(r.err.find("keys.txt:4:"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("keys.txt:5:"), std::string::npos) << r.err;
}

// A plain line is a tap that holds nothing; down and up lines hold a key between them (a
// second down is a repeat), and "up" or "down" alone is still the arrow key.
TEST_F(Script, DownAndUpLinesHoldAKey) {
  std::ofstream(dir + "/keys.txt") << "0.5 RIGHT\n"
                                      "1 down right\n"
                                      "1.5 DOWN RIGHT\n"
                                      "2 up\n"
                                      "2.5 UP right\n"
                                      "3 up up\n"
                                      "3 down up sideways\n"
                                      "3 down nokey\n";
  result r = run("holds", {"DISP_KEYS=" + dir + "/keys.txt"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "0.5 down 39 repeat 0 right 0 up 0\n"
            "1.0 down 39 repeat 0 right 1 up 0\n"
            "1.5 down 39 repeat 1 right 1 up 0\n"
            "2.0 down 38 repeat 0 right 1 up 0\n"
            "2.5 up 39 repeat 0 right 0 up 0\n"
            "3.0 up 38 repeat 0 right 0 up 0\n");
  EXPECT_NE(r.err.find("keys.txt:7: more than two fields"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("keys.txt:8: unknown key"), std::string::npos) << r.err;
}

// At a tie, a scripted line comes before a synthesised message due at the same time,
// whichever was queued first; each still waits for its own time.
TEST_F(Script, ScriptedLineComesBeforeSynthesisedMessageAtATie) {
  std::ofstream(dir + "/keys.txt") << "1 A\n"
                                      "1 C\n"
                                      "2 D\n";
  result r = run("tie", {"DISP_KEYS=" + dir + "/keys.txt"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "0.000 down 66\n"
            "1.000 down 65\n"
            "1.000 down 67\n"
            "1.000 up 66\n"
            "2.000 down 68\n");
}

// TEXT and COMPOSE lines type text only while text input is on: a dead key's press types
// nothing and the next key types the accented letter; a Hangul syllable is composed jamo by
// jamo, the caret after the composition, then typed whole; escapes give a space and '#'.
TEST_F(Script, TextLinesTypeWhileTextInputIsOn) {
  std::ofstream(dir + "/keys.txt") << "0.2 TEXT x\n"
                                      "0.5 SPACE\n"
                                      "1 QUOTE\n"
                                      "1.1 E\n"
                                      "1.1 TEXT \xC3\xA9\n"
                                      "2 COMPOSE \xE3\x85\x8E\n"
                                      "2.1 COMPOSE \xED\x95\x98\n"
                                      "2.2 COMPOSE \xED\x95\x9C\n"
                                      "2.3 COMPOSE\n"
                                      "2.3 TEXT \xED\x95\x9C\n"
                                      "3 TEXT a\\x20b\\x23\\\\\n"
                                      "3.2 text \xFF\n"
                                      "3.5 ESC\n"
                                      "4 TEXT z\n"
                                      "4 COMPOSE z\n"
                                      "5 TEXT\n"
                                      "5 TEXT a\\q\n";
  result r = run("typing", {"DISP_KEYS=" + dir + "/keys.txt"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "0.5 key 32 text []\n"
            "1.0 key 222 text []\n"
            "1.1 key 69 text []\n"
            "1.1 text [\xC3\xA9]\n"
            "2.0 compose [\xE3\x85\x8E] 1\n"
            "2.1 compose [\xED\x95\x98] 1\n"
            "2.2 compose [\xED\x95\x9C] 1\n"
            "2.3 compose [] 0\n"
            "2.3 text [\xED\x95\x9C]\n"
            "3.0 text [a b#\\]\n"
            "3.2 text [\xC3\xBF]\n"
            "3.5 key 27 text []\n");
  EXPECT_NE(r.err.find("keys.txt:16: the text is missing"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("keys.txt:17: an escape other than"), std::string::npos) << r.err;
}

TEST_F(Script, WaitEndsWhenQuitAtCloses) {
  result r = run("quitwait", {"DISP_QUIT_AT=1.25"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "0 1.250 0\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--scenario") == 0) {
    if (std::strcmp(argv[2], "drops") == 0) return drops();
    if (std::strcmp(argv[2], "quitwait") == 0) return quitwait();
    if (std::strcmp(argv[2], "holds") == 0) return holds();
    if (std::strcmp(argv[2], "tie") == 0) return tie();
    if (std::strcmp(argv[2], "typing") == 0) return typing();
    return 2;
  }
  setenv("DISP_HEADLESS", "1", 1);
  setenv("DISP_CLOCK", "virtual", 1);
  for (char const* v : {"DISP_KEYS", "DISP_QUIT_AT", "DISP_SHOT", "DISP_STATS"}) unsetenv(v);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
