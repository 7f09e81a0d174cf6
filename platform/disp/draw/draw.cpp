// Drawing targets: the canvas's life, the context set-up every target shares, the colour
// and pen settings, and single pixels read and written straight in a target's memory.
#include <algorithm>
#include <cmath>

#include "platform/disp/internal.h"

// ---- Targets -------------------------------------------------------------------------

bitmap* dsp_targetof(bitmap* b, char const* entry) { return dsp_liveof(b, entry) ? b : nullptr; }

bitmap* dsp_winof(char const* entry) {
  if (dsp.canvas.cr) return &dsp.canvas;
  dsp_failnowindow(entry);
  return nullptr;
}

void dsp_initcontext(bitmap& t) {
  cairo_t* cr = t.cr;
  // 0.5 px: curves flattened to within half a pixel are indistinguishable once
  // antialiased, and big circles cost markedly less than at cairo's default of 0.1.
  cairo_set_tolerance(cr, 0.5);
  // The pen width is one setting for every target: the canvas holds it.
  t.pen = dsp.canvas.pen;
  cairo_set_line_width(cr, t.pen);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  if (!t.aa) cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);  // switched off: hard edges
  if (t.blend != dsp_blendnormal) cairo_set_operator(cr, dsp_cairoblend(t.blend));
  t.source = ~0ul;
  t.fontoncr = nullptr;
}

// A context in an error state ignores all drawing from then on, silently: after a draw the
// failure is told as the entry's own, and t gets a fresh context so that drawing goes on.
bool dsp_checkcontext(bitmap& t, char const* entry) {
  cairo_status_t const st = cairo_status(t.cr);
  if (st == CAIRO_STATUS_SUCCESS) return true;
  dsp_fail(st == CAIRO_STATUS_NO_MEMORY ? dsp_enomem : dsp_eunsupported, entry,
           "drawing failed (%s); the drawing context was made anew", cairo_status_to_string(st));
  cairo_destroy(t.cr);
  t.cr = cairo_create(t.surface);
  dsp_initcontext(t);
  return false;
}

// ---- Canvas --------------------------------------------------------------------------

bool dsp_newcanvas(unsigned char* pixels, int stride) {
  dsp_dropcanvas();
  int const w = dsp.win.cw, h = dsp.win.ch;  // device pixels
  cairo_surface_t* s =
      pixels ? cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_RGB24, w, h, stride)
             : cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    dsp_warn("cannot make a %dx%d canvas: %s", w, h,
             cairo_status_to_string(cairo_surface_status(s)));
    cairo_surface_destroy(s);
    return false;
  }
  // Drawing stays in logical pixels while cairo renders at the output's own resolution:
  // shapes and text come out sharp at any size, not as an enlarged small picture.
  if (dsp_scaledcanvas()) cairo_surface_set_device_scale(s, dsp.win.scale, dsp.win.scale);
  dsp.canvas.surface = s;
  dsp.canvas.w = dsp.win.w;
  dsp.canvas.h = dsp.win.h;
  dsp.canvas.textx = dsp.canvas.texty = dsp.canvas.textleft = 0;
  dsp_newcontext();
  dsp_colour(dsp.canvas.bg);
  cairo_paint(dsp.canvas.cr);
  return true;
}

void dsp_newcontext() {
  if (dsp.canvas.cr) cairo_destroy(dsp.canvas.cr);
  dsp.canvas.cr = cairo_create(dsp.canvas.surface);
  dsp_initcontext(dsp.canvas);
}

void dsp_dropcanvas() {
  // The window closes: the counts of warnings said since are told now, while they still
  // belong to this window's run.
  if (dsp.canvas.surface) dsp_warnsummary();
  if (dsp.canvas.cr) cairo_destroy(dsp.canvas.cr);
  if (dsp.canvas.surface) cairo_surface_destroy(dsp.canvas.surface);
  dsp.canvas.cr = nullptr;
  dsp.canvas.surface = nullptr;
  dsp.canvas.fontoncr = nullptr;
}

void dsp_colour(unsigned long rgb) { dsp_colour(dsp.canvas, rgb); }

// ---- Colour and pen settings ---------------------------------------------------------

qr_u GetBGColor78() {
  dsp_setup();
  return dsp.canvas.bg;
}

qr_v SetBGColor79(qe_u colour) {
  dsp_setup();
  dsp.canvas.bg = colour & 0xFFFFFF;
}

