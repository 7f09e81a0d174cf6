// The SDL backend: a desktop window on X11 or Wayland whose framebuffer the cairo canvas
// draws into directly where its layout allows, else copied into at each frame. What only
// one display server needs lives beside it: x11_quirks.cpp, and wayland_watch.cpp,
// wayland_seatcheck.cpp and wl_present.cpp (our own buffers on the window's surface).
#include <dlfcn.h>
#include <dirent.h>
#include <strings.h>
#include <link.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/disp/sdl/sdl.h"
#include "platform/disp/sdl/wl_present.h"

dsp_sdlstate dsp_sdl;

namespace {

SDL_Surface* dsp_fbsurface = nullptr;  // the framebuffer a direct canvas points into
bool dsp_cursorshown = true;           // as last told to SDL

// Full screen where no window manager can give it (x11_quirks.cpp): the window moved and
// sized to cover its screen through SDL, and back to `back` when it leaves.
struct {
  bool on = false;
  SDL_Rect back = {0, 0, 0, 0};
} dsp_coverfs;

// Presenting through a streaming texture, where the display server gives SDL no
// framebuffer of its own and ours cannot be attached (drivers other than X11 and Wayland,
// or a Wayland window whose surface SDL does not hand out): the canvas is drawn at the
// output's real pixel size (twice the window's on a scale-2 output) and uploaded once a
// frame through SDL's GL renderer.
struct {
  bool on = false;  // this window presents through the texture
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;  // dw x dh
  int tw = 0, th = 0;
  cairo_surface_t* shrunk = nullptr;  // outw x outh: the canvas shrunk, when it is larger
} dsp_tex;

void dsp_texdrop() {
  if (dsp_tex.texture) SDL_DestroyTexture(dsp_tex.texture);
  if (dsp_tex.renderer) SDL_DestroyRenderer(dsp_tex.renderer);
  if (dsp_tex.shrunk) cairo_surface_destroy(dsp_tex.shrunk);
  dsp_tex = {};
}

// Lays the canvas out in the renderer's output and makes the texture the shown part of it
// is uploaded into.
bool dsp_texattach() {
  int pw = 0, ph = 0;
  if (SDL_GetRendererOutputSize(dsp_tex.renderer, &pw, &ph) != 0 || pw < 1 || ph < 1) return false;
  dsp_layout(pw, ph);
  dsp.win.direct = false;
  if (dsp_tex.shrunk) cairo_surface_destroy(dsp_tex.shrunk);
  dsp_tex.shrunk = nullptr;
  if (!dsp_tex.texture || dsp_tex.tw != dsp.win.dw || dsp_tex.th != dsp.win.dh) {
    if (dsp_tex.texture) SDL_DestroyTexture(dsp_tex.texture);
    dsp_tex.texture = SDL_CreateTexture(dsp_tex.renderer, SDL_PIXELFORMAT_RGB888,
                                        SDL_TEXTUREACCESS_STREAMING, dsp.win.dw, dsp.win.dh);
    dsp_tex.tw = dsp.win.dw;
    dsp_tex.th = dsp.win.dh;
    if (!dsp_tex.texture) return false;
  }
  return dsp_newcanvas(nullptr, 0);
}

void dsp_texpresent() {
  cairo_surface_t* cs = dsp.canvas.surface;
  cairo_surface_flush(cs);
  unsigned char const* px = cairo_image_surface_get_data(cs);
  int stride = cairo_image_surface_get_stride(cs);
  if (dsp.win.dw != dsp.win.cw || dsp.win.dh != dsp.win.ch) {
    if (!dsp_tex.shrunk)
      dsp_tex.shrunk = cairo_image_surface_create(CAIRO_FORMAT_RGB24, dsp.win.outw, dsp.win.outh);
    if (cairo_surface_status(dsp_tex.shrunk) != CAIRO_STATUS_SUCCESS) return;
    dsp_shrink(dsp_tex.shrunk);
    cairo_surface_flush(dsp_tex.shrunk);
    stride = cairo_image_surface_get_stride(dsp_tex.shrunk);
    px = cairo_image_surface_get_data(dsp_tex.shrunk) + std::ptrdiff_t(dsp.win.oy) * stride +
         std::ptrdiff_t(dsp.win.ox) * 4;
  }
  SDL_UpdateTexture(dsp_tex.texture, nullptr, px, stride);
  unsigned long const bg = dsp.canvas.bg;
  SDL_SetRenderDrawColor(dsp_tex.renderer, Uint8(bg >> 16), Uint8(bg >> 8), Uint8(bg), 255);
  SDL_RenderClear(dsp_tex.renderer);
  SDL_Rect const at = {dsp.win.ox, dsp.win.oy, dsp.win.dw, dsp.win.dh};
  SDL_RenderCopy(dsp_tex.renderer, dsp_tex.texture, nullptr, &at);
  SDL_RenderPresent(dsp_tex.renderer);
}

int dsp_sdlpos(unsigned long v) { return dsp_iscentred(v) ? SDL_WINDOWPOS_CENTERED : dsp_coord(v); }

// Lays the canvas out in the window's framebuffer and points the canvas at its part of it
// when the framebuffer has the canvas's own layout (32-bit xRGB, no locking), so that
// showing a frame copies nothing on our side; any other framebuffer gets a canvas of its
// own, copied over at each frame.
bool dsp_fbattach() {
  SDL_Surface* s = SDL_GetWindowSurface(dsp_sdl.window);
  if (!s) return false;
  dsp_layout(s->w, s->h);
  dsp_sdl.fb = nullptr;  // bars to paint
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
  if (dsp_sdl.fb == ws && dsp.win.bars == bg) return;
  dsp_sdl.fb = ws;
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

void dsp_copyout() {
  SDL_Surface* ws = SDL_GetWindowSurface(dsp_sdl.window);
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
  SDL_UpdateWindowSurface(dsp_sdl.window);
}

// The pointer follows the window's state: hidden while full screen when the program asked
// for that, shown otherwise. SDL is told only when that changes.
void dsp_cursorsync() {
  bool const fs =
      dsp_coverfs.on || (SDL_GetWindowFlags(dsp_sdl.window) & SDL_WINDOW_FULLSCREEN) != 0;
  bool const want = !(fs && dsp.win.hidecursorfs);
  if (want == dsp_cursorshown) return;
  dsp_cursorshown = want;
  SDL_ShowCursor(want ? SDL_ENABLE : SDL_DISABLE);
}

// Shows the canvas in the window: one framebuffer update, or a copy where the canvas is
// the library's own.
void dsp_sdlpresent() {
  if (!dsp_sdl.window || !dsp.canvas.surface) return;
  dsp_cursorsync();
  if (dsp_wlshmon()) {
    dsp_wlshmpresent();
    return;
  }
  if (dsp_tex.on) {
    // A texture of another size than the layout's (its output could not be asked) is
    // left alone until the next layout makes a new one.
    if (dsp_tex.texture && dsp_tex.tw == dsp.win.dw && dsp_tex.th == dsp.win.dh) dsp_texpresent();
    return;
  }
  if (dsp.win.direct) {
    cairo_surface_flush(dsp.canvas.surface);
    // The framebuffer the canvas points into stays valid until SDL is asked for the
    // window's surface again (dsp_fbattach, dsp_copyout), so the bars go straight into it.
    if (dsp.win.dw != dsp.win.outw || dsp.win.dh != dsp.win.outh) dsp_paintbars(dsp_fbsurface);
    if (SDL_UpdateWindowSurface(dsp_sdl.window) == 0) return;
    dsp_detach();
  }
  dsp_copyout();
}

bool dsp_fail(char const* why) {
  dsp_warn("cannot open a window: %s; set DISPLAY or DISP_HEADLESS=1", why);
  dsp_seterror(dsp_edevice, (std::string("createwin: cannot open a window: ") + why).c_str());
  return false;
}

// Whether SDL's Wayland driver can give the window a frame of its own: compositors that
// draw none (GNOME's) leave it to libdecor, which SDL loads when it is installed. libdecor
// draws nothing by itself: a plugin does (Debian's libdecor-0-plugin-1-cairo, only
// recommended), in LIBDECOR_PLUGIN_DIR or beside the library in libdecor/plugins-1.
bool dsp_havelibdecor() {
  void* lib = dlopen("libdecor-0.so.0", RTLD_LAZY | RTLD_LOCAL);
  if (!lib) return false;
  std::string dir;
  if (char const* own = getenv("LIBDECOR_PLUGIN_DIR"); own && *own) {
    dir = own;
  } else if (link_map* map = nullptr; dlinfo(lib, RTLD_DI_LINKMAP, &map) == 0 && map) {
    dir = map->l_name;
    dir = dir.substr(0, dir.rfind('/') + 1) + "libdecor/plugins-1";
  }
  dlclose(lib);
  bool plugin = false;
  if (DIR* d = dir.empty() ? nullptr : opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string name = e->d_name;
      plugin = plugin || (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0);
    }
    closedir(d);
  }
  return plugin;
}

// Whether SDL's Wayland driver may be let near the compositor it would reach: this SDL
// dies by a signal on one with no seat (wayland_seatcheck.cpp).
bool dsp_wlseatless() { return dsp_sdlcrasheswithoutseat() && dsp_wlseat() == dsp_seat::missing; }

// Left to itself, SDL falls back to its invisible "offscreen" driver when there is no
// display, and the game would run unseen. Unless SDL_VIDEODRIVER names a driver, only the
// desktop's own are tried. With both displays, native Wayland wins where the window gets
// its frame there (libdecor): the compositor then scales our picture as drawn for its
// output instead of stretching an X window through XWayland. A compositor SDL cannot serve
// (no seat) is left for XWayland, or for nothing. Empty when a driver can be tried, else
// why none can.
std::string dsp_nodriver() {
  char const* x = getenv("DISPLAY");
  char const* wl = getenv("WAYLAND_DISPLAY");
  bool const hasx = x && *x;
  std::string const seatless =
      "the Wayland compositor has no seat (no keyboard or pointer), which this SDL cannot run "
      "without";
  if (char const* forced = getenv("SDL_VIDEODRIVER")) {
    bool const wlfirst = strncasecmp(forced, "wayland", 7) == 0 && strchr(",", forced[7]);
    return wlfirst && dsp_wlseatless() ? seatless + ", and SDL_VIDEODRIVER asks for Wayland first"
                                       : "";
  }
  bool haswl = wl && *wl;
  if (!hasx && !haswl) return "no display (DISPLAY is not set)";
  if (haswl && dsp_wlseatless()) {
    if (!hasx) return seatless;
    haswl = false;  // through XWayland
  }
  char const* order = !hasx                ? "wayland"
                      : !haswl             ? "x11"
                      : dsp_havelibdecor() ? "wayland,x11"
                                           : "x11,wayland";
  SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, order, SDL_HINT_DEFAULT);
  return "";
}

