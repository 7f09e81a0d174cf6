// The window: an SDL window whose framebuffer the cairo canvas draws into directly, or, with
// DISP_HEADLESS=1, no window at all and the same canvas in memory. The canvas is scaled to
// fit the window (letterboxed); FreshWin45 shows it, counts the frame and writes the frame
// dumps asked for by DISP_SHOT; F11 and Alt+Enter toggle full screen.
#include <SDL2/SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/disp/internal.h"

namespace {

constexpr unsigned long dsp_maxside = 16384;  // what a cairo image can hold
SDL_Surface* dsp_fbsurface = nullptr;         // the framebuffer a direct canvas points into

// Lays the canvas out in the window's framebuffer and points the canvas at its part of it
// when the framebuffer has the canvas's own layout (32-bit xRGB, no locking), so that
// showing a frame copies nothing on our side; any other framebuffer gets a canvas of its
// own, copied over at each frame.
bool dsp_attach() {
  SDL_Surface* s = SDL_GetWindowSurface(dsp.win.sdl);
  if (!s) return false;
  dsp_layout(s->w, s->h);
  dsp.win.fb = nullptr;  // bars to paint
  dsp.win.direct = s->format->format == SDL_PIXELFORMAT_RGB888 && !SDL_MUSTLOCK(s) &&
                   s->pitch % 4 == 0 && dsp.win.cw == dsp.win.dw && dsp.win.ch == dsp.win.dh;
  dsp_fbsurface = s;
  if (dsp.win.direct)
    return dsp_newcanvas(static_cast<unsigned char*>(s->pixels) +
                             std::ptrdiff_t(dsp.win.oy) * s->pitch + std::ptrdiff_t(dsp.win.ox) * 4,
                         s->pitch);
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

// Paints the bars around the canvas in the background colour, where the framebuffer is new
// or the colour changed since.
void dsp_paintbars(SDL_Surface* ws) {
  unsigned long const bg = dsp.canvas.bg;
  if (dsp.win.fb == ws && dsp.win.bars == bg) return;
  dsp.win.fb = ws;
  dsp.win.bars = bg;
  int const ox = dsp.win.ox, oy = dsp.win.oy, cw = dsp.win.dw, ch = dsp.win.dh;
  Uint32 const c = SDL_MapRGB(ws->format, Uint8(bg >> 16), Uint8(bg >> 8), Uint8(bg));
  SDL_Rect const r[4] = {{0, 0, ws->w, oy},
                         {0, oy + ch, ws->w, ws->h - oy - ch},
                         {0, oy, ox, ch},
                         {ox + cw, oy, ws->w - ox - cw, ch}};
  for (SDL_Rect const& b : r)
    if (b.w > 0 && b.h > 0) SDL_FillRect(ws, &b, c);
}

// Paints the canvas shrunk into the dw x dh part of `to` at (ox, oy), averaging the pixels
// that fall into each (cairo's good filter), not picking one of them.
void dsp_shrink(cairo_surface_t* to) {
  cairo_t* c = cairo_create(to);
  cairo_translate(c, dsp.win.ox, dsp.win.oy);
  cairo_scale(c, double(dsp.win.dw) / dsp.win.cw, double(dsp.win.dh) / dsp.win.ch);
  cairo_set_source_surface(c, dsp.canvas.surface, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(c), CAIRO_FILTER_GOOD);
  cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
  cairo_rectangle(c, 0, 0, dsp.win.cw, dsp.win.ch);
  cairo_fill(c);
  cairo_destroy(c);
}

void dsp_copyout() {
  SDL_Surface* ws = SDL_GetWindowSurface(dsp.win.sdl);
  cairo_surface_t* cs = dsp.canvas.surface;
  if (!ws || !cs) return;
  cairo_surface_flush(cs);
  bool const shrunk = dsp.win.dw != dsp.win.cw || dsp.win.dh != dsp.win.ch;
  if (shrunk && ws->format->format == SDL_PIXELFORMAT_RGB888 && !SDL_MUSTLOCK(ws)) {
    cairo_surface_t* to = cairo_image_surface_create_for_data(
        static_cast<unsigned char*>(ws->pixels), CAIRO_FORMAT_RGB24, ws->w, ws->h, ws->pitch);
    if (cairo_surface_status(to) == CAIRO_STATUS_SUCCESS) dsp_shrink(to);
    cairo_surface_destroy(to);
  } else {
    SDL_Surface* wrap = SDL_CreateRGBSurfaceWithFormatFrom(
        cairo_image_surface_get_data(cs), dsp.win.cw, dsp.win.ch, 32,
        cairo_image_surface_get_stride(cs), SDL_PIXELFORMAT_RGB888);
    if (!wrap) return;
    SDL_Rect at = {dsp.win.ox, dsp.win.oy, dsp.win.dw, dsp.win.dh};
    if (shrunk)
      SDL_BlitScaled(wrap, nullptr, ws, &at);
    else
      SDL_BlitSurface(wrap, nullptr, ws, &at);
    SDL_FreeSurface(wrap);
  }
  dsp_paintbars(ws);
  SDL_UpdateWindowSurface(dsp.win.sdl);
}

bool dsp_fail(char const* why, unsigned code = dsp_edevice) {
  if (code == dsp_edevice)
    dsp_warn("cannot open a window: %s; set DISPLAY or DISP_HEADLESS=1", why);
  else
    dsp_warn("cannot open a window: %s", why);
  dsp_seterror(code, (std::string("createwin: cannot open a window: ") + why).c_str());
  return false;
}

// Left to itself, SDL falls back to its invisible "offscreen" driver when there is no
// display, and the game would run unseen. Unless SDL_VIDEODRIVER names a driver, only the
// desktop's own are tried; false when there is none.
bool dsp_havedriver() {
  if (getenv("SDL_VIDEODRIVER")) return true;
  char const* x = getenv("DISPLAY");
  char const* wl = getenv("WAYLAND_DISPLAY");
  bool hasx = x && *x, haswl = wl && *wl;
  if (!hasx && !haswl) return false;
  SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER,
                          hasx && haswl ? "x11,wayland"
                          : hasx        ? "x11"
                                        : "wayland",
                          SDL_HINT_DEFAULT);
  return true;
}

// What the window shows: the canvas and, where it does not fill the output, the bars.
// Without bars that is the canvas itself (the frame written as it always was).
cairo_surface_t* dsp_output() {
  cairo_surface_t* cs = dsp.canvas.surface;
  cairo_surface_flush(cs);
  if (dsp.win.outw == dsp.win.cw && dsp.win.outh == dsp.win.ch) return cairo_surface_reference(cs);
  cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_RGB24, dsp.win.outw, dsp.win.outh);
  if (cairo_surface_status(out) != CAIRO_STATUS_SUCCESS) return out;
  unsigned char* to = cairo_image_surface_get_data(out);
  int const tstride = cairo_image_surface_get_stride(out);
  unsigned char const* from = cairo_image_surface_get_data(cs);
  int const fstride = cairo_image_surface_get_stride(cs);
  bool const shrunk = dsp.win.dw != dsp.win.cw || dsp.win.dh != dsp.win.ch;
  uint32_t const bg = uint32_t(0xFF000000u | (dsp.canvas.bg & 0xFFFFFF));
  for (int y = 0; y < dsp.win.outh; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(to + std::ptrdiff_t(y) * tstride);
    std::fill_n(row, dsp.win.outw, bg);
    int const cy = y - dsp.win.oy;
    if (!shrunk && cy >= 0 && cy < dsp.win.ch)
      memcpy(row + dsp.win.ox, from + std::ptrdiff_t(cy) * fstride, size_t(dsp.win.cw) * 4);
  }
  cairo_surface_mark_dirty(out);
  if (shrunk) dsp_shrink(out);
  return out;
}

