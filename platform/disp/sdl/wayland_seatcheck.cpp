// A workaround for SDL before 2.30 (Debian 12 ships 2.26): its Wayland driver dies by a
// signal on a compositor with no wl_seat (no keyboard or pointer: weston's headless backend,
// a kiosk before its input comes up), as it sets up the mouse on the seat it never got. So
// before SDL touches a compositor we ask it ourselves, on a connection of our own, whether it
// has a seat. It turns itself off where SDL is 2.30 or later; remove this file, and its one
// call in backend_sdl.cpp, once the oldest SDL we build on is.
#include <SDL2/SDL.h>
#include <wayland-client.h>

#include <cstdlib>
#include <cstring>

#include "platform/disp/sdl/wl_present.h"

namespace {

// How long the compositor may take to list its globals before the question is left to SDL.
constexpr int dsp_seatwaitms = 2000;

void dsp_seatglobal(void* seen, wl_registry*, uint32_t, char const* interface, uint32_t) {
  if (strcmp(interface, wl_seat_interface.name) == 0) *static_cast<bool*>(seen) = true;
}
void dsp_seatglobalgone(void*, wl_registry*, uint32_t) {}
wl_registry_listener const dsp_seatregistry = {dsp_seatglobal, dsp_seatglobalgone};

}  // namespace

bool dsp_sdlcrasheswithoutseat() {
  SDL_version v;
  SDL_GetVersion(&v);
  return SDL_VERSIONNUM(v.major, v.minor, v.patch) < SDL_VERSIONNUM(2, 30, 0);
}

dsp_seat dsp_wlseat() {
  // A socket handed down by the parent (WAYLAND_SOCKET) can be taken only once: SDL's.
  if (char const* s = getenv("WAYLAND_SOCKET"); s && *s) return dsp_seat::unknown;
  wl_display* d = wl_display_connect(nullptr);
  if (!d) return dsp_seat::unknown;  // no compositor there: SDL finds that out by itself
  bool seat = false;
  wl_registry* r = wl_display_get_registry(d);
  wl_registry_add_listener(r, &dsp_seatregistry, &seat);
  // The globals come before the answer to a sync sent after asking for them.
  bool const answered = dsp_wlsync(d, nullptr, dsp_seatwaitms);
  wl_registry_destroy(r);
  wl_display_disconnect(d);
  if (!answered) return dsp_seat::unknown;
  return seat ? dsp_seat::present : dsp_seat::missing;
}
