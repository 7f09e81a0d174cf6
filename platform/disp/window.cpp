// The window: an SDL window whose framebuffer the cairo canvas draws into directly, or, with
// DISP_HEADLESS=1, no window at all and the same canvas in memory. FreshWin45 shows the
// canvas, counts the frame and writes the frame dumps asked for by DISP_SHOT.
#include <SDL2/SDL.h>

#include <cstdlib>

#include "platform/disp/internal.h"

namespace {

// Points the canvas at the window's framebuffer when it has the canvas's own layout
// (32-bit xRGB, no locking), so that showing a frame copies nothing on our side; any other
// framebuffer gets a canvas of its own, copied over at each frame.
bool dsp_attach() {
  SDL_Surface* s = SDL_GetWindowSurface(dsp.win.sdl);
  if (!s) return false;
  dsp.win.direct = s->format->format == SDL_PIXELFORMAT_RGB888 && s->w == dsp.win.w &&
                   s->h == dsp.win.h && !SDL_MUSTLOCK(s) && s->pitch % 4 == 0;
  if (dsp.win.direct) return dsp_newcanvas(static_cast<unsigned char*>(s->pixels), s->pitch);
  return dsp_newcanvas(nullptr, 0);
}

// The window's framebuffer went away (SDL drops it when the window changes size). Its
// pixels stay readable until SDL is asked for the new one, so the picture moves over to a
// canvas of the library's own, and frames are copied from then on.
void dsp_detach() {
  cairo_surface_t* old = cairo_surface_reference(dsp.canvas.surface);
  if (dsp_newcanvas(nullptr, 0)) {
    cairo_set_source_surface(dsp.canvas.cr, old, 0, 0);
    cairo_paint(dsp.canvas.cr);
    dsp.canvas.source = ~0ul;
  }
  cairo_surface_destroy(old);
  dsp.win.direct = false;
}

void dsp_copyout() {
  SDL_Surface* ws = SDL_GetWindowSurface(dsp.win.sdl);
  cairo_surface_t* cs = dsp.canvas.surface;
  if (!ws || !cs) return;
  cairo_surface_flush(cs);
  SDL_Surface* wrap = SDL_CreateRGBSurfaceWithFormatFrom(
      cairo_image_surface_get_data(cs), dsp.win.w, dsp.win.h, 32,
      cairo_image_surface_get_stride(cs), SDL_PIXELFORMAT_RGB888);
  if (!wrap) return;
  SDL_BlitSurface(wrap, nullptr, ws, nullptr);
  SDL_FreeSurface(wrap);
  SDL_UpdateWindowSurface(dsp.win.sdl);
}

bool dsp_fail(char const* why, bool nodisplay = true) {
  if (nodisplay)
    dsp_warn("cannot open a window: %s; set DISPLAY or DISP_HEADLESS=1", why);
  else
    dsp_warn("cannot open a window: %s", why);
  return false;
}

// Left to itself, SDL falls back to its invisible "offscreen" driver when there is no
// display, and the game would run unseen. Unless SDL_VIDEODRIVER names a driver, only the
// desktop's own are tried.
bool dsp_pickdriver() {
  if (getenv("SDL_VIDEODRIVER")) return true;
  char const* x = getenv("DISPLAY");
  char const* wl = getenv("WAYLAND_DISPLAY");
  bool hasx = x && *x, haswl = wl && *wl;
  if (!hasx && !haswl) return dsp_fail("no display (DISPLAY is not set)");
  SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER,
                          hasx && haswl ? "x11,wayland"
                          : hasx        ? "x11"
                                        : "wayland",
                          SDL_HINT_DEFAULT);
  return true;
}

void dsp_shots(double now) {
  for (dsp_shot& s : dsp.shots) {
    if (s.done || now < s.at) continue;
    s.done = true;
    cairo_surface_flush(dsp.canvas.surface);
    cairo_status_t st = cairo_surface_write_to_png(dsp.canvas.surface, s.file.c_str());
    if (st != CAIRO_STATUS_SUCCESS)
      dsp_warn("DISP_SHOT: cannot write %s: %s", s.file.c_str(), cairo_status_to_string(st));
  }
}

}  // namespace

