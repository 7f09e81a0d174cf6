// The window: the canvas shown through the backend (an SDL window, or with DISP_HEADLESS=1
// no window at all and the same canvas in memory). The canvas is scaled to fit the output
// (letterboxed); FreshWin45 shows it, counts the frame and writes the frame dumps asked for
// by DISP_SHOT; F11 and Alt+Enter toggle full screen.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/disp/internal.h"

// cairo keeps a surface's error for good once a draw on it failed (a glyph it could not
// render, memory), and then draws nothing from it and loses a pattern on every use as a
// source (cairo 1.16 never frees the pattern it makes for an erring surface). The pixels
// are still there: a fresh surface on the same memory reads them. Null for a surface that
// never had pixels.
cairo_surface_t* dsp_readable(cairo_surface_t* s) {
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) return cairo_surface_reference(s);
  unsigned char* data = cairo_surface_get_type(s) == CAIRO_SURFACE_TYPE_IMAGE
                            ? cairo_image_surface_get_data(s)
                            : nullptr;
  if (!data) return nullptr;
  cairo_surface_t* v = cairo_image_surface_create_for_data(
      data, cairo_image_surface_get_format(s), cairo_image_surface_get_width(s),
      cairo_image_surface_get_height(s), cairo_image_surface_get_stride(s));
  double sx = 1, sy = 1;
  cairo_surface_get_device_scale(s, &sx, &sy);
  cairo_surface_set_device_scale(v, sx, sy);
  return v;
}

// Paints the canvas shrunk into the dw x dh part of `to` at (ox, oy), averaging the pixels
// that fall into each (cairo's good filter), not picking one of them.
void dsp_shrink(cairo_surface_t* to) {
  cairo_surface_t* canvas = dsp_readable(dsp.canvas.surface);
  if (!canvas) return;
  cairo_t* c = cairo_create(to);
  cairo_translate(c, dsp.win.ox, dsp.win.oy);
  cairo_scale(c, double(dsp.win.dw) / dsp.win.cw, double(dsp.win.dh) / dsp.win.ch);
  cairo_set_source_surface(c, canvas, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(c), CAIRO_FILTER_GOOD);
  cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
  cairo_rectangle(c, 0, 0, dsp.win.cw, dsp.win.ch);
  cairo_fill(c);
  cairo_destroy(c);
  cairo_surface_destroy(canvas);
}

// The output of the headless backend: DISP_SIZE, the screen when full screen, else the
// canvas's own size.
void dsp_headlessout(int& w, int& h) {
  w = dsp.win.fullscreen ? dsp_scrw : dsp.env.sizew ? dsp.env.sizew : dsp.win.w;
  h = dsp.win.fullscreen ? dsp_scrh : dsp.env.sizeh ? dsp.env.sizeh : dsp.win.h;
}

