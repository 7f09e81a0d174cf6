// What the SDL backend needs on Wayland only: noticing a broken connection and knowing
// whether events wait, both through libwayland-client's own calls. SDL loads the library
// itself; we only look it up, so nothing is loaded on X11 or headless.
#include <dlfcn.h>
#include <poll.h>

#include "platform/disp/sdl/sdl.h"

namespace {

struct {
  void* display = nullptr;  // our Wayland display (struct wl_display*), null when none
  int (*geterror)(void*) = nullptr;
  int (*getfd)(void*) = nullptr;
  int (*prepareread)(void*) = nullptr;
  void (*cancelread)(void*) = nullptr;
  int (*readevents)(void*) = nullptr;
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
  dsp_wl.readevents = reinterpret_cast<int (*)(void*)>(dlsym(lib, "wl_display_read_events"));
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

// Whether SDL's queue (the display's default one) has events to dispatch. Much of what
// arrives on the socket is for the renderer's own queue (the compositor's answers to each
// frame, read by the next frame's swap), and pumping SDL for those would wake it once a
// frame for nothing. So whatever has come is read into its queues (the reader protocol
// libwayland-client provides for more than one reader), and SDL pumps only when the default
// queue then holds something.
int dsp_wlpending() {
  void* d = dsp_wl.display;
  if (!d || !dsp_wl.getfd || !dsp_wl.prepareread || !dsp_wl.cancelread || !dsp_wl.readevents)
    return -1;
  if (dsp_wl.prepareread(d) != 0) return 1;  // queued already
  pollfd p = {dsp_wl.getfd(d), POLLIN, 0};
  int const n = poll(&p, 1, 0);
  if (n == 0) {
    dsp_wl.cancelread(d);
    return 0;
  }
  if (n < 0 || !(p.revents & POLLIN) || dsp_wl.readevents(d) != 0) {
    if (n < 0 || !(p.revents & POLLIN)) dsp_wl.cancelread(d);
    return 1;  // a hang-up or an error: SDL must look, and the loss is noticed
  }
  if (dsp_wl.prepareread(d) != 0) return 1;
  dsp_wl.cancelread(d);
  return 0;
}