// The window's own framebuffer, not one emulated through a GPU texture: the canvas is
// drawn on the CPU and presenting it is then one copy inside the X server. SDL reads this
// once per video start, at the first framebuffer; SDL_FRAMEBUFFER_ACCELERATION in the
// environment still decides.
void dsp_framebufferhint() {
  SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
}

// Drivers other than X11 have no framebuffer of their own: SDL would emulate one at the
// window's logical size through its GL renderer, blurred on a scaled output and costly on a
// software GL. On Wayland the canvas goes into shared-memory buffers of our own attached
// to the window's surface, elsewhere through a streaming texture of our own, both at the
// output's pixel size.
bool dsp_isdriver(char const* name) {
  char const* driver = SDL_GetCurrentVideoDriver();
  return driver && strcmp(driver, name) == 0;
}

bool dsp_videostart() {
  if (!dsp_nodriver().empty() || !dsp_xguard()) return false;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  dsp_framebufferhint();
  return true;
}

// Whether full screen must be made by hand: X11 with no window manager. Asked before the
// window exists through a short-lived look at the display SDL would open.
bool dsp_nowm() {
  SDL_Window* probe = dsp_sdl.window;
  if (probe) return dsp_x11nowm(probe);
  char const* driver = SDL_GetCurrentVideoDriver();
  if (!driver || strcmp(driver, "x11") != 0) return false;
  probe = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_HIDDEN);
  bool const nowm = probe && dsp_x11nowm(probe);
  if (probe) SDL_DestroyWindow(probe);
  return nowm;
}

