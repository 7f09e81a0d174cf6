// The environment switches of libdisp, in one table of the core's rows: name, kind, the
// values it takes (as the README's table shows them), default, one line of help and the
// member of dsp_env it sets. config.cpp reads them all in one loop; a test checks the
// README's table against this one.
#pragma once

#include <cmath>
#include <string>

#include "platform/core/switches.h"

// What the switches say, read once at the first entry call (dsp.env).
struct dsp_env {
  bool headless = false;
  bool virtualclock = false;
  double quitat = -1;  // < 0: never
  std::string keysfile;
  std::string shots;         // DISP_SHOT's list, read by env.cpp
  int sizew = 0, sizeh = 0;  // DISP_SIZE: the headless output's size (0: the canvas's)
  bool fullscreen = false;   // DISP_FULLSCREEN: every window opens full screen
  std::string statsfile;
  std::string padscript;   // DISP_PAD_SCRIPT, read by env.cpp
  std::string keylogfile;  // DISP_KEYLOG: when each key press arrived, for the bench
  bool cache = true;       // DISP_CACHE: circles blended from the ring cache
  bool pumpcheck = true;   // DISP_PUMP_CHECK: ask the display before pumping SDL
};

inline constexpr char dsp_yesno[] = "`1` / `0` (also yes/no, on/off, true/false, any case)";

inline constexpr core_switch<dsp_env> dsp_switches[] = {
    {"DISP_HEADLESS", core_kind::flag, dsp_yesno, "0",
     "no SDL at all: the window is a canvas in memory", &dsp_env::headless},
    {"DISP_CLOCK", core_kind::choice, "`virtual`, `real`", "real",
     "virtual: the clock moves only through Delay28, without sleeping", &dsp_env::virtualclock, 0,
     0, "real|virtual"},
    {"DISP_KEYS", core_kind::text, "file name", "",
     "input script: lines SECONDS KEY or SECONDS DROP PATH", &dsp_env::keysfile},
    {"DISP_QUIT_AT", core_kind::number, "seconds ≥ 0", "",
     "the window closes once the clock reaches this time", &dsp_env::quitat, 0, INFINITY},
    {"DISP_SHOT", core_kind::text, "`SECONDS:FILE.png[,SECONDS:FILE.png...]`", "",
     "writes the first frame shown at or after each time as PNG", &dsp_env::shots},
    {"DISP_SIZE", core_kind::size, "`WIDTHxHEIGHT`, each 1..16384", "",
     "headless: the output's size; the canvas is scaled to fit",
     core_sides<dsp_env>{&dsp_env::sizew, &dsp_env::sizeh}, 1, 16384},
    {"DISP_FULLSCREEN", core_kind::flag, dsp_yesno, "0", "every window opens full screen",
     &dsp_env::fullscreen},
    {"DISP_STATS", core_kind::text, "file name", "",
     "frame and pass times, written when the window closes and at exit", &dsp_env::statsfile},
    {"DISP_PAD_SCRIPT", core_kind::text, "file name", "",
     "for tests: drives a virtual game controller from a script", &dsp_env::padscript},
    {"DISP_KEYLOG", core_kind::text, "file name", "",
     "for the latency bench: appends when each key press arrived", &dsp_env::keylogfile},
    {"DISP_CACHE", core_kind::flag, dsp_yesno, "1",
     "0 strokes every circle through cairo instead of the ring cache", &dsp_env::cache},
    {"DISP_PUMP_CHECK", core_kind::flag, dsp_yesno, "1",
     "0 pumps SDL at every look for a message, without asking the display first",
     &dsp_env::pumpcheck},
};
