// The canvas and the shape entries: clear, pen, line, triangle, arc, circles, pixel
// read-back. Shapes are antialiased; a shape wholly off the canvas is dropped by a
// bounding-box test before cairo sees it, which matters as the game draws its whole course.
#include <cmath>

#include "platform/disp/internal.h"

namespace {

constexpr double dsp_tau = 6.283185307179586;
// Beyond this many pixels cairo's fixed-point coordinates overflow; shapes that reach so
// far (after the off-canvas test) are not drawn rather than drawn wrong.
constexpr double dsp_far = 4194304;
// The value that leaves the outline or the fill of a two-colour shape undrawn.
constexpr unsigned long dsp_none = 1;

// Integer coordinates name pixels; shapes are centred on the pixel's middle.
inline double dsp_px(long v) { return double(v) + 0.5; }

// Half the pen plus a pixel of antialiasing: how far an outline reaches past its path.
inline double dsp_margin() { return dsp.canvas.pen * 0.5 + 1.0; }

// True when the box cannot touch the canvas, or reaches too far to draw.
bool dsp_skip(double x0, double y0, double x1, double y1) {
  if (x1 < 0 || y1 < 0 || x0 > dsp.win.w || y0 > dsp.win.h) return true;
  return x0 < -dsp_far || y0 < -dsp_far || x1 > dsp_far || y1 > dsp_far;
}

// Clips the segment to the rectangle [lo, hi] in both axes (Liang-Barsky); false when
// nothing of it is left.
bool dsp_clipline(double& x0, double& y0, double& x1, double& y1, double xlo, double ylo,
                  double xhi, double yhi) {
  double t0 = 0, t1 = 1, dx = x1 - x0, dy = y1 - y0;
  double const p[4] = {-dx, dx, -dy, dy};
  double const q[4] = {x0 - xlo, xhi - x0, y0 - ylo, yhi - y0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    double t = q[i] / p[i];
    if (p[i] < 0) {
      if (t > t1) return false;
      if (t > t0) t0 = t;
    } else {
      if (t < t0) return false;
      if (t < t1) t1 = t;
    }
  }
  double ax = x0 + t0 * dx, ay = y0 + t0 * dy;
  x1 = x0 + t1 * dx;
  y1 = y0 + t1 * dy;
  x0 = ax;
  y0 = ay;
  return true;
}

// Fills the current path in `fill` and strokes it in `outline`, either may be dsp_none.
void dsp_paintpath(unsigned long outline, unsigned long fill) {
  cairo_t* cr = dsp.canvas.cr;
  if (fill != dsp_none) {
    dsp_colour(fill);
    if (outline != dsp_none)
      cairo_fill_preserve(cr);
    else
      cairo_fill(cr);
  }
  if (outline != dsp_none) {
    dsp_colour(outline);
    cairo_stroke(cr);
  }
}

}  // namespace

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
  dsp_newcontext();
  dsp_colour(dsp.canvas.bg);
  cairo_paint(dsp.canvas.cr);
  return true;
}

void dsp_newcontext() {
  if (dsp.canvas.cr) cairo_destroy(dsp.canvas.cr);
  cairo_t* cr = cairo_create(dsp.canvas.surface);
  dsp.canvas.cr = cr;
  // 0.5 px: curves flattened to within half a pixel are indistinguishable once
  // antialiased, and big circles cost markedly less than at cairo's default of 0.1.
  cairo_set_tolerance(cr, 0.5);
  cairo_set_line_width(cr, dsp.canvas.pen);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  dsp.canvas.source = ~0ul;
  dsp.canvas.fontoncr = nullptr;
}

void dsp_dropcanvas() {
  if (dsp.canvas.cr) cairo_destroy(dsp.canvas.cr);
  if (dsp.canvas.surface) cairo_surface_destroy(dsp.canvas.surface);
  dsp.canvas.cr = nullptr;
  dsp.canvas.surface = nullptr;
  dsp.canvas.fontoncr = nullptr;
}

void dsp_colour(unsigned long rgb) {
  rgb &= 0xFFFFFF;
  if (rgb == dsp.canvas.source) return;
  dsp.canvas.source = rgb;
  cairo_set_source_rgb(dsp.canvas.cr, double(rgb >> 16) / 255.0, double((rgb >> 8) & 0xFF) / 255.0,
                       double(rgb & 0xFF) / 255.0);
}

// ---- Entries -------------------------------------------------------------------------

qr_v Clear164() {
  dsp_setup();
  if (!dsp.canvas.cr) return;
  // A context in an error state ignores all drawing from then on; start a fresh one
  // rather than leave the window frozen for the rest of the run.
  if (cairo_status_t st = cairo_status(dsp.canvas.cr); st != CAIRO_STATUS_SUCCESS) {
    dsp_warn("drawing failed (%s); drawing context restarted", cairo_status_to_string(st));
    dsp_newcontext();
  }
  dsp_statclear();
  dsp_colour(dsp.canvas.bg);
  cairo_paint(dsp.canvas.cr);
}

// Width 0 stands for the thinnest visible line, one pixel.
qr_v SetPenWidth82(qe_u width) {
  dsp_setup();
  dsp.canvas.pen = width == 0 ? 1.0 : width > 4096 ? 4096.0 : double(width);
  if (dsp.canvas.cr) cairo_set_line_width(dsp.canvas.cr, dsp.canvas.pen);
}