qr_u GetFGColor80() {
  dsp_setup();
  return dsp.draw.fg;
}

qr_v SetFGColor81(qe_u colour) {
  dsp_setup();
  dsp.draw.fg = colour & 0xFFFFFF;
}

// One width for every target. The canvas takes it at once; other targets when they next
// draw (see dsp_pen in shapes.cpp). Width 0 stands for the thinnest visible line, one pixel.
qr_v SetPenWidth82(qe_u width) {
  dsp_setup();
  dsp.canvas.pen = width == 0 ? 1.0 : width > 4096 ? 4096.0 : double(width);
  if (dsp.canvas.cr) cairo_set_line_width(dsp.canvas.cr, dsp.canvas.pen);
}

// Pen and brush colours belong to their target; 1 (bits above the low 24 ignored) means
// that part is left undrawn.
qr_v SetPenColor83(qe_b b, qe_u colour) {
  dsp_setup();
  if (bitmap* t = dsp_target(b)) t->pencolour = colour & 0xFFFFFF;
}

qr_v SetPenColor84(qe_u colour) {
  dsp_setup();
  dsp.canvas.pencolour = colour & 0xFFFFFF;
}

qr_v SetBrushColor85(qe_b b, qe_u colour) {
  dsp_setup();
  if (bitmap* t = dsp_target(b)) t->brushcolour = colour & 0xFFFFFF;
}

qr_v SetBrushColor86(qe_u colour) {
  dsp_setup();
  dsp.canvas.brushcolour = colour & 0xFFFFFF;
}

// ---- Pixels --------------------------------------------------------------------------

namespace {

// The pixel (x, y) of the target's image, null outside it.
uint32_t* dsp_pixel(bitmap const& t, qe_u x, qe_u y) {
  if (!t.surface || x >= qe_u(t.w) || y >= qe_u(t.h)) return nullptr;
  unsigned char* row =
      cairo_image_surface_get_data(t.surface) + y * cairo_image_surface_get_stride(t.surface);
  return reinterpret_cast<uint32_t*>(row) + x;
}

bool dsp_isscaled(bitmap const* t) { return t == &dsp.canvas && dsp_scaledcanvas(); }

qr_u dsp_getpixel(bitmap* t, qe_u x, qe_u y) {
  if (!t) return 0;
  cairo_surface_flush(t->surface);
  if (dsp_isscaled(t) && x < qe_u(t->w) && y < qe_u(t->h)) {  // the device pixel at its centre
    x = qe_u(dsp_devsample(long(x), dsp.win.cw));
    y = qe_u(dsp_devsample(long(y), dsp.win.ch));
    unsigned char* row =
        cairo_image_surface_get_data(t->surface) + y * cairo_image_surface_get_stride(t->surface);
    return reinterpret_cast<uint32_t*>(row)[x] & 0xFFFFFF;
  }
  uint32_t const* p = dsp_pixel(*t, x, y);
  return p ? *p & 0xFFFFFF : 0;
}

// Written into memory, not painted: exactly that colour, no antialiasing. The top byte is
// set so that a picture with an alpha channel gets an opaque pixel; RGB24 ignores it.
void dsp_setpixel(bitmap* t, qe_u x, qe_u y, qe_u colour) {
  if (!t) return;
  cairo_surface_flush(t->surface);
  if (dsp_isscaled(t)) {  // every device pixel of the logical one
    if (x >= qe_u(t->w) || y >= qe_u(t->h)) return;
    dsp_pixels d = {reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(t->surface)),
                    dsp.win.cw, dsp.win.ch, cairo_image_surface_get_stride(t->surface) / 4};
    int const x0 = dsp_devlo(long(x), d.w), x1 = std::max(dsp_devlo(long(x) + 1, d.w), x0 + 1);
    int const y0 = dsp_devlo(long(y), d.h), y1 = std::max(dsp_devlo(long(y) + 1, d.h), y0 + 1);
    for (int j = std::min(y0, d.h - 1); j < std::min(y1, d.h); ++j)
      std::fill(d.row(j) + std::min(x0, d.w - 1), d.row(j) + std::min(x1, d.w),
                uint32_t(0xFF000000u | (colour & 0xFFFFFF)));
    cairo_surface_mark_dirty(t->surface);
    return;
  }
  uint32_t* p = dsp_pixel(*t, x, y);
  if (!p) return;
  *p = uint32_t(0xFF000000u | (colour & 0xFFFFFF));
  cairo_surface_mark_dirty_rectangle(t->surface, int(x), int(y), 1, 1);
}

}  // namespace

