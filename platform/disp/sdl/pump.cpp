// Taking SDL's next event without pumping every source on every call: the game asks for a
// message about a thousand times a second, and almost always nothing has come. The display
// servers' own checks are in x11_quirks.cpp and wayland_watch.cpp.
#include "platform/disp/sdl/sdl.h"

namespace {

// SDL's other sources (signals, hot-plugged devices, its own timed work such as Wayland's
// key repeat) are pumped at least this often even while the display stays quiet.
constexpr int64_t dsp_pumpns = 10'000'000;

int64_t dsp_lastpump = 0;

// Whether SDL must pump now: the display server says whether anything came; where it
// cannot say, always. An open gamepad is read by pumping only, so then SDL pumps every time.
bool dsp_mustpump(int64_t now) {
  if (!dsp.env.pumpcheck || now - dsp_lastpump >= dsp_pumpns) return true;
  if (SDL_WasInit(SDL_INIT_JOYSTICK) && SDL_NumJoysticks() > 0) return true;
  int pending = dsp_x11pending(dsp_sdl.window);
  if (pending < 0) pending = dsp_wlpending();
  return pending != 0;
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