qr_v Line155(qe_l x, qe_l y, qe_l dx, qe_l dy, qe_u colour) {
  dsp_setup();
  if (!dsp.canvas.cr) return;
  double x0 = dsp_px(x), y0 = dsp_px(y);
  double x1 = x0 + double(dx), y1 = y0 + double(dy);
  double m = dsp_margin();
  // Clipping to just outside the canvas keeps far-off ends within cairo's range; the
  // cut ends lie beyond the edge, so their caps never show.
  if (!dsp_clipline(x0, y0, x1, y1, -m, -m, dsp.win.w + m, dsp.win.h + m)) return;
  cairo_t* cr = dsp.canvas.cr;
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_move_to(cr, x0, y0);
  cairo_line_to(cr, x1, y1);
  dsp_colour(colour);
  cairo_stroke(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

qr_v Triangle166(qe_l x1, qe_l y1, qe_l x2, qe_l y2, qe_l x3, qe_l y3, qe_u outline, qe_u fill) {
  dsp_setup();
  if (!dsp.canvas.cr || (outline == dsp_none && fill == dsp_none)) return;
  double m = dsp_margin();
  double xa = std::fmin(x1, std::fmin(x2, x3)), xb = std::fmax(x1, std::fmax(x2, x3));
  double ya = std::fmin(y1, std::fmin(y2, y3)), yb = std::fmax(y1, std::fmax(y2, y3));
  if (dsp_skip(xa - m, ya - m, xb + 1 + m, yb + 1 + m)) return;
  cairo_t* cr = dsp.canvas.cr;
  cairo_move_to(cr, dsp_px(x1), dsp_px(y1));
  cairo_line_to(cr, dsp_px(x2), dsp_px(y2));
  cairo_line_to(cr, dsp_px(x3), dsp_px(y3));
  cairo_close_path(cr);
  dsp_paintpath(outline, fill);
}

// The arc from `start` to `end` through decreasing angles is the one from `end` to
// `start` through increasing angles, which is how cairo runs (clockwise on screen, as y
// grows downward). Equal angles make a whole ellipse. The fill is the pie slice.
qr_v Arc170(qe_l x, qe_l y, qe_l rx, qe_l ry, qe_d start, qe_d end, qe_u outline, qe_u fill) {
  dsp_setup();
  if (!dsp.canvas.cr || rx <= 0 || ry <= 0 || (outline == dsp_none && fill == dsp_none)) return;
  if (!std::isfinite(start) || !std::isfinite(end)) return;
  double cx = dsp_px(x), cy = dsp_px(y), m = dsp_margin();
  if (dsp_skip(cx - double(rx) - m, cy - double(ry) - m, cx + double(rx) + m, cy + double(ry) + m))
    return;
  double from = std::fmod(end, dsp_tau);
  double span = std::fmod(start - end, dsp_tau);
  if (span <= 0) span += dsp_tau;

  cairo_t* cr = dsp.canvas.cr;
  // An ellipse is the unit circle under a scaling; the path is kept in device space, so
  // the pen stays round when stroked after the matrix is reset.
  auto path = [&](bool pie) {
    if (rx == ry) {
      if (pie) cairo_move_to(cr, cx, cy);
      cairo_arc(cr, cx, cy, double(rx), from, from + span);
    } else {
      cairo_translate(cr, cx, cy);
      cairo_scale(cr, double(rx), double(ry));
      if (pie) cairo_move_to(cr, 0, 0);
      cairo_arc(cr, 0, 0, 1, from, from + span);
      cairo_identity_matrix(cr);
    }
    if (pie) cairo_close_path(cr);
  };
  if (fill != dsp_none) {
    path(true);
    dsp_paintpath(dsp_none, fill);
  }
  if (outline != dsp_none) {
    path(false);
    dsp_paintpath(outline, dsp_none);
  }
}

qr_v Circle186(qe_l x, qe_l y, qe_l r, qe_u outline, qe_u fill) {
  dsp_setup();
  if (!dsp.canvas.cr || r <= 0 || (outline == dsp_none && fill == dsp_none)) return;
  double cx = dsp_px(x), cy = dsp_px(y), rr = double(r), m = dsp_margin();
  if (dsp_skip(cx - rr - m, cy - rr - m, cx + rr + m, cy + rr + m)) return;
  cairo_arc(dsp.canvas.cr, cx, cy, rr, 0, dsp_tau);
  dsp_paintpath(outline, fill);
}

// The ball: a radius of 0 (or less) still shows as one full pixel, so a shrunk ball
// stays visible.
qr_v Circle187(qe_l x, qe_l y, qe_l r, qe_u colour) {
  dsp_setup();
  if (!dsp.canvas.cr) return;
  cairo_t* cr = dsp.canvas.cr;
  if (r <= 0) {
    if (dsp_skip(double(x), double(y), double(x) + 1, double(y) + 1)) return;
    cairo_rectangle(cr, double(x), double(y), 1, 1);
  } else {
    double cx = dsp_px(x), cy = dsp_px(y), rr = double(r);
    if (dsp_skip(cx - rr - 1, cy - rr - 1, cx + rr + 1, cy + rr + 1)) return;
    cairo_arc(cr, cx, cy, rr, 0, dsp_tau);
  }
  dsp_colour(colour);
  cairo_fill(cr);
}

qr_u GetPixel148(qe_u x, qe_u y) {
  dsp_setup();
  cairo_surface_t* s = dsp.canvas.surface;
  if (!s || x >= qe_u(dsp.win.w) || y >= qe_u(dsp.win.h)) return 0;
  cairo_surface_flush(s);
  unsigned char const* row =
      cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
  return reinterpret_cast<uint32_t const*>(row)[x] & 0xFFFFFF;
}
