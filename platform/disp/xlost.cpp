// Display loss: Xlib's own handlers end the process from inside whatever call noticed that
// the X server went away or that another client destroyed the window. Ours only take note;
// the next IsWin47, IsNextMsg254 or FreshWin45 closes the window, and the caller goes on.
// Wayland (through SDL) is watched by asking libwayland-client whether the display broke.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <dlfcn.h>

#include "platform/disp/internal.h"

namespace {

// Set from inside Xlib's callbacks, where no X or SDL call may be made; acted on later.
struct {
  bool lost = false;                // the window is gone (disp_islost)
  bool dead = false;                // the connection itself is gone, for the rest of the process
  Window window = 0;                // our window on the X server, 0 when none
  bool pending = false;             // lost, and the window not yet closed
  void* wl = nullptr;               // our Wayland display (struct wl_display*), null when none
  int (*wlerror)(void*) = nullptr;  // libwayland-client's wl_display_get_error
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

// Wayland has no error callbacks: libwayland-client notes a broken connection on the display
// (SDL then reports a quit, or nothing at all). SDL loads the library itself; we only look
// it up, so nothing is loaded on X11 or headless.
void dsp_wlwatch(void* display) {
  dsp_x.wl = nullptr;
  void* lib = dlopen("libwayland-client.so.0", RTLD_NOW | RTLD_NOLOAD);
  if (!lib) return;
  dsp_x.wlerror = reinterpret_cast<int (*)(void*)>(dlsym(lib, "wl_display_get_error"));
  dlclose(lib);  // still loaded by SDL
  if (dsp_x.wlerror) dsp_x.wl = display;
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
  dsp_x.wl = nullptr;
  if (!w || !SDL_GetWindowWMInfo(w, &info)) return;
#if defined(SDL_VIDEO_DRIVER_WAYLAND)
  if (info.subsystem == SDL_SYSWM_WAYLAND) dsp_wlwatch(info.info.wl.display);
#endif
  if (info.subsystem != SDL_SYSWM_X11) return;
  XSetIOErrorExitHandler(info.info.x11.display, dsp_xioexit, nullptr);
  dsp_x.window = info.info.x11.window;
}

void dsp_xcheck() {
  if (dsp_x.wl && dsp.win.open && dsp_x.wlerror(dsp_x.wl) != 0) {
    dsp_x.dead = true;
    dsp_telllost();
  }
  if (!dsp_x.pending) return;
  dsp_x.pending = false;
  dsp_x.window = 0;
  dsp_x.wl = nullptr;
  if (!dsp.win.open) return;
  // On a dead connection SDL must not touch the window or shut its video down: destroying
  // the window waits for an unmap that never comes, and SDL's second connection to the
  // server has no exit handler of ours, so closing it would end the process after all.
  // Both are left as they are; no window opens again in this process.
  if (dsp_x.dead) {
    dsp.win.sdl = nullptr;
    dsp.win.videoinit = false;
  }
  dsp_close();
}

bool dsp_xlost() { return dsp_x.lost; }
