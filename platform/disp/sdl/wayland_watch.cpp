// What the SDL backend needs on Wayland only: noticing a broken connection and taking in
// what the compositor sent without pumping SDL, both through libwayland-client's own calls
// on the display SDL opened.
#include <poll.h>
#include <wayland-client.h>

#include "platform/disp/sdl/sdl.h"

namespace {

wl_display* dsp_wldisplay = nullptr;  // our window's display, null when none

}  // namespace

void dsp_wlwatch(void* display) { dsp_wldisplay = static_cast<wl_display*>(display); }

// Wayland has no error callbacks: libwayland-client notes a broken connection on the
// display (SDL then reports a quit, or nothing at all).
bool dsp_wlbroken() { return dsp_wldisplay && wl_display_get_error(dsp_wldisplay) != 0; }

// Whether SDL must pump for what came. Whatever has come is read into its queues (the
// reader protocol libwayland-client provides for more than one reader: our buffers' own
// queue is among them), and what is for SDL's queue is dispatched here, as SDL's pump would:
// its handlers turn input into SDL events, taken without a pump, and note the compositor's
// answer to each frame (SDL asks for one with every frame), which would otherwise wake SDL
// once a frame for nothing. SDL pumps only where the connection failed, so that it sees it.
int dsp_wlpending() {
  wl_display* d = dsp_wldisplay;
  if (!d) return -1;
  if (wl_display_prepare_read(d) == 0) {
    pollfd p = {wl_display_get_fd(d), POLLIN, 0};
    int const n = poll(&p, 1, 0);
    if (n > 0 && (p.revents & POLLIN)) {
      if (wl_display_read_events(d) != 0) return 1;
    } else {
      wl_display_cancel_read(d);
      if (n != 0) return 1;  // a hang-up or an error
    }
  }
  return wl_display_dispatch_pending(d) < 0 ? 1 : 0;
}
