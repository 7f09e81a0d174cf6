// The SDL backend's own work on native Wayland, beside SDL's: the canvas shown through
// shared-memory buffers on the window's surface (wl_present.cpp), and the question put to a
// compositor before SDL meets it (wayland_seatcheck.cpp).
#pragma once
#include "platform/disp/sdl/sdl.h"

struct wl_display;
struct wl_event_queue;

// Presenting without GL. dsp_wlshmopen: true when window `w` is on native Wayland and its
// compositor shares memory (every one does), and presenting goes that way from now on;
// attach lays the canvas out at the window's pixel size (false when memory ran out);
// present shows it; close gives everything back, `lost` when the connection is gone and
// only our memory may be freed.
bool dsp_wlshmopen(SDL_Window* w);
bool dsp_wlshmon();
bool dsp_wlshmattach();
void dsp_wlshmpresent();
void dsp_wlshmclose(bool lost);

// Sends a sync on queue `q` (null: the display's default one) and dispatches that queue
// until the compositor answered it, waiting at most `ms` milliseconds in all: false when it
// did not answer in time or the connection broke.
bool dsp_wlsync(wl_display* d, wl_event_queue* q, int ms);

// Whether the compositor SDL would reach (WAYLAND_DISPLAY) has a seat; unknown where there
// is none to ask, it did not answer in time, or the socket is one only SDL may take. And
// whether this SDL is one of those that crash without one.
enum class dsp_seat { unknown, present, missing };
dsp_seat dsp_wlseat();
bool dsp_sdlcrasheswithoutseat();
