// The shape entries on any target: line, bar, clear, triangle, arc, pie, chord, ellipse,
// circle. Shapes are antialiased unless the target's switch is off (then raster.cpp draws
// the plain ones); a shape wholly off its target is dropped by a bounding-box test before
// cairo sees it, which matters as the game draws its whole course every frame.
#include <cmath>

#include "platform/disp/internal.h"
#include "platform/disp/draw/raster.h"

namespace {

constexpr double dsp_tau = 6.283185307179586;
// Beyond this many pixels cairo's fixed-point coordinates overflow; shapes that reach so
// far (after the off-target test) are not drawn rather than drawn wrong.
constexpr double dsp_far = 4194304;
// The value that leaves the outline or the fill of a shape undrawn.
constexpr unsigned long dsp_none = 1;

inline bool dsp_isnone(unsigned long c) { return (c & 0xFFFFFF) == dsp_none; }

// Integer coordinates name pixels; shapes are centred on the pixel's middle.
inline double dsp_px(long v) { return double(v) + 0.5; }

// Brings the target's line width to the library's pen width, which SetPenWidth82 sets
// on the canvas; other targets catch up here, the first time they draw after a change.
inline void dsp_pen(bitmap& t) {
  if (t.pen != dsp.canvas.pen) {
    t.pen = dsp.canvas.pen;
    cairo_set_line_width(t.cr, t.pen);
  }
}

// Half the pen plus a pixel of antialiasing: how far an outline reaches past its path.
inline double dsp_margin(bitmap const& t) { return t.pen * 0.5 + 1.0; }

// True when the box cannot touch the target, or reaches too far to draw.
bool dsp_skip(bitmap const& t, double x0, double y0, double x1, double y1) {
  if (x1 < 0 || y1 < 0 || x0 > t.w || y0 > t.h) return true;
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
void dsp_paintpath(bitmap& t, unsigned long outline, unsigned long fill) {
  cairo_t* cr = t.cr;
  if (!dsp_isnone(fill)) {
    dsp_colour(t, fill);
    if (!dsp_isnone(outline))
      cairo_fill_preserve(cr);
    else
      cairo_fill(cr);
  }
  if (!dsp_isnone(outline)) {
    dsp_colour(t, outline);
    cairo_stroke(cr);
  }
}

// The shape helpers are inlined into their entries: the entries the game calls every
// frame then cost what they did when each drew on the window alone.
[[gnu::always_inline]] inline void dsp_line(bitmap* t, long x, long y, long dx, long dy,
                                            unsigned long colour) {
  if (!t) return;
  dsp_pen(*t);
  if (!t->aa && dsp_rasterline(*t, x, y, dx, dy, colour)) return;
  double x0 = dsp_px(x), y0 = dsp_px(y);
  double x1 = x0 + double(dx), y1 = y0 + double(dy);
  double m = dsp_margin(*t);
  // Clipping to just outside the target keeps far-off ends within cairo's range; the
  // cut ends lie beyond the edge, so their caps never show.
  if (!dsp_clipline(x0, y0, x1, y1, -m, -m, t->w + m, t->h + m)) return;
  cairo_t* cr = t->cr;
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_move_to(cr, x0, y0);
  cairo_line_to(cr, x1, y1);
  dsp_colour(*t, colour);
  cairo_stroke(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

// The rectangle between the pixel corners (x, y) and (x + w, y + h): the fill covers
// exactly its pixels, the outline runs through the middle of its border pixels, with square
// corners, so with a pen of 1 it is exactly those. Being straight, it can be cut to the target, so
// even a rectangle reaching far beyond cairo's range draws.
void dsp_bar(bitmap* t, long x, long y, long w, long h, unsigned long outline, unsigned long fill) {
  if (!t || w == 0 || h == 0 || (dsp_isnone(outline) && dsp_isnone(fill))) return;
  dsp_pen(*t);
  if (!t->aa && dsp_rasterbar(*t, x, y, w, h, dsp_ink(outline), dsp_ink(fill))) return;
  double x0 = double(x), x1 = x0 + double(w), y0 = double(y), y1 = y0 + double(h);
  if (x1 < x0) std::swap(x0, x1);
  if (y1 < y0) std::swap(y0, y1);
  double m = dsp_margin(*t) + 1;
  if (x1 < -m || y1 < -m || x0 > t->w + m || y0 > t->h + m) return;
  x0 = std::fmax(x0, -m), y0 = std::fmax(y0, -m);
  x1 = std::fmin(x1, t->w + m), y1 = std::fmin(y1, t->h + m);
  cairo_t* cr = t->cr;
  if (!dsp_isnone(fill)) {
    cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
    dsp_colour(*t, fill);
    cairo_fill(cr);
  }
  if (!dsp_isnone(outline)) {
    cairo_rectangle(cr, x0 + 0.5, y0 + 0.5, x1 - x0 - 1, y1 - y0 - 1);
    dsp_colour(*t, outline);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);  // square corners
    cairo_stroke(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  }
}

void dsp_clear(bitmap* t, unsigned long colour) {
  if (!t) return;
  // A context in an error state ignores all drawing from then on; start a fresh one
  // rather than leave the picture frozen for the rest of the run.
  if (cairo_status_t st = cairo_status(t->cr); st != CAIRO_STATUS_SUCCESS) {
    dsp_warn("drawing failed (%s); drawing context restarted", cairo_status_to_string(st));
    cairo_destroy(t->cr);
    t->cr = cairo_create(t->surface);
    dsp_initcontext(*t);
  }
  if (t == &dsp.canvas) dsp_statclear();
  // A cleared picture starts its text at the top left again, so a frame drawn with
  // DrawTextln lands in the same place every time.
  t->textx = t->texty = t->textleft = 0;
  if (!dsp_plainpaint(*t)) return dsp_paintplain(*t, colour);
  dsp_colour(*t, colour);
  cairo_paint(t->cr);
}

[[gnu::always_inline]] inline void dsp_triangle(bitmap* t, long x1, long y1, long x2, long y2,
                                                long x3, long y3, unsigned long outline,
                                                unsigned long fill) {
  if (!t || (dsp_isnone(outline) && dsp_isnone(fill))) return;
  dsp_pen(*t);
  double m = dsp_margin(*t);
  double xa = std::fmin(x1, std::fmin(x2, x3)), xb = std::fmax(x1, std::fmax(x2, x3));
  double ya = std::fmin(y1, std::fmin(y2, y3)), yb = std::fmax(y1, std::fmax(y2, y3));
  if (dsp_skip(*t, xa - m, ya - m, xb + 1 + m, yb + 1 + m)) return;
  cairo_t* cr = t->cr;
  cairo_move_to(cr, dsp_px(x1), dsp_px(y1));
  cairo_line_to(cr, dsp_px(x2), dsp_px(y2));
  cairo_line_to(cr, dsp_px(x3), dsp_px(y3));
  cairo_close_path(cr);
  dsp_paintpath(*t, outline, fill);
}

// Adds the arc of the ellipse around (cx, cy) with radii rx, ry from angle `from` over
// `span` through increasing angles. An ellipse is the unit circle under a scaling; the
// path is kept in device space, so the pen stays round when stroked after the matrix is
// reset.
void dsp_arcpath(cairo_t* cr, double cx, double cy, long rx, long ry, double from, double span,
                 bool fromcentre) {
  if (rx == ry) {
    if (fromcentre) cairo_move_to(cr, cx, cy);
    cairo_arc(cr, cx, cy, double(rx), from, from + span);
  } else {
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, double(rx), double(ry));
    if (fromcentre) cairo_move_to(cr, 0, 0);
    cairo_arc(cr, 0, 0, 1, from, from + span);
    cairo_identity_matrix(cr);
  }
}

enum class dsp_arckind { arc, pie, chord };

// The one check of the angles of arcs, pies and chords: the part from `end` up to `start`
// as a first angle within a turn and a sweep in (0, 2π], which is all cairo can take
// (it asserts that its end angle is not below its start, and a NaN fails that). False for
// a NaN or infinite angle: nothing is drawn. Finite angles far apart, such as ±1e308,
// overflow when subtracted; they are reduced modulo a turn first in that case only, so
// every ordinary pair gives exactly the sweep it always gave.
bool dsp_sweep(double start, double end, double& from, double& span, bool& whole) {
  if (!std::isfinite(start) || !std::isfinite(end)) return false;
  from = std::fmod(end, dsp_tau);
  double d = start - end;
  if (!std::isfinite(d)) d = std::fmod(start, dsp_tau) - from;
  span = std::fmod(d, dsp_tau);
  whole = span == 0;
  if (span <= 0) span += dsp_tau;
  return std::isfinite(from) && span > 0 && span <= dsp_tau;
}

// Arc, pie and chord share their angles: the part of the ellipse from `start` to `end`
// through decreasing angles, i.e. from `end` to `start` through increasing ones, which is
// how cairo runs (clockwise on screen, as y grows downward). Equal angles make the whole
// ellipse. An arc's fill is the pie slice, its outline the curve alone; a pie's outline
// takes in the two radii, a chord's the straight line closing the curve.
[[gnu::always_inline]] inline void dsp_arcshape(bitmap* t, dsp_arckind kind, long x, long y,
                                                long rx, long ry, double start, double end,
                                                unsigned long outline, unsigned long fill) {
  if (!t || rx <= 0 || ry <= 0 || (dsp_isnone(outline) && dsp_isnone(fill))) return;
  double from, span;
  bool whole;
  if (!dsp_sweep(start, end, from, span, whole)) return;
  dsp_pen(*t);
  double cx = dsp_px(x), cy = dsp_px(y), m = dsp_margin(*t);
  if (dsp_skip(*t, cx - double(rx) - m, cy - double(ry) - m, cx + double(rx) + m,
               cy + double(ry) + m))
    return;

  cairo_t* cr = t->cr;
  if (kind == dsp_arckind::arc) {
    if (!dsp_isnone(fill)) {
      dsp_arcpath(cr, cx, cy, rx, ry, from, span, true);
      cairo_close_path(cr);
      dsp_paintpath(*t, dsp_none, fill);
    }
    if (!dsp_isnone(outline)) {
      dsp_arcpath(cr, cx, cy, rx, ry, from, span, false);
      dsp_paintpath(*t, outline, dsp_none);
    }
    return;
  }
  // A whole pie has no radii to show: it is the ellipse.
  dsp_arcpath(cr, cx, cy, rx, ry, from, span, kind == dsp_arckind::pie && !whole);
  cairo_close_path(cr);
  dsp_paintpath(*t, outline, fill);
}

[[gnu::always_inline]] inline void dsp_ellipse(bitmap* t, long x, long y, long rx, long ry,
                                               unsigned long outline, unsigned long fill) {
  if (!t || rx <= 0 || ry <= 0 || (dsp_isnone(outline) && dsp_isnone(fill))) return;
  dsp_pen(*t);
  double cx = dsp_px(x), cy = dsp_px(y), m = dsp_margin(*t);
  if (dsp_skip(*t, cx - double(rx) - m, cy - double(ry) - m, cx + double(rx) + m,
               cy + double(ry) + m))
    return;
  if (!t->aa && rx == ry && dsp_rastercircle(*t, x, y, rx, dsp_ink(outline), dsp_ink(fill))) return;
  // An outline alone, as the game's loops are, is blended from the ring cache.
  if (t->aa && rx == ry && dsp_isnone(fill) && dsp_cachedcircle(*t, x, y, rx, outline)) return;
  dsp_arcpath(t->cr, cx, cy, rx, ry, 0, dsp_tau, false);
  dsp_paintpath(*t, outline, fill);
}

}  // namespace

// ---- Line ----------------------------------------------------------------------------

qr_v Line154(qe_b b, qe_l x, qe_l y, qe_l dx, qe_l dy, qe_u colour) {
  dsp_setup();
  dsp_line(dsp_target(b), x, y, dx, dy, colour);
}

qr_v Line155(qe_l x, qe_l y, qe_l dx, qe_l dy, qe_u colour) {
  dsp_setup();
  dsp_line(dsp_win(), x, y, dx, dy, colour);
}

qr_v Line156(qe_l x, qe_l y, qe_l dx, qe_l dy) {
  dsp_setup();
  if (!dsp_isnone(dsp.canvas.pencolour)) dsp_line(dsp_win(), x, y, dx, dy, dsp.canvas.pencolour);
}

// ---- Bar -----------------------------------------------------------------------------

qr_v Bar157(qe_b b, qe_l x, qe_l y, qe_l w, qe_l h, qe_u outline, qe_u fill) {
  dsp_setup();
  dsp_bar(dsp_target(b), x, y, w, h, outline, fill);
}

qr_v Bar158(qe_l x, qe_l y, qe_l w, qe_l h, qe_u outline, qe_u fill) {
  dsp_setup();
  dsp_bar(dsp_win(), x, y, w, h, outline, fill);
}

qr_v Bar159(qe_l x, qe_l y, qe_l w, qe_l h, qe_u colour) {
  dsp_setup();
  dsp_bar(dsp_win(), x, y, w, h, dsp_none, colour);
}

qr_v Bar160(qe_l x, qe_l y, qe_l w, qe_l h) {
  dsp_setup();
  dsp_bar(dsp_win(), x, y, w, h, dsp.canvas.pencolour, dsp.canvas.brushcolour);
}

// ---- Clear ---------------------------------------------------------------------------

qr_v Clear161(qe_b b, qe_u colour) {
  dsp_setup();
  dsp_clear(dsp_target(b), colour);
}

qr_v Clear162(qe_b b) {
  dsp_setup();
  bitmap* t = dsp_target(b);
  if (t) dsp_clear(t, t->bg);
}

qr_v Clear163(qe_u colour) {
  dsp_setup();
  dsp_clear(dsp_win(), colour);
}

qr_v Clear164() {
  dsp_setup();
  dsp_clear(dsp_win(), dsp.canvas.bg);
}

// Every pixel of a bitmap with alpha made fully transparent, so a sprite can be drawn
// afresh into the same bitmap; one without alpha has nothing to make transparent (error 2).
qr_v disp_cleartransparent(qe_b b) {
  dsp_setup();
  dsp_extension ext;
  bitmap* t = dsp_target(b);
  if (!t) return;
  if (!dsp_hasalpha(*t)) {
    dsp_fail(dsp_earg, __func__, "the bitmap has no alpha channel (createbmpalpha makes one)");
    return;
  }
  dsp_clear(t, 0);
  cairo_save(t->cr);
  cairo_set_operator(t->cr, CAIRO_OPERATOR_CLEAR);
  cairo_paint(t->cr);
  cairo_restore(t->cr);
}

// ---- Triangle ------------------------------------------------------------------------

qr_v Triangle165(qe_b b, qe_l x1, qe_l y1, qe_l x2, qe_l y2, qe_l x3, qe_l y3, qe_u outline,
                 qe_u fill) {
  dsp_setup();
  dsp_triangle(dsp_target(b), x1, y1, x2, y2, x3, y3, outline, fill);
}

qr_v Triangle166(qe_l x1, qe_l y1, qe_l x2, qe_l y2, qe_l x3, qe_l y3, qe_u outline, qe_u fill) {
  dsp_setup();
  dsp_triangle(dsp_win(), x1, y1, x2, y2, x3, y3, outline, fill);
}

qr_v Triangle167(qe_l x1, qe_l y1, qe_l x2, qe_l y2, qe_l x3, qe_l y3, qe_u colour) {
  dsp_setup();
  dsp_triangle(dsp_win(), x1, y1, x2, y2, x3, y3, dsp_none, colour);
}

qr_v Triangle168(qe_l x1, qe_l y1, qe_l x2, qe_l y2, qe_l x3, qe_l y3) {
  dsp_setup();
  dsp_triangle(dsp_win(), x1, y1, x2, y2, x3, y3, dsp.canvas.pencolour, dsp.canvas.brushcolour);
}

// ---- Arc, pie, chord -----------------------------------------------------------------

qr_v Arc169(qe_b b, qe_l x, qe_l y, qe_l rx, qe_l ry, qe_d start, qe_d end, qe_u outline,
            qe_u fill) {
  dsp_setup();
  dsp_arcshape(dsp_target(b), dsp_arckind::arc, x, y, rx, ry, start, end, outline, fill);
}

qr_v Arc170(qe_l x, qe_l y, qe_l rx, qe_l ry, qe_d start, qe_d end, qe_u outline, qe_u fill) {
  dsp_setup();
  dsp_arcshape(dsp_win(), dsp_arckind::arc, x, y, rx, ry, start, end, outline, fill);
}

// With one colour an arc is a curve: the colour is its outline.
qr_v Arc171(qe_l x, qe_l y, qe_l rx, qe_l ry, qe_d start, qe_d end, qe_u colour) {
  dsp_setup();
  dsp_arcshape(dsp_win(), dsp_arckind::arc, x, y, rx, ry, start, end, colour, dsp_none);
}

qr_v Arc172(qe_l x, qe_l y, qe_l rx, qe_l ry, qe_d start, qe_d end) {
  dsp_setup();
  dsp_arcshape(dsp_win(), dsp_arckind::arc, x, y, rx, ry, start, end, dsp.canvas.pencolour,
               dsp.canvas.brushcolour);
}

qr_v Pie173(qe_b b, qe_l x, qe_l y, qe_l rx, qe_l ry, qe_d start, qe_d end, qe_u outline,
            qe_u fill) {
  dsp_setup();
  dsp_arcshape(dsp_target(b), dsp_arckind::pie, x, y, rx, ry, start, end, outline, fill);
}

qr_v Pie174(qe_l x, qe_l y, qe_l rx, qe_l ry, qe_d start, qe_d end, qe_u outline, qe_u fill) {
  dsp_setup();
  dsp_arcshape(dsp_win(), dsp_arckind::pie, x, y, rx, ry, start, end, outline, fill);
}

qr_v Pie175(qe_l x, qe_l y, qe_l rx, qe_l ry, qe_d start, qe_d end, qe_u colour) {
  dsp_setup();
  dsp_arcshape(dsp_win(), dsp_arckind::pie, x, y, rx, ry, start, end, dsp_none, colour);
}

qr_v Pie176(qe_l x, qe_l y, qe_l rx, qe_l ry, qe_d start, qe_d end) {
  dsp_setup();
  dsp_arcshape(dsp_win(), dsp_arckind::pie, x, y, rx, ry, start, end, dsp.canvas.pencolour,
               dsp.canvas.brushcolour);
}

qr_v Chord177(qe_b b, qe_l x, qe_l y, qe_l rx, qe_l ry, qe_d start, qe_d end, qe_u outline,
              qe_u fill) {
  dsp_setup();
  dsp_arcshape(dsp_target(b), dsp_arckind::chord, x, y, rx, ry, start, end, outline, fill);
}

qr_v Chord178(qe_l x, qe_l y, qe_l rx, qe_l ry, qe_d start, qe_d end, qe_u outline, qe_u fill) {
  dsp_setup();
  dsp_arcshape(dsp_win(), dsp_arckind::chord, x, y, rx, ry, start, end, outline, fill);
}

qr_v Chord179(qe_l x, qe_l y, qe_l rx, qe_l ry, qe_d start, qe_d end, qe_u colour) {
  dsp_setup();
  dsp_arcshape(dsp_win(), dsp_arckind::chord, x, y, rx, ry, start, end, dsp_none, colour);
}

qr_v Chord180(qe_l x, qe_l y, qe_l rx, qe_l ry, qe_d start, qe_d end) {
  dsp_setup();
  dsp_arcshape(dsp_win(), dsp_arckind::chord, x, y, rx, ry, start, end, dsp.canvas.pencolour,
               dsp.canvas.brushcolour);
}

// ---- Ellipse and circle --------------------------------------------------------------

qr_v Ellipse181(qe_b b, qe_l x, qe_l y, qe_l rx, qe_l ry, qe_u outline, qe_u fill) {
  dsp_setup();
  dsp_ellipse(dsp_target(b), x, y, rx, ry, outline, fill);
}

qr_v Ellipse182(qe_l x, qe_l y, qe_l rx, qe_l ry, qe_u outline, qe_u fill) {
  dsp_setup();
  dsp_ellipse(dsp_win(), x, y, rx, ry, outline, fill);
}

qr_v Ellipse183(qe_l x, qe_l y, qe_l rx, qe_l ry, qe_u colour) {
  dsp_setup();
  dsp_ellipse(dsp_win(), x, y, rx, ry, dsp_none, colour);
}

qr_v Ellipse184(qe_l x, qe_l y, qe_l rx, qe_l ry) {
  dsp_setup();
  dsp_ellipse(dsp_win(), x, y, rx, ry, dsp.canvas.pencolour, dsp.canvas.brushcolour);
}

qr_v Circle185(qe_b b, qe_l x, qe_l y, qe_l r, qe_u outline, qe_u fill) {
  dsp_setup();
  dsp_ellipse(dsp_target(b), x, y, r, r, outline, fill);
}

qr_v Circle186(qe_l x, qe_l y, qe_l r, qe_u outline, qe_u fill) {
  dsp_setup();
  dsp_ellipse(dsp_win(), x, y, r, r, outline, fill);
}

// The ball: a radius of 0 (or less) still shows as one full pixel, so a shrunk ball
// stays visible. Every colour is drawn, 1 included.
qr_v Circle187(qe_l x, qe_l y, qe_l r, qe_u colour) {
  dsp_setup();
  if (!dsp_win()) return;
  if (!dsp.canvas.aa &&
      dsp_rastercircle(dsp.canvas, x, y, r < 0 ? 0 : r, dsp_nocolour, colour & 0xFFFFFF))
    return;
  cairo_t* cr = dsp.canvas.cr;
  if (r <= 0) {
    if (dsp_skip(dsp.canvas, double(x), double(y), double(x) + 1, double(y) + 1)) return;
    cairo_rectangle(cr, double(x), double(y), 1, 1);
  } else {
    double cx = dsp_px(x), cy = dsp_px(y), rr = double(r);
    if (dsp_skip(dsp.canvas, cx - rr - 1, cy - rr - 1, cx + rr + 1, cy + rr + 1)) return;
    cairo_arc(cr, cx, cy, rr, 0, dsp_tau);
  }
  dsp_colour(dsp.canvas, colour);
  cairo_fill(cr);
}

qr_v Circle188(qe_l x, qe_l y, qe_l r) {
  dsp_setup();
  dsp_ellipse(dsp_win(), x, y, r, r, dsp.canvas.pencolour, dsp.canvas.brushcolour);
}
