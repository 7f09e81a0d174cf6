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

// The library maps no button to a key; these scenarios set the game's own mapping through
// the entries any program uses (game/keys.cpp sets the same).
void mapasthegame() {
  for (unsigned long b : {1, 2, 3, 4}) disp_mappadbutton(b, 32, false);  // A, B, X, Y: SPACE
  disp_mappadbutton(12, 38, false);                                      // the D-pad: the arrows
  disp_mappadbutton(13, 40, false);
  disp_mappadbutton(14, 37, false);
  disp_mappadbutton(15, 39, false);
  disp_mappadbutton(10, 109, false);  // the shoulders: Numpad - and +
  disp_mappadbutton(11, 107, false);
  disp_mappadbutton(7, 82, true);  // Start: R, Back: F12, when let go
  disp_mappadbutton(5, 123, true);
  disp_mappadchord(5, 7, 27);  // Back + Start: Esc
}

// Prints "key VK" for each key press (" repeat" when the key was down already is not
// visible through the entries, so presses are all alike) and "up" for each release, at the
// clock time they arrive; Esc closes the window, as the game does.
int keys() {
  mapasthegame();
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

// Prints every pad message with what the entries say of it, the keys the mapping gives
// (PAD_GAMEMAP set: the game's), and each change of an axis of pads 0..3 as it is read
// between messages; PAD_DEADZONE sets the dead zone first; PAD_REMAP maps each button pressed
// to the A key as it is pressed.
int pads() {
  if (char const* z = getenv("PAD_DEADZONE")) disp_setpaddeadzone(atof(z));
  if (getenv("PAD_GAMEMAP")) mapasthegame();
  if (!CreateWin42(80, 60)) return 1;
  double seen[4][7] = {};
  while (IsWin47()) {
    if (!IsNextMsg254()) {
      for (int p = 0; p < 4; ++p)
        for (int a = 1; a <= 6; ++a)
          if (double v = disp_getpadaxis(p, a); v != seen[p][a])
            printf("%.3f axis %d %d %.3f\n", GetTimeR49(), p, a, seen[p][a] = v);
      Delay28(1);
      continue;
    }
    double const t = GetTimeR49();
    long const pad = disp_getpad();
    unsigned long const b = disp_getpadbutton();
    if (IsMsg257(0x482))
      printf("%.3f added %ld \"%s\" of %lu\n", t, pad, disp_padname(pad), disp_padcount());
    if (IsMsg257(0x483))
      printf("%.3f removed %ld of %lu plugged %d\n", t, pad, disp_padcount(), int(disp_ispad(pad)));
    if (IsMsg257(0x480) || IsMsg257(0x481))
      printf("%.3f %s %ld %lu held %d\n", t, IsMsg257(0x480) ? "down" : "up", pad, b,
             int(disp_ispadbuttondown(pad, b)));
    if (IsKey261()) printf("%.3f key %lu\n", t, GetKey262());
    if (IsMsg257(0x101)) printf("%.3f keyup %lu\n", t, disp_getkeyup());
    if (IsMsg257(0x480) && getenv("PAD_REMAP")) disp_mappadbutton(b, 65, false);
  }
  return 0;
}

// SDL's driver with a controller of SDL's own (a virtual one, plugged in by this program):
// its arrival, a button with a stick pushed, the release, its removal, as the entries
// report them.
int sdlpad() {
  if (!CreateWin42(80, 60)) return 1;
  SDL_VirtualJoystickDesc d;
  SDL_zero(d);
  d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  d.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  d.naxes = SDL_CONTROLLER_AXIS_MAX;
  d.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  d.name = "virtual test pad";
  int const index = SDL_JoystickAttachVirtualEx(&d);
  SDL_Joystick* j = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
  if (!j) return 2;
  for (int step = 0; step < 40 && IsWin47(); ++step) {
    if (step == 10) {
      SDL_JoystickSetVirtualAxis(j, SDL_CONTROLLER_AXIS_LEFTX, 16384);
      SDL_JoystickSetVirtualButton(j, SDL_CONTROLLER_BUTTON_B, 1);
    }
    if (step == 20) SDL_JoystickSetVirtualButton(j, SDL_CONTROLLER_BUTTON_B, 0);
    if (step == 30) {
      SDL_JoystickClose(j);
      SDL_JoystickDetachVirtual(index);
    }
    while (IsNextMsg254()) {
      long const pad = disp_getpad();
      if (IsMsg257(0x482)) printf("added %ld \"%s\"\n", pad, disp_padname(pad));
      if (IsMsg257(0x480) || IsMsg257(0x481))
        printf("%s %ld %lu held %d axis %.3f rumble %d\n", IsMsg257(0x480) ? "down" : "up", pad,
               disp_getpadbutton(), int(disp_ispadbuttondown(pad, disp_getpadbutton())),
               disp_getpadaxis(pad, 1), int(disp_rumblepad(pad, 1, 1, 10)));
      if (IsMsg257(0x483)) printf("removed %ld of %lu\n", pad, disp_padcount());
    }
    Delay28(2);
  }
  return 0;
}

std::map<std::string, std::function<int()>> const scenarios = {
    {"keys", keys}, {"nosdl", nosdl}, {"pads", pads}, {"sdlpad", sdlpad}};

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

// ---- Cases: pads by index, axes, plugging, the mapping ---------------------------------

// Two scripted pads, told apart by index; the library maps no button to a key by default.
TEST_F(Pad, TwoPadsReportTheirButtonsByIndexAndGiveNoKeysUnmapped) {
  std::ofstream(dir + "/pad.txt") << "0.1 down a\n0.2 1 down a\n0.3 up a\n0.4 1 down dpleft\n"
                                     "0.5 1 up a\n0.6 1 up dpleft\n";
  result r = run("pads", {"DISP_HEADLESS=1", "DISP_CLOCK=virtual", "DISP_QUIT_AT=1",
                          "DISP_PAD_SCRIPT=" + dir + "/pad.txt"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "0.000 added 0 \"scripted pad 0\" of 2\n0.000 added 1 \"scripted pad 1\" of 2\n"
            "0.100 down 0 1 held 1\n0.200 down 1 1 held 1\n0.300 up 0 1 held 0\n"
            "0.400 down 1 14 held 1\n0.500 up 1 1 held 0\n0.600 up 1 14 held 0\n");
  EXPECT_EQ(r.err, "");
}

// Sticks and triggers read 0 inside the dead zone and rise evenly from its edge to 1; a
// stick goes both ways, a trigger only up.
TEST_F(Pad, AxesReadPastTheDeadZone) {
  struct {
    char const* zone;
    char const* line;
    char const* want;  // the change it makes, or "" for none
  } const cases[] = {
      {"0.2", "leftx 0.1", ""},
      {"0.2", "leftx 0.2", ""},
      {"0.2", "leftx 0.6", "1 0.500"},
      {"0.2", "lefty -1", "2 -1.000"},
      {"0.2", "righty -0.6", "4 -0.500"},
      {"0.2", "lefttrigger 1", "5 1.000"},
      {"0.2", "righttrigger 0.6", "6 0.500"},
      {"0", "rightx 0.25", "3 0.250"},
      {"0.5", "leftx 0.75", "1 0.500"},
  };
  for (auto const& c : cases) {
    std::ofstream(dir + "/pad.txt") << "0.1 1 axis " << c.line << "\n";
    result r =
        run("pads", {"DISP_HEADLESS=1", "DISP_CLOCK=virtual", "DISP_QUIT_AT=0.5",
                     "PAD_DEADZONE=" + std::string(c.zone), "DISP_PAD_SCRIPT=" + dir + "/pad.txt"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string want =
        "0.000 added 0 \"scripted pad 0\" of 2\n0.000 added 1 \"scripted pad 1\" of 2\n";
    if (*c.want) want += "0.100 axis 1 " + std::string(c.want) + "\n";
    EXPECT_EQ(r.out, want) << c.zone << " " << c.line;
  }
}

// A pad keeps its index while others come and go; the next one plugged in takes the lowest
// free index. Unplugged with a button held, the key the button holds is let go, and a button
// that acts on release gives nothing; the axes of a pad plugged in again are at rest. Two
// pads holding buttons of one key: the key is up when the last of them is let go.
TEST_F(Pad, PlugAndUnplugKeepIndexesAndLetGoOfKeys) {
  std::ofstream(dir + "/pad.txt") << "0.1 1 axis leftx 1\n0.2 down a\n0.2 down start\n0.3 unplug\n"
                                     "0.4 1 down b\n0.5 plug\n0.6 1 unplug\n0.7 1 plug\n"
                                     "0.75 down a\n0.8 1 down x\n0.85 up a\n0.9 1 up x\n";
  result r = run("pads", {"DISP_HEADLESS=1", "DISP_CLOCK=virtual", "DISP_QUIT_AT=1",
                          "PAD_GAMEMAP=1", "DISP_PAD_SCRIPT=" + dir + "/pad.txt"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "0.000 added 0 \"scripted pad 0\" of 2\n0.000 added 1 \"scripted pad 1\" of 2\n"
            "0.100 axis 1 1 1.000\n"
            "0.200 key 32\n0.200 down 0 1 held 1\n0.200 down 0 7 held 1\n"
            "0.300 keyup 32\n0.300 removed 0 of 2 plugged 0\n"
            "0.400 key 32\n0.400 down 1 2 held 1\n"
            "0.500 added 0 \"scripted pad 0\" of 2\n"
            "0.600 keyup 32\n0.600 removed 1 of 1 plugged 0\n0.600 axis 1 1 0.000\n"
            "0.700 added 1 \"scripted pad 1\" of 2\n"
            "0.750 key 32\n0.750 down 0 1 held 1\n0.800 key 32\n0.800 down 1 3 held 1\n"
            "0.850 up 0 1 held 0\n0.900 keyup 32\n0.900 up 1 3 held 0\n");
  EXPECT_EQ(r.err, "");
}

// The mapping is the program's: a button remapped while held (PAD_REMAP: to A at each press)
// still lets go of the key it pressed; a chord's key is down while either of its buttons is,
// and its buttons' on-release keys are left out; an unmapped button gives no key.
TEST_F(Pad, TheMappingIsTheProgramsAndKeysAreLetGoOfAsPressed) {
  std::ofstream(dir + "/pad.txt") << "0.1 down leftshoulder\n0.2 down guide\n0.3 up guide\n"
                                     "0.4 up leftshoulder\n0.5 down back\n0.6 down start\n"
                                     "0.7 up start\n0.8 up back\n";
  result r = run("pads", {"DISP_HEADLESS=1", "DISP_CLOCK=virtual", "DISP_QUIT_AT=1",
                          "PAD_GAMEMAP=1", "PAD_REMAP=1", "DISP_PAD_SCRIPT=" + dir + "/pad.txt"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "0.000 added 0 \"scripted pad 0\" of 1\n"
            "0.100 key 109\n0.100 down 0 10 held 1\n0.200 down 0 6 held 1\n0.300 up 0 6 held 0\n"
            "0.400 keyup 109\n0.400 up 0 10 held 0\n0.500 down 0 5 held 1\n"
            "0.600 key 27\n0.600 down 0 7 held 1\n0.700 up 0 7 held 0\n"
            "0.800 keyup 27\n0.800 up 0 5 held 0\n");
}

// New line forms are checked as the old ones: one stderr line each, the rest plays.
TEST_F(Pad, BadPadAxisAndValueLinesAreReported) {
  struct {
    char const* line;
    char const* why;
  } const cases[] = {
      {"0.1 16 down a", "the pad is not a number 0..15"},
      {"0.1 1 axis leftz 0.5", "unknown axis"},
      {"0.1 axis leftx", "an axis or its value is missing"},
      {"0.1 axis leftx 1.5", "a stick's value is a number -1..1"},
      {"0.1 axis lefttrigger -0.5", "a trigger's value is a number 0..1"},
      {"0.1 axis leftx nan", "a stick's value is a number -1..1"},
      {"0.1 axis leftx 0.5 9", "too many fields"},
      {"0.1 1 plug 2", "too many fields"},
      {"0.1 1", "expected down, up, plug, unplug or axis"},
  };
  for (auto const& c : cases) {
    std::ofstream(dir + "/pad.txt") << c.line << "\n0.2 down x\n";
    result r = run("pads", {"DISP_HEADLESS=1", "DISP_CLOCK=virtual", "DISP_QUIT_AT=0.5",
                            "DISP_PAD_SCRIPT=" + dir + "/pad.txt"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("0.200 down 0 3 held 1\n"), std::string::npos) << c.line << r.out;
    EXPECT_EQ(r.err, "disp: " + dir + "/pad.txt:1: " + c.why + "; line skipped\n") << c.line;
  }
}

// SDL's game controllers through their driver, in a window of SDL's dummy video driver:
// buttons numbered from 1 (SDL's B is 2), the stick past the default dead zone, no rumble
// where the device has no motors.
TEST_F(Pad, SdlControllersArriveWithButtonsAxesAndLeave) {
  result r = run("sdlpad", {"SDL_VIDEODRIVER=dummy", "SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS=1",
                            "DISP_CLOCK=virtual"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "added 0 \"virtual test pad\"\ndown 0 2 held 1 axis 0.444 rumble 0\n"
            "up 0 2 held 0 axis 0.444 rumble 0\nremoved 0 of 0\n");
}

// A scripted pad needs no SDL: headless stays free of it with a script too.
TEST_F(Pad, HeadlessWithAPadScriptNeverStartsSdl) {
  std::ofstream(dir + "/pad.txt") << "0.001 down a\n0.002 axis leftx 1\n";
  result r = run("nosdl",
                 {"DISP_HEADLESS=1", "DISP_CLOCK=virtual", "DISP_PAD_SCRIPT=" + dir + "/pad.txt"});
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
