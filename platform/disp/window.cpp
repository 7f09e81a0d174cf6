// The window: an SDL window whose framebuffer the cairo canvas draws into directly, or, with
// DISP_HEADLESS=1, no window at all and the same canvas in memory. FreshWin45 shows the
// canvas, counts the frame and writes the frame dumps asked for by DISP_SHOT.
#include <SDL2/SDL.h>

#include <cstdint>
#include <cstdlib>

#include "platform/disp/internal.h"

namespace {

constexpr unsigned long dsp_maxside = 16384;  // what a cairo image can hold

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

bool dsp_fail(char const* why, unsigned code = dsp_edevice) {
  if (code == dsp_edevice)
    dsp_warn("cannot open a window: %s; set DISPLAY or DISP_HEADLESS=1", why);
  else
    dsp_warn("cannot open a window: %s", why);
  dsp_seterror(code);
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

void dsp_shots(double now) {
  for (dsp_shot& s : dsp.shots) {
    if (s.done || now < s.at) continue;
    s.done = true;
    cairo_surface_flush(dsp.canvas.surface);
    cairo_status_t st = cairo_surface_write_to_png(dsp.canvas.surface, s.file.c_str());
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
    if (SDL_UpdateWindowSurface(dsp.win.sdl) == 0) return;
    dsp_detach();
  }
  dsp_copyout();
}

// Gives the canvas the size w x h (asking the window for it first when `tellsdl`), keeping
// the picture at the top left where it fits; the rest is the background colour. The
// picture is copied first, as a window's framebuffer goes away with its old size.
void dsp_resize(int w, int h, bool tellsdl) {
  cairo_surface_t* old = nullptr;
  if (dsp.canvas.surface) {
    cairo_surface_flush(dsp.canvas.surface);
    old = cairo_image_surface_create(CAIRO_FORMAT_RGB24, dsp.canvas.w, dsp.canvas.h);
    cairo_t* c = cairo_create(old);
    cairo_set_source_surface(c, dsp.canvas.surface, 0, 0);
    cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
    cairo_paint(c);
    cairo_destroy(c);
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
  bool ok = dsp.win.sdl ? dsp_attach() || dsp_newcanvas(nullptr, 0) : dsp_newcanvas(nullptr, 0);
  if (!ok) dsp_seterror(dsp_enomem);
  if (ok && old && cairo_surface_status(old) == CAIRO_STATUS_SUCCESS) {
    cairo_save(dsp.canvas.cr);
    cairo_set_source_surface(dsp.canvas.cr, old, 0, 0);
    cairo_set_operator(dsp.canvas.cr, CAIRO_OPERATOR_SOURCE);
    cairo_rectangle(dsp.canvas.cr, 0, 0, dsp.canvas.w < w ? dsp.canvas.w : w,
                    dsp.canvas.h < h ? dsp.canvas.h : h);
    cairo_fill(dsp.canvas.cr);
    cairo_restore(dsp.canvas.cr);
    dsp.canvas.source = ~0ul;
  }
  if (old) cairo_surface_destroy(old);
}

// A window that the user or the desktop may resize gets a picture of its new size; true
// when it changed.
bool dsp_syncsize() {
  if (!dsp.win.sdl || !(dsp.sys.style & (dsp_wresizable | dsp_wfullscreen))) return false;
  int w = 0, h = 0;
  SDL_GetWindowSize(dsp.win.sdl, &w, &h);
  if ((w == dsp.win.w && h == dsp.win.h) || w < 1 || h < 1 || w > int(dsp_maxside) ||
      h > int(dsp_maxside))
    return false;
  dsp_resize(w, h, false);
  return true;
}

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
  dsp_close();
  if (w < 1 || h < 1 || w > dsp_maxside || h > dsp_maxside) {
    char why[64];
    snprintf(why, sizeof why, "size %lux%lu is not within 1..16384", w, h);
    return dsp_fail(why, dsp_earg);
  }
  style &= dsp_wstyles;
  dsp.sys.style = style;
  dsp.win.w = int(w);
  dsp.win.h = int(h);
  if (dsp.env.headless) {
    if (style & dsp_wfullscreen) {
      dsp.win.w = dsp_scrw;
      dsp.win.h = dsp_scrh;
      x = y = 0;
    }
    dsp.sys.x = dsp_iscentred(x) ? (dsp_scrw - dsp.win.w) / 2 : dsp_coord(x);
    dsp.sys.y = dsp_iscentred(y) ? (dsp_scrh - dsp.win.h) / 2 : dsp_coord(y);
    dsp.win.open = dsp_newcanvas(nullptr, 0);
    if (!dsp.win.open) dsp_seterror(dsp_enomem);
    return dsp.win.open;
  }

  // The window's own framebuffer, not one emulated through a GPU texture: the canvas is
  // drawn on the CPU and presenting it is then one copy inside the X server.
  SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
  if (!dsp_havedriver()) return dsp_fail("no display (DISPLAY is not set)");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::string why = SDL_GetError();
    if (char const* d = getenv("DISPLAY"); d && *d && !getenv("SDL_VIDEODRIVER"))
      why = "cannot reach the X display \"" + std::string(d) + "\" (" + why + ")";
    return dsp_fail(why.c_str());
  }
  dsp.win.videoinit = true;
  Uint32 flags = SDL_WINDOW_SHOWN;
  if (style & dsp_wresizable) flags |= SDL_WINDOW_RESIZABLE;
  if (style & dsp_wborderless) flags |= SDL_WINDOW_BORDERLESS;
  if (style & dsp_wfullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  if (style & dsp_wontop) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  std::string buf;
  dsp.win.sdl = SDL_CreateWindow(dsp_utf8(dsp.win.title.c_str(), buf), dsp_sdlpos(x), dsp_sdlpos(y),
                                 int(w), int(h), flags);
  if (dsp.win.sdl && (style & dsp_wfullscreen)) {
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
  dsp.win.open = true;
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
  if (dsp.win.open && dsp.env.quitat >= 0 && dsp_now() >= dsp.env.quitat) dsp_close();
}

bool dsp_videoup() {
  if (dsp.env.headless || !dsp_havedriver()) return false;
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

qr_v disp_setfullscreen(qe_bool on) {
  if (!dsp_needwindow() || !dsp.win.sdl) return;
  SDL_SetWindowFullscreen(dsp.win.sdl, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

qr_bool disp_isfullscreen() {
  if (!dsp.win.open || !dsp.win.sdl) return false;
  return (SDL_GetWindowFlags(dsp.win.sdl) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
}

qr_bool disp_islost() { return false; }
