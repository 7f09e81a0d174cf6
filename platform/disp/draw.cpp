// Drawing targets: the canvas's life, the context set-up every target shares, the colour
// and pen settings, and single pixels read and written straight in a target's memory.
#include "platform/disp/internal.h"

// ---- Targets -------------------------------------------------------------------------

bitmap* dsp_target(bitmap* b) { return dsp_isbitmap(b) ? b : nullptr; }

void dsp_initcontext(bitmap& t) {
  cairo_t* cr = t.cr;
  // 0.5 px: curves flattened to within half a pixel are indistinguishable once
  // antialiased, and big circles cost markedly less than at cairo's default of 0.1.
  cairo_set_tolerance(cr, 0.5);
  // The pen width is one setting for every target: the canvas holds it.
  t.pen = dsp.canvas.pen;
  cairo_set_line_width(cr, t.pen);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  t.source = ~0ul;
  t.fontoncr = nullptr;
}

// ---- Canvas --------------------------------------------------------------------------

bool dsp_newcanvas(unsigned char* pixels, int stride) {
  dsp_dropcanvas();
  cairo_surface_t* s = pixels
                           ? cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_RGB24,
                                                                 dsp.win.w, dsp.win.h, stride)
                           : cairo_image_surface_create(CAIRO_FORMAT_RGB24, dsp.win.w, dsp.win.h);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    dsp_warn("cannot make a %dx%d canvas: %s", dsp.win.w, dsp.win.h,
             cairo_status_to_string(cairo_surface_status(s)));
    cairo_surface_destroy(s);
    return false;
  }
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

qr_u dsp_getpixel(bitmap* t, qe_u x, qe_u y) {
  if (!t) return 0;
  cairo_surface_flush(t->surface);
  uint32_t const* p = dsp_pixel(*t, x, y);
  return p ? *p & 0xFFFFFF : 0;
}

// Written into memory, not painted: exactly that colour, no antialiasing. The top byte is
// set so that a picture with an alpha channel gets an opaque pixel; RGB24 ignores it.
void dsp_setpixel(bitmap* t, qe_u x, qe_u y, qe_u colour) {
  if (!t) return;
  cairo_surface_flush(t->surface);
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
