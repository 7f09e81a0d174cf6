// The environment switches of libdisp, in one table: name, kind, the values it takes (as
// the README's table shows them), default and one line of help. config.cpp reads them
// from it; a test checks the README's table against it.
#pragma once

enum class dsp_kind {
  flag,     // yes/no: 1/0, yes/no, on/off, true/false, any case
  clock,    // virtual or real
  seconds,  // a number of seconds >= 0
  file,     // a file name
  shots,    // SECONDS:FILE.png items, comma separated
  size,     // WIDTHxHEIGHT
};

struct dsp_switch {
  char const* name;
  dsp_kind kind;
  char const* values;  // what it takes, as the README writes it
  char const* def;     // its value when unset or empty
  char const* help;
};

inline constexpr char dsp_yesno[] = "`1` / `0` (also yes/no, on/off, true/false, any case)";

inline constexpr dsp_switch dsp_switches[] = {
    {"DISP_HEADLESS", dsp_kind::flag, dsp_yesno, "0",
     "no SDL at all: the window is a canvas in memory"},
    {"DISP_CLOCK", dsp_kind::clock, "`virtual`, `real`", "real",
     "virtual: the clock moves only through Delay28, without sleeping"},
    {"DISP_KEYS", dsp_kind::file, "file name", "",
     "input script: lines SECONDS KEY or SECONDS DROP PATH"},
    {"DISP_QUIT_AT", dsp_kind::seconds, "seconds ≥ 0", "",
     "the window closes once the clock reaches this time"},
    {"DISP_SHOT", dsp_kind::shots, "`SECONDS:FILE.png[,SECONDS:FILE.png...]`", "",
     "writes the first frame shown at or after each time as PNG"},
    {"DISP_SIZE", dsp_kind::size, "`WIDTHxHEIGHT`, each 1..16384", "",
     "headless: the output's size; the canvas is scaled to fit"},
    {"DISP_FULLSCREEN", dsp_kind::flag, dsp_yesno, "0", "every window opens full screen"},
    {"DISP_STATS", dsp_kind::file, "file name", "",
     "frame and pass times, written when the window closes and at exit"},
    {"DISP_PAD_SCRIPT", dsp_kind::file, "file name", "",
     "for tests: drives a virtual game controller from a script"},
    {"DISP_KEYLOG", dsp_kind::file, "file name", "",
     "for the latency bench: appends when each key press arrived"},
    {"DISP_CACHE", dsp_kind::flag, dsp_yesno, "1",
     "0 strokes every circle through cairo instead of the ring cache"},
    {"DISP_PUMP_CHECK", dsp_kind::flag, dsp_yesno, "1",
     "0 pumps SDL at every look for a message, without asking the display first"},
};