void dsp_shots(double now) {
  for (dsp_shot& s : dsp.shots) {
    if (s.done || now < s.at) continue;
    s.done = true;
    cairo_surface_t* out = dsp_output();
    cairo_status_t st = cairo_surface_status(out);
    // dsp_writepng tells its own failure, with its cause.
    if (st == CAIRO_STATUS_SUCCESS) dsp_writepng(out, s.file.c_str(), "DISP_SHOT");
    cairo_surface_destroy(out);
    if (st != CAIRO_STATUS_SUCCESS)
      dsp_warn("DISP_SHOT: cannot write %s: %s", dsp_quote(s.file).c_str(),
               cairo_status_to_string(st));
  }
}

// Positions are unsigned at the entries; their low 32 bits are read as a signed number so
// that windows can sit left of or above the first screen.
bool dsp_iscentred(unsigned long v) { return uint32_t(v) == dsp_centred; }
int dsp_coord(unsigned long v) { return int(int32_t(uint32_t(v))); }
int dsp_sdlpos(unsigned long v) { return dsp_iscentred(v) ? SDL_WINDOWPOS_CENTERED : dsp_coord(v); }

// Shows the canvas in the window: one framebuffer update, or a copy where the canvas is
// the library's own.
void dsp_show() {
  if (!dsp.win.sdl || !dsp.canvas.surface) return;
  if (dsp.win.direct) {
    cairo_surface_flush(dsp.canvas.surface);
    // The framebuffer the canvas points into stays valid until SDL is asked for the
    // window's surface again (dsp_attach, dsp_copyout), so the bars go straight into it.
    if (dsp.win.dw != dsp.win.outw || dsp.win.dh != dsp.win.outh) dsp_paintbars(dsp_fbsurface);
    if (SDL_UpdateWindowSurface(dsp.win.sdl) == 0) return;
    dsp_detach();
  }
  dsp_copyout();
}