// Covers the screen the window is on, or goes back to where it was.
void dsp_cover(bool on) {
  SDL_Window* w = dsp_sdl.window;
  if (on == dsp_coverfs.on) return;
  if (on) {
    SDL_Rect screen;
    int const index = SDL_GetWindowDisplayIndex(w);
    if (index < 0 || SDL_GetDisplayBounds(index, &screen) != 0) {
      dsp_fail(dsp_edevice, "setfullscreen", "the screen's size is unknown: %s", SDL_GetError());
      return;
    }
    SDL_GetWindowPosition(w, &dsp_coverfs.back.x, &dsp_coverfs.back.y);
    SDL_GetWindowSize(w, &dsp_coverfs.back.w, &dsp_coverfs.back.h);
    SDL_SetWindowPosition(w, screen.x, screen.y);
    SDL_SetWindowSize(w, screen.w, screen.h);
  } else {
    SDL_SetWindowSize(w, dsp_coverfs.back.w, dsp_coverfs.back.h);
    SDL_SetWindowPosition(w, dsp_coverfs.back.x, dsp_coverfs.back.y);
  }
  SDL_RaiseWindow(w);
  dsp_coverfs.on = on;
}

bool dsp_sdlopen(unsigned long x, unsigned long y, unsigned long style) {
  if (std::string const why = dsp_nodriver(); !why.empty()) return dsp_fail(why.c_str());
  if (!dsp_xguard()) return dsp_fail("the display connection was lost");  // display loss
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::string why = SDL_GetError();
    if (char const* d = getenv("DISPLAY"); d && *d && !getenv("SDL_VIDEODRIVER"))
      why = "cannot reach the X display \"" + std::string(d) + "\" (" + why + ")";
    return dsp_fail(why.c_str());
  }
  dsp_framebufferhint();
  dsp_sdl.videoinit = true;
  Uint32 flags = SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_RESIZABLE;
  if (style & dsp_wborderless) flags |= SDL_WINDOW_BORDERLESS;
  if (dsp.win.fullscreen && !dsp_nowm()) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  if (style & dsp_wontop) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  std::string buf;
  int const w = dsp.win.w, h = dsp.win.h;
  dsp_sdl.window = SDL_CreateWindow(dsp_utf8(dsp.win.title.c_str(), buf), dsp_sdlpos(x),
                                    dsp_sdlpos(y), w, h, flags);
  dsp_coverfs = {};
  if (dsp_sdl.window && dsp.win.fullscreen && !(flags & SDL_WINDOW_FULLSCREEN_DESKTOP))
    dsp_cover(true);
  if (dsp_sdl.window) SDL_GetWindowSizeInPixels(dsp_sdl.window, &dsp.win.pxw, &dsp.win.pxh);
  if (dsp_sdl.window && dsp.win.fullscreen && !dsp.win.fixed) {
    int fw = 0, fh = 0;
    SDL_GetWindowSize(dsp_sdl.window, &fw, &fh);
    if (fw >= 1 && fh >= 1 && fw <= dsp_sidemax && fh <= dsp_sidemax) {
      dsp.win.w = fw;
      dsp.win.h = fh;
    }
  }
  bool attached = false;
  if (dsp_sdl.window && dsp_isdriver("wayland") && dsp_wlshmopen(dsp_sdl.window)) {
    attached = dsp_wlshmattach();
  } else if (dsp_sdl.window && !dsp_isdriver("x11")) {
    dsp_tex.on = true;
    dsp_tex.renderer = SDL_CreateRenderer(dsp_sdl.window, -1, 0);
    attached = dsp_tex.renderer && dsp_texattach();
  } else if (dsp_sdl.window) {
    attached = dsp_fbattach();
  }
  if (!attached) {
    std::string why = SDL_GetError();
    dsp_wlshmclose(false);
    dsp_texdrop();
    if (dsp_sdl.window) SDL_DestroyWindow(dsp_sdl.window);
    dsp_sdl.window = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    dsp_sdl.videoinit = false;
    dsp_dropcanvas();
    return dsp_fail(why.empty() ? "no framebuffer" : why.c_str());
  }
  SDL_StopTextInput();  // key presses only, unless the program asked for typed text
  dsp_cursorshown = true;
  dsp_iconapply();
  dsp_xwatch(dsp_sdl.window);  // display loss: closes the window instead of the process
  return true;
}

