// What the SDL backend needs on X11 only, each a workaround with its reason, its upstream
// versions and when it can go:
// - Display loss. Xlib (libX11 1.8, as SDL 2.26 uses it) ends the process from inside
//   whatever call noticed that the X server went away or that another client destroyed the
//   window. Our handlers only take note; the next IsWin47, IsNextMsg254 or FreshWin45 closes
//   the window, and the caller goes on. Needed as long as Xlib's default handlers exit.
// - Pumping. SDL 2.26's SDL_PumpEvents does a round of work for every source on every call;
//   the game asks for a message about a thousand times a second. One non-blocking
//   XEventsQueued answers whether anything came. Can go when SDL pumps cheaply when idle
//   (SDL 3 does); DISP_PUMP_CHECK=0 switches it off (and Wayland's check with it).
// - Full screen with no window manager. SDL 2.26 makes a window full screen by asking the
//   window manager (_NET_WM_STATE); with none (a bare Xvfb, a kiosk X server), SDL takes the
//   screen's size as the window's while the X window keeps its own, and the picture is
//   cropped. There the SDL backend moves and sizes the window to cover the screen itself
//   (through SDL, so SDL's idea of the window stays right). Can go when SDL does it itself.
#include <SDL2/SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <dlfcn.h>

#include "platform/disp/sdl/sdl.h"

namespace {

// Set from inside Xlib's callbacks, where no X or SDL call may be made; acted on later.
struct {
  bool lost = false;     // the window is gone (disp_islost)
  bool dead = false;     // the connection itself is gone, for the rest of the process
  Window window = 0;     // our window on the X server, 0 when none
  bool pending = false;  // lost, and the window not yet closed
  bool wayland = false;  // the window is on Wayland, watched by wayland_watch.cpp
} dsp_x;

void dsp_telllost() {
  if (dsp_x.lost) return;
  dsp_x.lost = dsp_x.pending = true;
  dsp_warn("the display connection was lost");
}

// The server went away or our client was killed (xdotool windowkill). Returning lets Xlib
// go on to the exit handler, which for our display returns as well; Xlib then answers every
// further request on that connection with a failure instead of touching the socket.
int dsp_xioerror(Display*) {
  dsp_x.dead = true;
  dsp_telllost();
  return 0;
}

void dsp_xioexit(Display*, void*) {}

// A protocol error names our window when another client destroyed it; any other error is
// one failed request of no consequence (Xlib's default would end the process for it).
int dsp_xerror(Display*, XErrorEvent* e) {
  if (dsp_x.window != 0 && e->resourceid == dsp_x.window &&
      (e->error_code == BadWindow || e->error_code == BadDrawable))
    dsp_telllost();
  return 0;
}

bool dsp_x11info(SDL_Window* w, SDL_SysWMinfo& info) {
  SDL_VERSION(&info.version);
  return w && SDL_GetWindowWMInfo(w, &info) && info.subsystem == SDL_SYSWM_X11;
}

// Xlib's XEventsQueued, from the copy SDL loaded (null when SDL runs on another driver).
using dsp_xqueuedfn = int (*)(Display*, int);
dsp_xqueuedfn dsp_xqueued() {
  static dsp_xqueuedfn fn = nullptr;
  static bool looked = false;
  if (!fn && !looked) {
    looked = true;
    if (void* lib = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD))
      fn = reinterpret_cast<dsp_xqueuedfn>(dlsym(lib, "XEventsQueued"));
  }
  return fn;
}

// A window manager announces itself through _NET_SUPPORTING_WM_CHECK on the root window.
bool dsp_haswm(Display* d) {
  Atom const check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;
  Atom type = None;
  int format = 0;
  unsigned long n = 0, after = 0;
  unsigned char* data = nullptr;
  int const st = XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, XA_WINDOW, &type,
                                    &format, &n, &after, &data);
  bool const found = st == Success && type == XA_WINDOW && n == 1;
  if (data) XFree(data);
  return found;
}

}  // namespace

bool dsp_xguard() {
  if (dsp_x.dead) return false;
  // Set before SDL starts its video: SDL's own protocol handler then passes errors on to ours
  // rather than to Xlib's default.
  XSetIOErrorHandler(dsp_xioerror);
  XSetErrorHandler(dsp_xerror);
  return true;
}

void dsp_xwatch(SDL_Window* w) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  dsp_x.lost = dsp_x.pending = false;
  dsp_x.window = 0;
  dsp_x.wayland = false;
  dsp_wlwatch(nullptr);
  if (!w || !SDL_GetWindowWMInfo(w, &info)) return;
#if defined(SDL_VIDEO_DRIVER_WAYLAND)
  if (info.subsystem == SDL_SYSWM_WAYLAND) {
    dsp_wlwatch(info.info.wl.display);
    dsp_x.wayland = true;
  }
#endif
  if (info.subsystem != SDL_SYSWM_X11) return;
  XSetIOErrorExitHandler(info.info.x11.display, dsp_xioexit, nullptr);
  dsp_x.window = info.info.x11.window;
}

void dsp_xcheck() {
  if (dsp_x.wayland && dsp.win.open && dsp_wlbroken()) {
    dsp_x.dead = true;
    dsp_telllost();
  }
  if (!dsp_x.pending) return;
  dsp_x.pending = false;
  dsp_x.window = 0;
  dsp_x.wayland = false;
  dsp_wlwatch(nullptr);
  if (!dsp.win.open) return;
  // On a dead connection SDL must not touch the window or shut its video down: destroying
  // the window waits for an unmap that never comes, and SDL's second connection to the
  // server has no exit handler of ours, so closing it would end the process after all.
  // Both are left as they are; no window opens again in this process.
  if (dsp_x.dead) {
    dsp_sdl.window = nullptr;
    dsp_sdl.videoinit = false;
  }
  dsp_close();
}

bool dsp_xlost() { return dsp_x.lost; }

// XEventsQueued(QueuedAfterReading) first moves into Xlib's queue whatever Xlib or XCB has
// already read (replies to the frame's XSync bring events along), so an event is seen
// wherever it waits.
int dsp_x11pending(SDL_Window* w) {
  SDL_SysWMinfo info;
  if (!dsp_x11info(w, info)) return -1;
  dsp_xqueuedfn queued = dsp_xqueued();
  if (!queued) return -1;
  return queued(info.info.x11.display, QueuedAfterReading) > 0;
}

bool dsp_x11nowm(SDL_Window* w) {
  SDL_SysWMinfo info;
  return dsp_x11info(w, info) && !dsp_haswm(info.info.x11.display);
}