// The output of the headless backend: DISP_SIZE, the screen when full screen, else the
// canvas's own size.
void dsp_headlessout(int& w, int& h) {
  w = dsp.win.fullscreen ? dsp_scrw : dsp.env.sizew ? dsp.env.sizew : dsp.win.w;
  h = dsp.win.fullscreen ? dsp_scrh : dsp.env.sizeh ? dsp.env.sizeh : dsp.win.h;
}

// Gives the canvas the logical size w x h (asking the window for it first when `tellsdl`)
// and lays it out in the output anew, keeping the picture: at the top left where the size
// changed, scaled where only the output changed; the rest is the background colour. The
// picture is copied first, as a window's framebuffer goes away with its old size.
void dsp_resize(int w, int h, bool tellsdl) {
  cairo_surface_t* old = nullptr;
  int const oldw = dsp.canvas.w, oldh = dsp.canvas.h;
  if (dsp.canvas.surface) {
    cairo_surface_flush(dsp.canvas.surface);
    old = cairo_image_surface_create(CAIRO_FORMAT_RGB24, dsp.win.cw, dsp.win.ch);
    cairo_t* c = cairo_create(old);
    cairo_set_source_surface(c, dsp.canvas.surface, 0, 0);
    cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
    cairo_paint(c);
    cairo_destroy(c);
    if (dsp_scaledcanvas()) cairo_surface_set_device_scale(old, dsp.win.scale, dsp.win.scale);
  }
  dsp_dropcanvas();
  if (tellsdl && dsp.win.sdl) {
    SDL_SetWindowSize(dsp.win.sdl, w, h);
    int gw = 0, gh = 0;
    SDL_GetWindowSize(dsp.win.sdl, &gw, &gh);  // a full-screen window keeps the screen's
    if (gw >= 1 && gh >= 1 && gw <= int(dsp_maxside) && gh <= int(dsp_maxside)) {
      w = gw;
      h = gh;
    }
  }
  dsp.win.w = w;
  dsp.win.h = h;
  bool ok = false;
  if (dsp.win.sdl) {
    SDL_GetWindowSizeInPixels(dsp.win.sdl, &dsp.win.pxw, &dsp.win.pxh);
    ok = dsp_attach();
  }
  if (!ok) {
    int ow = w, oh = h;
    if (!dsp.win.sdl) dsp_headlessout(ow, oh);
    dsp_layout(ow, oh);
    ok = dsp_newcanvas(nullptr, 0);
  }
  if (!ok) dsp_seterror(dsp_enomem);
  if (ok && old && cairo_surface_status(old) == CAIRO_STATUS_SUCCESS) {
    cairo_t* cr = dsp.canvas.cr;
    cairo_save(cr);
    cairo_set_source_surface(cr, old, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_rectangle(cr, 0, 0, std::min(oldw, w), std::min(oldh, h));
    cairo_fill(cr);
    cairo_restore(cr);
    dsp.canvas.source = ~0ul;
  }
  if (old) cairo_surface_destroy(old);
}

}  // namespace

