// The SDL backend's own header: its state record and what its files share. Only files in
// this folder include it; nothing else in the library sees an SDL type.
#pragma once
#include <SDL2/SDL.h>

#include "platform/disp/internal.h"

// The native side of the window, private to the SDL backend (the shared record holds no
// native handle).
struct dsp_sdlstate {
  SDL_Window* window = nullptr;  // none while no window is open, or once its display was lost
  bool videoinit = false;        // SDL's video subsystem is running
  SDL_Surface* fb = nullptr;     // the framebuffer the bars were painted into
};
extern dsp_sdlstate dsp_sdl;

// SDL's events as our own messages (events.cpp): the next one taken without waiting (only
// pumping when something may have come), or waited for at most ms milliseconds.
bool dsp_sdlpoll(dsp_event& ev);
bool dsp_sdlwait(dsp_event& ev, int ms);
// Polls SDL's queue, pumping only when something may have come (pump.cpp).
bool dsp_pollsdl(SDL_Event* ev);
// F11 and Alt+Enter toggle full screen inside the library; true for such an event, which
// the program then never sees as a key (backend_sdl.cpp).
bool dsp_fullscreenkey(SDL_Event const& ev);
// A controller's event handed to the gamepads: 0 it is not one, 1 taken, 2 taken and
// messages were queued for it (pad_sdl.cpp).
int dsp_sdlpadevent(SDL_Event const& ev);

// The display servers' sides. X11 (x11_quirks.cpp): our X error handlers, set before SDL's
// video starts (false once the connection died: no window can open again); watching a new
// window; closing it once its loss was noticed; whether the last one was lost; whether
// Xlib has events for SDL (-1: not on X11); whether the window is on X11 with no window
// manager to make it full screen. Wayland (wayland_watch.cpp): the display to watch;
// whether its connection broke; whether SDL must pump for what came, which is otherwise
// dispatched there (-1: not on Wayland).
bool dsp_xguard();
void dsp_xwatch(SDL_Window* w);
void dsp_xcheck();
bool dsp_xlost();
int dsp_x11pending(SDL_Window* w);
bool dsp_x11nowm(SDL_Window* w);
void dsp_wlwatch(void* display);
bool dsp_wlbroken();
int dsp_wlpending();

// Typed text and the clipboard (text.cpp).
void dsp_sdltextinput(bool on);
void dsp_sdltextrect(int x, int y, int w, int h);
bool dsp_sdlgetclip(bool primary, std::string& text);
bool dsp_sdlsetclip(bool primary, char const* utf8);

// The message box and the tone (msgbox.cpp, beep.cpp).
bool dsp_sdlmsgbox(dsp_box const& box, unsigned& answer);
void dsp_sdltone(unsigned long freq, unsigned long ms);
