// Taking SDL's next event without pumping every source on every call: the game asks for a
// message about a thousand times a second, and almost always nothing has come.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <dlfcn.h>

#include "platform/disp/internal.h"

namespace {

// SDL's other sources (signals, hot-plugged devices, its own timed work) are pumped at
// least this often even while the X connection stays quiet.
constexpr int64_t dsp_pumpns = 10'000'000;

int64_t dsp_lastpump = 0;

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

// Whether SDL must pump now. On X11 one non-blocking read of the connection answers it:
// XEventsQueued(QueuedAfterReading) first moves into Xlib's queue whatever Xlib or XCB
// has already read (replies to the frame's XSync bring events along), so an event is seen
// wherever it waits. An open gamepad is read by pumping only, so then SDL pumps every time.
bool dsp_mustpump(int64_t now) {
  if (now - dsp_lastpump >= dsp_pumpns) return true;
  if (SDL_WasInit(SDL_INIT_JOYSTICK) && SDL_NumJoysticks() > 0) return true;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(dsp.win.sdl, &info) || info.subsystem != SDL_SYSWM_X11) return true;
  dsp_xqueuedfn queued = dsp_xqueued();
  return !queued || queued(info.info.x11.display, QueuedAfterReading) > 0;
}

}  // namespace

// SDL_PollEvent without its pump when nothing can have come: events other threads push
// (SDL_PushEvent, timers) are in SDL's queue already and are taken all the same.
bool dsp_pollsdl(SDL_Event* ev) {
  int64_t now = dsp_steadyns();
  if (dsp_mustpump(now)) {
    SDL_PumpEvents();
    dsp_lastpump = now;
    if (dsp.stats.on) ++dsp.stats.pumps;
  }
  return SDL_PeepEvents(ev, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1;
}
