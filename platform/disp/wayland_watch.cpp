// What the SDL backend needs on Wayland only: noticing a broken connection and knowing
// whether events wait, both through libwayland-client's own calls. SDL loads the library
// itself; we only look it up, so nothing is loaded on X11 or headless.
#include <dlfcn.h>
#include <poll.h>

#include "platform/disp/internal.h"

namespace {

struct {
  void* display = nullptr;  // our Wayland display (struct wl_display*), null when none
  int (*geterror)(void*) = nullptr;
  int (*getfd)(void*) = nullptr;
  int (*prepareread)(void*) = nullptr;
  void (*cancelread)(void*) = nullptr;
  bool looked = false;
} dsp_wl;

void dsp_wllookup() {
  if (dsp_wl.looked) return;
  dsp_wl.looked = true;
  void* lib = dlopen("libwayland-client.so.0", RTLD_NOW | RTLD_NOLOAD);
  if (!lib) return;
  dsp_wl.geterror = reinterpret_cast<int (*)(void*)>(dlsym(lib, "wl_display_get_error"));
  dsp_wl.getfd = reinterpret_cast<int (*)(void*)>(dlsym(lib, "wl_display_get_fd"));
  dsp_wl.prepareread = reinterpret_cast<int (*)(void*)>(dlsym(lib, "wl_display_prepare_read"));
  dsp_wl.cancelread = reinterpret_cast<void (*)(void*)>(dlsym(lib, "wl_display_cancel_read"));
  dlclose(lib);  // still loaded by SDL
}

}  // namespace

void dsp_wlwatch(void* display) {
  dsp_wl.display = nullptr;
  if (!display) return;
  dsp_wllookup();
  if (dsp_wl.geterror) dsp_wl.display = display;
}

// Wayland has no error callbacks: libwayland-client notes a broken connection on the
// display (SDL then reports a quit, or nothing at all).
bool dsp_wlbroken() { return dsp_wl.display && dsp_wl.geterror(dsp_wl.display) != 0; }

// Events are waiting when the default queue already holds some (prepare_read refuses), or
// when the socket has data. We only look: the read itself is cancelled and left to SDL.
int dsp_wlpending() {
  void* d = dsp_wl.display;
  if (!d || !dsp_wl.getfd || !dsp_wl.prepareread || !dsp_wl.cancelread) return -1;
  if (dsp_wl.prepareread(d) != 0) return 1;
  pollfd p = {dsp_wl.getfd(d), POLLIN, 0};
  int const n = poll(&p, 1, 0);
  dsp_wl.cancelread(d);
  return n != 0;  // data, a hang-up or an error: SDL must look
}