bool dsp_syncsize() {
  if (!dsp.win.open || !dsp.win.sdl) return false;
  int w = 0, h = 0, pw = 0, ph = 0;
  SDL_GetWindowSize(dsp.win.sdl, &w, &h);
  SDL_GetWindowSizeInPixels(dsp.win.sdl, &pw, &ph);
  if (dsp.win.fixed) {  // the canvas keeps its size; only its layout follows
    w = dsp.win.w;
    h = dsp.win.h;
  }
  if ((w == dsp.win.w && h == dsp.win.h && pw == dsp.win.pxw && ph == dsp.win.pxh) || w < 1 ||
      h < 1 || w > int(dsp_maxside) || h > int(dsp_maxside) || pw < 1 || ph < 1)
    return false;
  dsp_resize(w, h, false);
  return true;
}

void dsp_layout(int outw, int outh) {
  int const w = dsp.win.w, h = dsp.win.h;
  outw = std::clamp(outw, 1, int(dsp_maxside));
  outh = std::clamp(outh, 1, int(dsp_maxside));
  double fit = std::min(double(outw) / w, double(outh) / h);
  int const dw = int(std::clamp(std::lround(w * fit), 1L, long(outw)));
  int const dh = int(std::clamp(std::lround(h * fit), 1L, long(outh)));
  if (dw == w && dh == h) fit = 1;  // the picture as drawn, pixel for pixel
  dsp.win.outw = outw;
  dsp.win.outh = outh;
  dsp.win.dw = dw;
  dsp.win.dh = dh;
  dsp.win.ox = (outw - dw) / 2;
  dsp.win.oy = (outh - dh) / 2;
  dsp.win.fit = fit;
  // Drawn at the shown size when that is larger, at the canvas's own when it is smaller.
  bool const grow = fit > 1;
  dsp.win.scale = grow ? fit : 1;
  dsp.win.cw = grow ? dw : w;
  dsp.win.ch = grow ? dh : h;
  dsp.win.fb = nullptr;
  dsp.win.bars = ~0ul;
  std::vector<uint32_t>().swap(dsp.win.view);
  std::vector<uint32_t>().swap(dsp.win.seen);
}

void dsp_tological(long& x, long& y) {
  if (!dsp.win.sdl) return;
  int ww = 0, wh = 0;
  SDL_GetWindowSize(dsp.win.sdl, &ww, &wh);
  if (ww < 1 || wh < 1) return;
  // From window coordinates to output pixels (more of them on a high-DPI output), then
  // into the canvas; the pixel whose area holds the point's centre.
  double const px = (double(x) + 0.5) * dsp.win.outw / ww - dsp.win.ox;
  double const py = (double(y) + 0.5) * dsp.win.outh / wh - dsp.win.oy;
  x = dsp_clampxy(long(std::floor(px / dsp.win.fit)));
  y = dsp_clampxy(long(std::floor(py / dsp.win.fit)));
}

void dsp_towindow(long& x, long& y) {
  if (!dsp.win.sdl) return;
  int ww = 0, wh = 0;
  SDL_GetWindowSize(dsp.win.sdl, &ww, &wh);
  if (ww < 1 || wh < 1 || dsp.win.outw < 1 || dsp.win.outh < 1) return;
  double const px = ((double(x) + 0.5) * dsp.win.fit + dsp.win.ox) * ww / dsp.win.outw;
  double const py = ((double(y) + 0.5) * dsp.win.fit + dsp.win.oy) * wh / dsp.win.outh;
  x = dsp_clampxy(long(std::floor(px)));
  y = dsp_clampxy(long(std::floor(py)));
}

