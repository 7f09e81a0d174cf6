// What differs from one run to another under the drawing: where the canvas is shown (a
// window through SDL, on X11 or Wayland, or nowhere: the headless canvas) and which clock
// runs (the real one, or the virtual one that only the pauses move). Each is one table of
// functions, picked once; the rest of the library calls through it and never asks which.
#pragma once
#include <cairo.h>

#include <cstdint>

union SDL_Event;
struct SDL_Window;

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
  // The next event that has come, without waiting; false when none.
  bool (*poll)(SDL_Event* ev);
  // Waits at most ms milliseconds for an event; false when none came.
  bool (*wait)(SDL_Event* ev, int ms);
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
  // The native window for entries that hand it out, and a parent for message boxes.
  void* (*handle)();
};

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
// Polls SDL's queue, pumping only when something may have come (pump.cpp).
bool dsp_pollsdl(SDL_Event* ev);

// The SDL backend's display-server sides. X11 (x11_quirks.cpp): our X error handlers, set
// before SDL's video starts (false once the connection died: no window can open again);
// watching a new window; closing it once its loss was noticed; whether the last one was
// lost; whether Xlib has events for SDL (-1: not on X11); whether the window is on X11 with
// no window manager to make it full screen. Wayland
// (wayland_watch.cpp): the display to watch; whether its connection broke; whether SDL must
// pump for what came, which is otherwise dispatched there (-1: not on Wayland).
bool dsp_xguard();
void dsp_xwatch(SDL_Window* w);
void dsp_xcheck();
bool dsp_xlost();
int dsp_x11pending(SDL_Window* w);
bool dsp_x11nowm(SDL_Window* w);
void dsp_wlwatch(void* display);
bool dsp_wlbroken();
int dsp_wlpending();