namespace {

constexpr unsigned long dsp_maxside = dsp_sidemax;

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

// Gives the canvas the logical size w x h (asking the output for it first when `ask`)
// and lays it out in the output anew, keeping the picture: at the top left where the size
// changed, scaled where only the output changed; the rest is the background colour. The
// picture is copied first, as a window's framebuffer goes away with its old size.
void dsp_resize(int w, int h, bool ask) {
  cairo_surface_t* old = nullptr;
  int const oldw = dsp.canvas.w, oldh = dsp.canvas.h;
  if (cairo_surface_t* canvas = dsp.canvas.surface ? dsp_readable(dsp.canvas.surface) : nullptr) {
    cairo_surface_flush(canvas);
    old = cairo_image_surface_create(CAIRO_FORMAT_RGB24, dsp.win.cw, dsp.win.ch);
    cairo_t* c = cairo_create(old);
    cairo_set_source_surface(c, canvas, 0, 0);
    cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
    cairo_paint(c);
    cairo_destroy(c);
    cairo_surface_destroy(canvas);
    if (dsp_scaledcanvas()) cairo_surface_set_device_scale(old, dsp.win.scale, dsp.win.scale);
  }
  dsp_dropcanvas();
  if (ask) dsp_be().setsize(w, h);
  dsp.win.w = w;
  dsp.win.h = h;
  bool const ok = dsp_be().attach();
  if (!ok) dsp_seterror(dsp_enomem, "no memory for the window's picture");
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
  int w = 0, h = 0, pw = 0, ph = 0;
  if (!dsp.win.open || !dsp_be().size(w, h, pw, ph)) return false;
  if (dsp.win.fixed) {  // the canvas keeps its size; only its layout follows
    w = dsp.win.w;
    h = dsp.win.h;
  }
  if ((w == dsp.win.w && h == dsp.win.h && pw == dsp.win.pxw && ph == dsp.win.pxh) || w < 1 ||
      h < 1 || w > dsp_sidemax || h > dsp_sidemax || pw < 1 || ph < 1)
    return false;
  dsp_resize(w, h, false);
  return true;
}

void dsp_setcanvassize(int w, int h) { dsp_resize(w, h, false); }

void dsp_layout(int outw, int outh) {
  int const w = dsp.win.w, h = dsp.win.h;
  outw = std::clamp(outw, 1, dsp_sidemax);
  outh = std::clamp(outh, 1, dsp_sidemax);
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
  dsp.win.bars = ~0ul;
  std::vector<uint32_t>().swap(dsp.win.view);
  std::vector<uint32_t>().swap(dsp.win.seen);
}

void dsp_tological(long& x, long& y) {
  int ww = 0, wh = 0, pw = 0, ph = 0;
  if (!dsp_be().size(ww, wh, pw, ph) || ww < 1 || wh < 1) return;
  // From window coordinates to output pixels (more of them on a high-DPI output), then
  // into the canvas; the pixel whose area holds the point's centre.
  double const px = (double(x) + 0.5) * dsp.win.outw / ww - dsp.win.ox;
  double const py = (double(y) + 0.5) * dsp.win.outh / wh - dsp.win.oy;
  x = dsp_clampxy(long(std::floor(px / dsp.win.fit)));
  y = dsp_clampxy(long(std::floor(py / dsp.win.fit)));
}

void dsp_towindow(long& x, long& y) {
  int ww = 0, wh = 0, pw = 0, ph = 0;
  if (!dsp_be().size(ww, wh, pw, ph)) return;
  if (ww < 1 || wh < 1 || dsp.win.outw < 1 || dsp.win.outh < 1) return;
  double const px = ((double(x) + 0.5) * dsp.win.fit + dsp.win.ox) * ww / dsp.win.outw;
  double const py = ((double(y) + 0.5) * dsp.win.fit + dsp.win.oy) * wh / dsp.win.outh;
  x = dsp_clampxy(long(std::floor(px)));
  y = dsp_clampxy(long(std::floor(py)));
}

namespace {

// The caller's draw procedure, never from inside itself (it may well poll messages).
void dsp_redraw() {
  if ((!dsp.sys.drawproc && !dsp.sys.drawwith) || dsp.sys.indrawproc || !dsp.win.open) return;
  dsp.sys.indrawproc = true;
  if (dsp.sys.drawwith)
    dsp.sys.drawwith(dsp.sys.drawuser);
  else
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
    dsp_warn("cannot open a window: %s", why);
    dsp_seterror(dsp_earg, (std::string("createwin: cannot open a window: ") + why).c_str());
    return false;
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
  if (!dsp_be().open(x, y, style)) return false;
  dsp.win.open = true;
  if (dsp.input.texton) dsp_textinputsync();  // typed text, asked for before the window
  dsp_padopen();  // pad: game controllers, plugged in now or later (headless: scripted)
  dsp_be().present();
  return true;
}

// Entries that act on the window; false (and the error, naming the entry) when none is
// open.
bool dsp_needwindowof(char const* entry) {
  dsp_setup();
  if (dsp.win.open) return true;
  dsp_failnowindow(entry);
  return false;
}
#define dsp_needwindow() dsp_needwindowof(__func__)

}  // namespace

void dsp_present() {
  if (!dsp.win.open) return;
  dsp_syncsize();
  dsp_redraw();
  dsp_be().present();
}

void dsp_close() {
  if (!dsp.win.open) return;
  dsp.win.open = false;
  dsp_padclose();  // pad: controllers go with the window
  dsp_dropcanvas();
  dsp_be().close();
  dsp.input.current = {false, 0};
  dsp_inputreset();  // nothing queued for a closed window reaches the next one
  if (dsp.stats.on) dsp_writestats();
}

void dsp_tick() {
  dsp_be().check();  // display loss: the window closes here, outside any display call
  if (dsp.win.open && dsp.env.quitat >= 0 && dsp_now() >= dsp.env.quitat) dsp_close();
}

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
  if (!dsp.win.open) return dsp_failnowindow(__func__);
  double now = dsp_now();
  dsp_countframe(now);
  if (!dsp.shots.empty()) dsp_shots(now);
  dsp_syncsize();
  dsp_be().present();
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
  dsp.sys.drawwith = nullptr;
}

