// Display loss: Xlib's own handlers end the process from inside whatever call noticed that
// the X server went away or that another client destroyed the window. Ours only take note;
// the next IsWin47, IsNextMsg254 or FreshWin45 closes the window, and the caller goes on.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>

#include "platform/disp/internal.h"

namespace {

// Set from inside Xlib's callbacks, where no X or SDL call may be made; acted on later.
struct {
  bool lost = false;     // the window is gone (disp_islost)
  bool dead = false;     // the connection itself is gone, for the rest of the process
  Window window = 0;     // our window on the X server, 0 when none
  bool pending = false;  // lost, and the window not yet closed
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
  if (!w || !SDL_GetWindowWMInfo(w, &info) || info.subsystem != SDL_SYSWM_X11) return;
  XSetIOErrorExitHandler(info.info.x11.display, dsp_xioexit, nullptr);
  dsp_x.window = info.info.x11.window;
}

void dsp_xcheck() {
  if (!dsp_x.pending) return;
  dsp_x.pending = false;
  dsp_x.window = 0;
  if (!dsp.win.open) return;
  // A dead connection must not be shut down: SDL's second connection to the same server
  // has no handler of ours, and closing it would end the process after all. SDL's video
  // is left as it is; no window opens again in this process.
  if (dsp_x.dead) dsp.win.videoinit = false;
  dsp_close();
}

bool dsp_xlost() { return dsp_x.lost; }