namespace {

// The caller's draw procedure, never from inside itself (it may well poll messages).
void dsp_redraw() {
  if (!dsp.sys.drawproc || dsp.sys.indrawproc || !dsp.win.open) return;
  dsp.sys.indrawproc = true;
  dsp.sys.drawproc();
  dsp.sys.indrawproc = false;
}

// Opens the window: w x h pixels at (x, y) (dsp_centred: centred on the screen) in the
// styles of `style`. A window already open is closed first.
bool dsp_open(unsigned long w, unsigned long h, unsigned long x, unsigned long y,
              unsigned long style) {
  dsp_setup();
  // A refused size leaves the window that is open as it is.
  if (w < 1 || h < 1 || w > dsp_maxside || h > dsp_maxside) {
    char why[64];
    snprintf(why, sizeof why, "size %lux%lu is not within 1..16384", w, h);
    return dsp_fail(why, dsp_earg);
  }
  dsp_close();
  style &= dsp_wstyles;
  dsp.sys.style = style;
  dsp.win.w = dsp.win.restorew = int(w);
  dsp.win.h = dsp.win.restoreh = int(h);
  // A window the program gave a fixed size keeps its canvas; the user may still resize it
  // (or make it full screen), and the canvas is then shown scaled to fit.
  dsp.win.fixed = !(style & (dsp_wresizable | dsp_wfullscreen));
  dsp.win.fullscreen = (style & dsp_wfullscreen) || dsp.env.fullscreen;
  if (dsp.env.headless) {
    if (dsp.win.fullscreen) {  // a resizable canvas takes the screen's size
      if (!dsp.win.fixed) {
        dsp.win.w = dsp_scrw;
        dsp.win.h = dsp_scrh;
      }
      x = y = 0;
    }
    dsp.sys.x = dsp_iscentred(x) ? (dsp_scrw - dsp.win.w) / 2 : dsp_coord(x);
    dsp.sys.y = dsp_iscentred(y) ? (dsp_scrh - dsp.win.h) / 2 : dsp_coord(y);
    int ow = 0, oh = 0;
    dsp_headlessout(ow, oh);
    dsp_layout(ow, oh);
    dsp.win.open = dsp_newcanvas(nullptr, 0);
    if (!dsp.win.open) dsp_seterror(dsp_enomem);
    if (dsp.win.open) dsp_padopen();  // pad: the scripted controller, if any
    return dsp.win.open;
  }

  // The window's own framebuffer, not one emulated through a GPU texture: the canvas is
  // drawn on the CPU and presenting it is then one copy inside the X server.
  SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
  if (!dsp_havedriver()) return dsp_fail("no display (DISPLAY is not set)");
  if (!dsp_xguard()) return dsp_fail("the display connection was lost");  // display loss
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::string why = SDL_GetError();
    if (char const* d = getenv("DISPLAY"); d && *d && !getenv("SDL_VIDEODRIVER"))
      why = "cannot reach the X display \"" + std::string(d) + "\" (" + why + ")";
    return dsp_fail(why.c_str());
  }
  dsp.win.videoinit = true;
  Uint32 flags = SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_RESIZABLE;
  if (style & dsp_wborderless) flags |= SDL_WINDOW_BORDERLESS;
  if (dsp.win.fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  if (style & dsp_wontop) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  std::string buf;
  dsp.win.sdl = SDL_CreateWindow(dsp_utf8(dsp.win.title.c_str(), buf), dsp_sdlpos(x), dsp_sdlpos(y),
                                 int(w), int(h), flags);
  if (dsp.win.sdl) SDL_GetWindowSizeInPixels(dsp.win.sdl, &dsp.win.pxw, &dsp.win.pxh);
  if (dsp.win.sdl && dsp.win.fullscreen && !dsp.win.fixed) {
    int fw = 0, fh = 0;
    SDL_GetWindowSize(dsp.win.sdl, &fw, &fh);
    if (fw >= 1 && fh >= 1 && fw <= int(dsp_maxside) && fh <= int(dsp_maxside)) {
      dsp.win.w = fw;
      dsp.win.h = fh;
    }
  }
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
  dsp_iconapply();
  dsp.win.open = true;
  dsp_xwatch(dsp.win.sdl);  // display loss: closes the window instead of the process
  dsp_padopen();            // pad: game controllers, plugged in now or later
  dsp_show();
  return true;
}

// Entries that act on the window; false (and the error) when none is open.
bool dsp_needwindow() {
  dsp_setup();
  if (dsp.win.open) return true;
  dsp_seterror(dsp_enowindow);
  return false;
}

}  // namespace