void dsp_sdlclose() {
  // A lost display's window and renderer are left as they are (see x11_quirks.cpp).
  dsp_wlshmclose(!dsp_sdl.window);
  if (dsp_sdl.window)
    dsp_texdrop();
  else
    dsp_tex = {};
  if (dsp_sdl.window) {
    SDL_DestroyWindow(dsp_sdl.window);
    dsp_sdl.window = nullptr;
  }
  if (dsp_sdl.videoinit) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    dsp_sdl.videoinit = false;
  }
}

void dsp_sdlsetsize(int& w, int& h) {
  if (!dsp_sdl.window) return;
  SDL_SetWindowSize(dsp_sdl.window, w, h);
  int gw = 0, gh = 0;
  SDL_GetWindowSize(dsp_sdl.window, &gw, &gh);  // a full-screen window keeps the screen's
  if (gw >= 1 && gh >= 1 && gw <= dsp_sidemax && gh <= dsp_sidemax) {
    w = gw;
    h = gh;
  }
}

bool dsp_sdlsize(int& w, int& h, int& pw, int& ph) {
  if (!dsp_sdl.window) return false;
  SDL_GetWindowSize(dsp_sdl.window, &w, &h);
  SDL_GetWindowSizeInPixels(dsp_sdl.window, &pw, &ph);
  return true;
}

