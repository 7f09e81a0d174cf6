// What differs from one run to another under the drawing: where the canvas is shown (a
// window through SDL, on X11 or Wayland, or nowhere: the headless canvas) and which clock
// runs (the real one, or the virtual one that only the pauses move). Each is one table of
// functions, picked once; the rest of the library calls through it and never asks which.
#pragma once
#include <cairo.h>

#include <cstdint>
#include <string>

#include "platform/disp/input/message.h"

// What the backend hands the input queue: a message from outside the program (the
// desktop's events already turned into ours), or a gamepad's event that is no message.
struct dsp_event {
  dsp_msg msg;
  // Key messages: the physical key (a scancode below dsp_scanmax; 0: none), so that a code
  // two keys share stays held until both are up.
  unsigned scan = 0;
  // A gamepad's event, not a message: 1 taken, 2 taken and key messages were queued for it.
  int pad = 0;
};

// A message box as the backend is asked to show it: up to three buttons in a row, the one
// Enter gives (def) and the answer a close or Esc gives (escape, 0: the default's).
struct dsp_box {
  std::string text, caption;
  enum kind { none, error, warning, information } icon = none;
  int n = 1;
  unsigned ids[3] = {};
  char const* names[3] = {};
  int def = 0;
  unsigned escape = 0;
};

struct dsp_backend {
  char const* name;  // "sdl" or "headless"
  // Input can come from outside the program (a desktop); without it only scripted and
  // synthesised messages ever come, so a wait with none due gives up at once.
  bool events;

  // Opens the output for a canvas of dsp.win.w x dsp.win.h at (x, y) (dsp_centred:
  // centred) in the dsp_w* styles, lays the canvas out in it and makes the canvas; the
  // size may become the screen's for a resizable full-screen window. False, with the
  // error set, when it cannot.
  bool (*open)(unsigned long x, unsigned long y, unsigned long style);
  // Gives the output back; the canvas is already gone.
  void (*close)();
  // Asks the output for w x h logical pixels; w and h become what it took (a full-screen
  // window keeps the screen's size).
  void (*setsize)(int& w, int& h);
  // The output's size now, in window coordinates and in device pixels; false where it
  // changes only when asked (headless).
  bool (*size)(int& w, int& h, int& pw, int& ph);
  // Lays the canvas (dsp.win.w x dsp.win.h) out in the output and makes its surface;
  // false when memory ran out.
  bool (*attach)();
  // Shows the canvas.
  void (*present)();
  // The next event from outside that has come, without waiting, as our own message; false
  // when none. Events that concern the window are acted on by the input queue.
  bool (*poll)(dsp_event& ev);
  // Waits at most ms milliseconds for an event; false when none came.
  bool (*wait)(dsp_event& ev, int ms);
  void (*setfullscreen)(bool on);
  bool (*isfullscreen)();
  // The window's icon, w x h opaque 0xAARRGGBB pixels (also called before `open`
  // returns, for a kept icon).
  void (*seticon)(uint32_t const* argb, int w, int h);
  // The mouse pointer over the window follows dsp.win.hidecursorfs from now on.
  void (*cursor)();
  void (*settitle)(char const* utf8);
  // Where the window's picture is on the screen.
  void (*setpos)(unsigned long x, unsigned long y);
  void (*getpos)(int& x, int& y);
  // The frame the desktop puts around the window; false where it does not tell.
  bool (*borders)(int& top, int& left, int& bottom, int& right);
  // The screen the window is on (or the first one): size; pixels per inch. False where
  // no display can be asked.
  bool (*screensize)(int& w, int& h);
  bool (*screendpi)(float& across, float& down);
  // Display loss: closes the window once it was noticed (outside any display call); and
  // whether the last window was lost.
  void (*check)();
  bool (*lost)();
  // The native window for entries that hand it out.
  void* (*handle)();
  // Typed text: text and composition messages come while it is on; the program's text box
  // at (x, y), w x h in window coordinates, so the candidate window sits beside it.
  void (*textinput)(bool on);
  void (*textrect)(int x, int y, int w, int h);
  // The clipboard (primary false) or the primary selection (true) as UTF-8 text: false,
  // with the error set, where the desktop has none to give or take.
  bool (*getclip)(bool primary, std::string& text);
  bool (*setclip)(bool primary, char const* utf8);
  // Shows a message box and waits for its answer (over the window when one is open);
  // false when none can be shown, and the box then goes where a headless run puts it:
  // stderr, the default answer.
  bool (*msgbox)(dsp_box const& box, unsigned& answer);
  // Queues ms (at most dsp_tonemax) of a tone of freq Hz and returns at once; headless
  // nothing sounds.
  void (*tone)(unsigned long freq, unsigned long ms);
};

// The longest tone, and the most queued at once, in ms.
inline constexpr unsigned long dsp_tonemax = 10000;

// The clock under GetTimeR49, GetTime50 and Delay28.
struct dsp_clockops {
  char const* name;  // "real" or "virtual"
  // Time moves only when a pause asks it to, so a wait for a due time ends at once.
  bool instant;
  double (*now)();             // seconds
  uint64_t (*ms)();            // whole milliseconds
  void (*pause)(uint64_t ms);  // Delay28
};

// The backend and the clock of this run, picked from the environment at the first call.
dsp_backend const& dsp_be();
dsp_clockops const& dsp_clk();

extern dsp_backend const dsp_sdlbackend;
extern dsp_backend const dsp_headlessbackend;
extern dsp_clockops const dsp_realclock;
extern dsp_clockops const dsp_virtualclock;

// The largest side of a window or canvas: what a cairo image can hold.
inline constexpr int dsp_sidemax = 16384;

// Positions are unsigned at the entries; their low 32 bits are read as a signed number so
// that windows can sit left of or above the first screen. dsp_centred means centred.
inline bool dsp_iscentred(unsigned long v) { return uint32_t(v) == 0x80000000u; }
inline int dsp_coord(unsigned long v) { return int(int32_t(uint32_t(v))); }

// Shared by the backends (window.cpp): a canvas of the new logical size w x h laid out
// anew, keeping its picture (a resizable full-screen canvas taking the screen's size);
// the output of a headless run; the canvas painted shrunk into the dw x dh part of a
// surface.
void dsp_setcanvassize(int w, int h);
void dsp_headlessout(int& w, int& h);
void dsp_shrink(cairo_surface_t* to);
// Until gamepads have a driver table of their own, a scripted controller runs on SDL's
// virtual joystick even headless: its events, taken from SDL's queue (sdl/events.cpp).
bool dsp_padpoll(dsp_event& ev);