void dsp_present() {
  if (!dsp.win.open) return;
  dsp_syncsize();
  dsp_redraw();
  dsp_show();
}

void dsp_close() {
  if (!dsp.win.open) return;
  dsp.win.open = false;
  dsp_padclose();  // pad: controllers go with the window
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
  dsp_inputreset();  // nothing queued for a closed window reaches the next one
  if (dsp.stats.on) dsp_writestats();
}

void dsp_tick() {
  dsp_xcheck();  // display loss: the window closes here, outside any X call
  if (dsp.win.open && dsp.env.quitat >= 0 && dsp_now() >= dsp.env.quitat) dsp_close();
}

bool dsp_videoup() {
  if (dsp.env.headless || !dsp_havedriver() || !dsp_xguard()) return false;
  return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

void dsp_videodown() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

// ---- Entries -------------------------------------------------------------------------

// Omitted arguments: 800 x 600, centred, style 0 (fixed size, with a frame). A second
// call replaces the window.
qr_bool CreateWin39(qe_u w, qe_u h, qe_u x, qe_u y, qe_u style) {
  return dsp_open(w, h, x, y, style);
}
qr_bool CreateWin40(qe_u w, qe_u h, qe_u x, qe_u y) { return dsp_open(w, h, x, y, 0); }
// The third argument is the style: a position needs both of its coordinates.
qr_bool CreateWin41(qe_u w, qe_u h, qe_u style) {
  return dsp_open(w, h, dsp_centred, dsp_centred, style);
}
qr_bool CreateWin42(qe_u w, qe_u h) { return dsp_open(w, h, dsp_centred, dsp_centred, 0); }
// The width alone: a 4:3 window, so 800 gives 800 x 600.
qr_bool CreateWin43(qe_u w) {
  return dsp_open(w, w <= dsp_maxside ? (w * 3 + 2) / 4 : w, dsp_centred, dsp_centred, 0);
}
qr_bool CreateWin44() { return dsp_open(800, 600, dsp_centred, dsp_centred, 0); }

qr_v FreshWin45() {
  dsp_setup();
  int64_t start = dsp_steadyns();
  dsp_tick();
  if (!dsp.win.open) return;
  double now = dsp_now();
  dsp_countframe(now);
  if (!dsp.shots.empty()) dsp_shots(now);
  dsp_syncsize();
  dsp_show();
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

// A `void proc(void)`, called when the window must be drawn again: on the expose message
// (uncovered, restored, resized by the user) and after SetSize55. null: none.
qr_v SetDrawProcedure48(qe_p p) {
  dsp_setup();
  dsp.sys.drawproc = reinterpret_cast<void (*)()>(p);
}

qr_v SetTitle51(qe_s title) {
  dsp_setup();
  std::string t = title ? title : "";  // title may be GetTitle53's own text
  dsp.win.title = std::move(t);
  if (dsp.win.sdl) {
    std::string buf;
    SDL_SetWindowTitle(dsp.win.sdl, dsp_utf8(dsp.win.title.c_str(), buf));
  }
}

qr_v SetTitleW52(qe_ws title) {
  std::string t = dsp_fromwide(title);
  SetTitle51(t.c_str());
}

// The title as set, valid until the next SetTitle51 or SetTitleW52.
qr_ms GetTitle53() {
  dsp_setup();
  return dsp.win.title.c_str();
}

// The title as UTF-16 (bytes that are not UTF-8 taken as Latin-1), valid until the next
// call.
qr_ws GetTitleW54() {
  dsp_setup();
  dsp.sys.widetitle = dsp_towide(dsp.win.title.c_str());
  return reinterpret_cast<short const*>(dsp.sys.widetitle.c_str());
}

qr_v SetSize55(qe_u w, qe_u h) {
  if (!dsp_needwindow()) return;
  if (w < 1 || h < 1 || w > dsp_maxside || h > dsp_maxside) {
    dsp_seterror(dsp_earg);
    return;
  }
  dsp_resize(int(w), int(h), true);
  dsp_present();
}

// The canvas's size in logical pixels, whatever the window's size on the screen.
qr_u GetWidth56() { return dsp_needwindow() ? qr_u(dsp.win.w) : 0; }
qr_u GetHeight57() { return dsp_needwindow() ? qr_u(dsp.win.h) : 0; }
qr_u GetSize58() { return dsp_needwindow() ? qr_u(dsp.win.w) | qr_u(dsp.win.h) << 16 : 0; }

// The position of the window's picture (its inside, below the title bar) on the screen.
qr_v SetPos68(qe_u x, qe_u y) {
  if (!dsp_needwindow()) return;
  if (dsp.win.sdl) {
    SDL_SetWindowPosition(dsp.win.sdl, dsp_sdlpos(x), dsp_sdlpos(y));
    return;
  }
  dsp.sys.x = dsp_iscentred(x) ? (dsp_scrw - dsp.win.w) / 2 : dsp_coord(x);
  dsp.sys.y = dsp_iscentred(y) ? (dsp_scrh - dsp.win.h) / 2 : dsp_coord(y);
}

qr_l GetPosX69() {
  if (!dsp_needwindow()) return 0;
  int x = dsp.sys.x, y = dsp.sys.y;
  if (dsp.win.sdl) SDL_GetWindowPosition(dsp.win.sdl, &x, &y);
  return x;
}

qr_l GetPosY70() {
  if (!dsp_needwindow()) return 0;
  int x = dsp.sys.x, y = dsp.sys.y;
  if (dsp.win.sdl) SDL_GetWindowPosition(dsp.win.sdl, &x, &y);
  return y;
}

// x in the low 16 bits, y in the next 16, each as a 16-bit two's complement number.
qr_u GetPos71() {
  if (!dsp_needwindow()) return 0;
  unsigned long x = (unsigned long)GetPosX69() & 0xFFFF, y = (unsigned long)GetPosY70() & 0xFFFF;
  return x | y << 16;
}

// ---- Extensions ----------------------------------------------------------------------

// Desktop full screen: the window covers the screen without changing the display's mode.
// A fixed-size canvas is shown scaled; a resizable one takes the screen's size.
qr_v disp_setfullscreen(qe_bool on) {
  if (!dsp_needwindow()) return;
  if (dsp.win.sdl) {
    if (SDL_SetWindowFullscreen(dsp.win.sdl, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0)
      dsp_seterror(dsp_edevice);
    dsp_syncsize();  // where the desktop already obeyed; else at its resize message
    return;
  }
  if (dsp.win.fullscreen == bool(on)) return;
  dsp.win.fullscreen = on;
  int w = dsp.win.w, h = dsp.win.h;
  if (!dsp.win.fixed) {
    if (on) {
      dsp.win.restorew = w;
      dsp.win.restoreh = h;
      w = dsp_scrw;
      h = dsp_scrh;
    } else {
      w = dsp.win.restorew;
      h = dsp.win.restoreh;
    }
  }
  dsp_resize(w, h, false);
}

qr_bool disp_isfullscreen() {
  dsp_setup();
  if (!dsp.win.open) return false;
  if (!dsp.win.sdl) return dsp.win.fullscreen;
  return (SDL_GetWindowFlags(dsp.win.sdl) & SDL_WINDOW_FULLSCREEN) != 0;
}

// F11, or Enter with Alt held: the desktop games' full-screen keys. Press and release are
// both kept from the program, so a game never mistakes them for its own keys.
bool dsp_fullscreenkey(void const* sdlevent) {
  auto const& ev = *static_cast<SDL_Event const*>(sdlevent);
  if (ev.type != SDL_KEYDOWN && ev.type != SDL_KEYUP) return false;
  SDL_Keysym const& k = ev.key.keysym;
  bool const enter = k.sym == SDLK_RETURN || k.sym == SDLK_KP_ENTER;
  if (k.sym != SDLK_F11 && !(enter && (k.mod & KMOD_ALT))) return false;
  if (ev.type == SDL_KEYDOWN && !ev.key.repeat) disp_setfullscreen(!disp_isfullscreen());
  return true;
}

qr_bool disp_islost() {
  dsp_setup();
  return dsp_xlost();
}