// The framebuffer where SDL gives one; else a canvas of the library's own at the window's
// logical size, shown when the framebuffer comes back.
bool dsp_sdlattach() {
  if (dsp_sdl.window) {
    SDL_GetWindowSizeInPixels(dsp_sdl.window, &dsp.win.pxw, &dsp.win.pxh);
    if (dsp_wlshmon() ? dsp_wlshmattach() : dsp_tex.on ? dsp_texattach() : dsp_fbattach())
      return true;
  }
  dsp_layout(dsp.win.w, dsp.win.h);
  return dsp_newcanvas(nullptr, 0);
}

bool dsp_sdlisfullscreen() {
  return dsp_sdl.window &&
         (dsp_coverfs.on || (SDL_GetWindowFlags(dsp_sdl.window) & SDL_WINDOW_FULLSCREEN) != 0);
}

void dsp_sdlsetfullscreen(bool on) {
  if (!dsp_sdl.window) return;
  if (dsp_coverfs.on || ((SDL_GetWindowFlags(dsp_sdl.window) & SDL_WINDOW_FULLSCREEN) == 0 &&
                         dsp_x11nowm(dsp_sdl.window)))
    dsp_cover(on);
  else if (SDL_SetWindowFullscreen(dsp_sdl.window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0)
    dsp_fail(dsp_edevice, "setfullscreen", "the desktop refused: %s", SDL_GetError());
  dsp_syncsize();  // where the desktop already obeyed; else at its resize message
  dsp_cursorsync();
}

void dsp_sdlseticon(uint32_t const* argb, int w, int h) {
  if (!dsp_sdl.window) return;
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(argb), w, h, 32, w * 4,
                                                      SDL_PIXELFORMAT_ARGB8888);
  if (!s) return;
  SDL_SetWindowIcon(dsp_sdl.window, s);
  SDL_FreeSurface(s);
}