// The typed form: fn(user) is called where SetDrawProcedure48's procedure would be, and
// replaces it (null: no procedure).
qr_v disp_setdrawprocedurewith(qe_pu fn, qe_p user) {
  dsp_setup();
  dsp_extension ext;
  dsp.sys.drawproc = nullptr;
  dsp.sys.drawwith = fn;
  dsp.sys.drawuser = user;
}

namespace {

// Keeps the caption for a window opened later and shows it on the open one. Taken by
// value: the text given may be GetTitle53's own.
void dsp_settitle(std::string t) {
  dsp.win.title = std::move(t);
  if (dsp.win.open) {
    std::string buf;
    dsp_be().settitle(dsp_utf8(dsp.win.title.c_str(), buf));
  }
}

}  // namespace

qr_v SetTitle51(qe_s title) {
  dsp_setup();
  dsp_settitle(title ? title : "");
}

qr_v SetTitleW52(qe_ws title) {
  std::string t = dsp_fromwide(title);
  dsp_setup();
  dsp_settitle(std::move(t));
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
    dsp_fail(dsp_earg, __func__, "size %lu x %lu is outside 1..%d", w, h, int(dsp_maxside));
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
  dsp_be().setpos(x, y);
}

qr_l GetPosX69() {
  if (!dsp_needwindow()) return 0;
  int x = 0, y = 0;
  dsp_be().getpos(x, y);
  return x;
}

qr_l GetPosY70() {
  if (!dsp_needwindow()) return 0;
  int x = 0, y = 0;
  dsp_be().getpos(x, y);
  return y;
}

// x in the low 16 bits, y in the next 16, each as a 16-bit two's complement number; both
// from one look at the window, so a window moving meanwhile cannot mix two places.
qr_u GetPos71() {
  if (!dsp_needwindow()) return 0;
  int x = 0, y = 0;
  dsp_be().getpos(x, y);
  return ((unsigned long)x & 0xFFFF) | ((unsigned long)y & 0xFFFF) << 16;
}

// ---- Extensions ----------------------------------------------------------------------

// Desktop full screen: the window covers the screen without changing the display's mode.
// A fixed-size canvas is shown scaled; a resizable one takes the screen's size.
qr_v disp_setfullscreen(qe_bool on) {
  dsp_extension ext;
  if (!dsp_needwindow()) return;
  dsp_be().setfullscreen(on);
}

qr_bool disp_isfullscreen() {
  dsp_extension ext;
  dsp_setup();
  return dsp.win.open && dsp_be().isfullscreen();
}

// A game hides the pointer while it is played full screen; a program that wants the
// pointer there (an editor, a menu) leaves this off.
qr_v disp_hidecursorinfullscreen(qe_bool on) {
  dsp_extension ext;
  dsp_setup();
  dsp.win.hidecursorfs = on;
  if (dsp.win.open) dsp_be().cursor();
}

qr_bool disp_islost() {
  dsp_extension ext;
  dsp_setup();
  return dsp_be().lost();
}