qr_u GetPixel147(qe_b b, qe_u x, qe_u y) {
  dsp_setup();
  return dsp_getpixel(dsp_target(b), x, y);
}

qr_u GetPixel148(qe_u x, qe_u y) {
  dsp_setup();
  return dsp_getpixel(dsp_target(&dsp.canvas), x, y);
}

qr_v SetPixel149(qe_b b, qe_u x, qe_u y, qe_u colour) {
  dsp_setup();
  dsp_setpixel(dsp_target(b), x, y, colour);
}

qr_v SetPixel150(qe_u x, qe_u y, qe_u colour) {
  dsp_setup();
  dsp_setpixel(dsp_target(&dsp.canvas), x, y, colour);
}

qr_v SetPixel151(qe_u x, qe_u y) {
  dsp_setup();
  dsp_setpixel(dsp_target(&dsp.canvas), x, y, dsp.draw.fg);
}

// ---- The logical pixels of a scaled canvas ---------------------------------------------

int dsp_devlo(long v, int limit) {
  long d = std::lround(double(v) * dsp.win.scale);
  return int(std::clamp(d, 0L, long(limit)));
}

int dsp_devsample(long v, int limit) {
  long d = long(std::floor((double(v) + 0.5) * dsp.win.scale));
  return int(std::clamp(d, 0L, long(limit) - 1));
}

// Each logical pixel reads as the device pixel under its centre, as GetPixel148 does.
dsp_pixels dsp_canvasview() {
  int const w = dsp.win.w, h = dsp.win.h;
  auto& view = dsp.win.view;
  view.resize(size_t(w) * size_t(h));
  cairo_surface_t* s = dsp.canvas.surface;
  cairo_surface_flush(s);
  unsigned char const* base = cairo_image_surface_get_data(s);
  int const stride = cairo_image_surface_get_stride(s);
  std::vector<int> xs(size_t(w), 0);
  for (int x = 0; x < w; ++x) xs[size_t(x)] = dsp_devsample(x, dsp.win.cw);
  for (int y = 0; y < h; ++y) {
    auto const* row =
        reinterpret_cast<uint32_t const*>(base + dsp_devsample(y, dsp.win.ch) * stride);
    uint32_t* to = &view[size_t(y) * size_t(w)];
    for (int x = 0; x < w; ++x) to[x] = row[xs[size_t(x)]];
  }
  dsp.win.seen = view;
  return {view.data(), w, h, w};
}

// A logical pixel whose value was changed fills all of its device pixels; the others keep
// theirs, so drawing a small bitmap does not coarsen the rest of the picture.
void dsp_storeview(int x, int y, int w, int h) {
  auto const& view = dsp.win.view;
  auto& seen = dsp.win.seen;
  int const lw = dsp.win.w, lh = dsp.win.h;
  if (view.size() != size_t(lw) * size_t(lh) || seen.size() != view.size()) return;
  int const xe = std::min(x + w, lw), ye = std::min(y + h, lh);
  x = std::max(x, 0);
  y = std::max(y, 0);
  cairo_surface_t* s = dsp.canvas.surface;
  dsp_pixels d = {reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s)), dsp.win.cw,
                  dsp.win.ch, cairo_image_surface_get_stride(s) / 4};
  for (int ly = y; ly < ye; ++ly) {
    int const y0 = dsp_devlo(ly, d.h), y1 = std::max(dsp_devlo(ly + 1, d.h), y0 + 1);
    for (int lx = x; lx < xe; ++lx) {
      size_t const i = size_t(ly) * size_t(lw) + size_t(lx);
      if (view[i] == seen[i]) continue;
      seen[i] = view[i];
      int const x0 = dsp_devlo(lx, d.w), x1 = std::max(dsp_devlo(lx + 1, d.w), x0 + 1);
      uint32_t const v = 0xFF000000u | (view[i] & 0xFFFFFF);
      for (int j = std::min(y0, d.h - 1); j < std::min(y1, d.h); ++j)
        std::fill(d.row(j) + std::min(x0, d.w - 1), d.row(j) + std::min(x1, d.w), v);
    }
  }
  cairo_surface_mark_dirty(s);
}