void dsp_present() {
  if (!dsp.win.sdl || !dsp.canvas.surface) return;
  if (dsp.win.direct) {
    cairo_surface_flush(dsp.canvas.surface);
    if (SDL_UpdateWindowSurface(dsp.win.sdl) == 0) return;
    dsp_detach();
  }
  dsp_copyout();
}

void dsp_close() {
  if (!dsp.win.open) return;
  dsp.win.open = false;
  dsp_dropcanvas();
  if (dsp.win.sdl) {
    SDL_DestroyWindow(dsp.win.sdl);
    dsp.win.sdl = nullptr;
  }
  if (dsp.win.videoinit) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    dsp.win.videoinit = false;
  }
  dsp.input.current = {false, 0};
  if (dsp.stats.on) dsp_writestats();
}

void dsp_tick() {
  if (dsp.win.open && dsp.env.quitat >= 0 && dsp_now() >= dsp.env.quitat) dsp_close();
}

// ---- Entries -------------------------------------------------------------------------

// A second call replaces the window. Sizes are limited to what a cairo image can hold.
qr_bool CreateWin42(qe_u w, qe_u h) {
  dsp_setup();
  dsp_close();
  if (w < 1 || h < 1 || w > 16384 || h > 16384) {
    char why[64];
    snprintf(why, sizeof why, "size %lux%lu is not within 1..16384", w, h);
    return dsp_fail(why, false);
  }
  dsp.win.w = int(w);
  dsp.win.h = int(h);
  if (dsp.env.headless) return dsp.win.open = dsp_newcanvas(nullptr, 0);

  // The window's own framebuffer, not one emulated through a GPU texture: the canvas is
  // drawn on the CPU and presenting it is then one copy inside the X server.
  SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
  if (!dsp_pickdriver()) return false;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::string why = SDL_GetError();
    if (char const* d = getenv("DISPLAY"); d && *d && !getenv("SDL_VIDEODRIVER"))
      why = "cannot reach the X display \"" + std::string(d) + "\" (" + why + ")";
    return dsp_fail(why.c_str());
  }
  dsp.win.videoinit = true;
  std::string buf;
  dsp.win.sdl = SDL_CreateWindow(dsp_utf8(dsp.win.title.c_str(), buf), SDL_WINDOWPOS_CENTERED,
                                 SDL_WINDOWPOS_CENTERED, int(w), int(h), SDL_WINDOW_SHOWN);
  if (!dsp.win.sdl || !dsp_attach()) {
    std::string why = SDL_GetError();
    if (dsp.win.sdl) SDL_DestroyWindow(dsp.win.sdl);
    dsp.win.sdl = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    dsp.win.videoinit = false;
    dsp_dropcanvas();
    return dsp_fail(why.empty() ? "no framebuffer" : why.c_str());
  }
  SDL_StopTextInput();  // key presses only, no text events doubling them
  dsp.win.open = true;
  dsp_present();
  return true;
}

qr_v FreshWin45() {
  dsp_setup();
  int64_t start = dsp_steadyns();
  dsp_tick();
  if (!dsp.win.open) return;
  double now = dsp_now();
  dsp_countframe(now);
  if (!dsp.shots.empty()) dsp_shots(now);
  dsp_present();
  dsp_statframe(start, dsp_steadyns());
}

qr_v CloseWin46() {
  dsp_setup();
  dsp_close();
}

qr_bool IsWin47() {
  dsp_setup();
  dsp_tick();
  return dsp.win.open;
}

qr_v SetTitle51(qe_s title) {
  dsp_setup();
  dsp.win.title = title ? title : "";
  if (dsp.win.sdl) {
    std::string buf;
    SDL_SetWindowTitle(dsp.win.sdl, dsp_utf8(dsp.win.title.c_str(), buf));
  }
}