void dsp_sdlcursor() {
  if (dsp_sdl.window) dsp_cursorsync();
}

void dsp_sdlsettitle(char const* utf8) {
  if (dsp_sdl.window) SDL_SetWindowTitle(dsp_sdl.window, utf8);
}

void dsp_sdlsetpos(unsigned long x, unsigned long y) {
  if (dsp_sdl.window) SDL_SetWindowPosition(dsp_sdl.window, dsp_sdlpos(x), dsp_sdlpos(y));
}

void dsp_sdlgetpos(int& x, int& y) {
  if (dsp_sdl.window) SDL_GetWindowPosition(dsp_sdl.window, &x, &y);
}

bool dsp_sdlborders(int& top, int& left, int& bottom, int& right) {
  return dsp_sdl.window &&
         SDL_GetWindowBordersSize(dsp_sdl.window, &top, &left, &bottom, &right) == 0;
}

// Runs `query` with SDL's video up (brought up for the call when no window is open);
// false when there is no display to ask.
template <class F>
bool dsp_askscreen(F query) {
  if (dsp_sdl.videoinit)
    return query(dsp_sdl.window ? SDL_GetWindowDisplayIndex(dsp_sdl.window) : 0);
  if (!dsp_videostart()) return false;
  bool ok = query(0);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return ok;
}

bool dsp_sdlscreensize(int& w, int& h) {
  return dsp_askscreen([&](int index) {
    SDL_DisplayMode m;
    if (index < 0 || SDL_GetCurrentDisplayMode(index, &m) != 0) return false;
    w = m.w;
    h = m.h;
    return true;
  });
}

bool dsp_sdlscreendpi(float& across, float& down) {
  return dsp_askscreen([&](int index) {
    return index >= 0 && SDL_GetDisplayDPI(index, nullptr, &across, &down) == 0;
  });
}

void* dsp_sdlhandle() { return dsp_sdl.window; }

}  // namespace

dsp_backend const dsp_sdlbackend = {
    "sdl",           true,           dsp_sdlopen,          dsp_sdlclose,
    dsp_sdlsetsize,  dsp_sdlsize,    dsp_sdlattach,        dsp_sdlpresent,
    dsp_sdlpoll,     dsp_sdlwait,    dsp_sdlsetfullscreen, dsp_sdlisfullscreen,
    dsp_sdlseticon,  dsp_sdlcursor,  dsp_sdlsettitle,      dsp_sdlsetpos,
    dsp_sdlgetpos,   dsp_sdlborders, dsp_sdlscreensize,    dsp_sdlscreendpi,
    dsp_xcheck,      dsp_xlost,      dsp_sdlhandle,        dsp_sdltextinput,
    dsp_sdltextrect, dsp_sdlgetclip, dsp_sdlsetclip,       dsp_sdlmsgbox,
    dsp_sdltone,
};

// F11, or Enter with Alt held: the desktop games' full-screen keys. Press and release are
// both kept from the program, so a game never mistakes them for its own keys.
bool dsp_fullscreenkey(SDL_Event const& ev) {
  if (ev.type != SDL_KEYDOWN && ev.type != SDL_KEYUP) return false;
  SDL_Keysym const& k = ev.key.keysym;
  bool const enter = k.sym == SDLK_RETURN || k.sym == SDLK_KP_ENTER;
  if (k.sym != SDLK_F11 && !(enter && (k.mod & KMOD_ALT))) return false;
  if (ev.type == SDL_KEYDOWN && !ev.key.repeat) disp_setfullscreen(!disp_isfullscreen());
  return true;
}
