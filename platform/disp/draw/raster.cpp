// Plain drawing without antialiasing, straight into a target's pixels: Bresenham lines,
// midpoint circles and span fills, each cut exactly at the target's edges; and the switch
// that turns a target's antialiasing off (disp_setantialias).
#include "platform/disp/draw/raster.h"

#include <algorithm>
#include <cstdint>

namespace {

// Coordinates beyond this go to cairo: the integer steps below stay far from overflow.
constexpr long dsp_rastermax = 1L << 28;
// Bigger circles cost many steps for the few of their pixels that can lie on a target.
constexpr long dsp_circlemax = 1L << 16;

inline bool dsp_inrange(long v) { return v >= -dsp_rastermax && v <= dsp_rastermax; }

// A target's pixels opened for direct writing in one colour.
struct dsp_writer {
  uint32_t* base = nullptr;
  std::ptrdiff_t stride = 0;  // in pixels
  long w = 0, h = 0;
  uint32_t px = 0;

  // Pixels (xa..xb, y), both ends included, cut to the target.
  void span(long y, long xa, long xb) const {
    if (y < 0 || y >= h) return;
    xa = std::max(xa, 0L);
    xb = std::min(xb, w - 1);
    if (xa > xb) return;
    uint32_t* row = base + std::ptrdiff_t(y) * stride;
    std::fill(row + xa, row + xb + 1, px);
  }
  void dot(long x, long y) const {
    if (x >= 0 && x < w && y >= 0 && y < h) base[std::ptrdiff_t(y) * stride + x] = px;
  }
};

// Opens t for direct writing, or false when cairo must draw: a canvas larger than its
// logical size, a context the program transformed through GetDraw76, or a surface that is
// not a plain image of t's size.
bool dsp_open(bitmap& t, dsp_writer& wr) {
  if (!dsp_plainpaint(t)) return false;  // see-through colours and blend modes: cairo's
  if (!t.surface || (&t == &dsp.canvas && dsp_scaledcanvas())) return false;
  if (cairo_surface_status(t.surface) != CAIRO_STATUS_SUCCESS) return false;
  cairo_format_t const f = cairo_image_surface_get_format(t.surface);
  if (f != CAIRO_FORMAT_RGB24 && f != CAIRO_FORMAT_ARGB32) return false;
  if (cairo_image_surface_get_width(t.surface) != t.w ||
      cairo_image_surface_get_height(t.surface) != t.h)
    return false;
  if (t.cr) {
    cairo_matrix_t m;
    cairo_get_matrix(t.cr, &m);
    if (m.xx != 1 || m.yy != 1 || m.xy != 0 || m.yx != 0 || m.x0 != 0 || m.y0 != 0) return false;
  }
  cairo_surface_flush(t.surface);
  wr.base = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(t.surface));
  if (!wr.base) return false;
  wr.stride = cairo_image_surface_get_stride(t.surface) / 4;
  wr.w = t.w;
  wr.h = t.h;
  return true;
}

// cairo's own value for an opaque colour, alpha byte included, so a picture with an alpha
// channel gets opaque pixels.
inline uint32_t dsp_pixel(unsigned long colour) {
  return 0xFF000000u | uint32_t(colour & 0xFFFFFF);
}

// Tells cairo which pixels changed: the box [x0, x1] x [y0, y1], cut to the target.
void dsp_dirty(bitmap& t, long x0, long y0, long x1, long y1) {
  x0 = std::max(x0, 0L), y0 = std::max(y0, 0L);
  x1 = std::min(x1, long(t.w) - 1), y1 = std::min(y1, long(t.h) - 1);
  if (x0 <= x1 && y0 <= y1)
    cairo_surface_mark_dirty_rectangle(t.surface, int(x0), int(y0), int(x1 - x0 + 1),
                                       int(y1 - y0 + 1));
}

void dsp_setaa(bitmap& t, bool on) {
  t.aa = on;
  if (t.cr) cairo_set_antialias(t.cr, on ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}

}  // namespace

bool dsp_rasterline(bitmap& t, long x, long y, long dx, long dy, unsigned long colour) {
  if (t.pen != 1 || !dsp_inrange(x) || !dsp_inrange(y) || !dsp_inrange(dx) || !dsp_inrange(dy))
    return false;
  dsp_writer wr;
  if (!dsp_open(t, wr)) return false;
  wr.px = dsp_pixel(colour);
  // Stepped along the major axis a, one pixel a step; the minor axis b moves by the slope,
  // rounded half up: b(i) = b0 + sb * floor((2 i |db| + |da|) / (2 |da|)).
  bool const xmajor = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
  long const a0 = xmajor ? x : y, b0 = xmajor ? y : x;
  long const da = xmajor ? dx : dy, db = xmajor ? dy : dx;
  long const ad = da < 0 ? -da : da, bd = db < 0 ? -db : db;
  long const sa = da < 0 ? -1 : 1, sb = db < 0 ? -1 : 1;
  long const alim = xmajor ? wr.w : wr.h, blim = xmajor ? wr.h : wr.w;
  // The steps whose a lies on the target.
  long ilo, ihi;
  if (sa > 0) {
    ilo = std::max(0L, -a0);
    ihi = std::min(ad, alim - 1 - a0);
  } else {
    ilo = std::max(0L, a0 - (alim - 1));
    ihi = std::min(ad, a0);
  }
  if (ilo > ihi) return true;
  if (ad == 0) {  // a single pixel
    wr.dot(x, y);
    dsp_dirty(t, x, y, x, y);
    return true;
  }
  long const two = 2 * ad;
  long const num = 2 * ilo * bd + ad;
  long r = num % two;
  long b = b0 + sb * (num / two);
  long a = a0 + sa * ilo;
  std::ptrdiff_t const astep = xmajor ? 1 : wr.stride, bstep = xmajor ? wr.stride : 1;
  long const bfirst = b;
  long blast = b;
  for (long i = ilo; i <= ihi; ++i) {
    if (b >= 0 && b < blim) {
      wr.base[std::ptrdiff_t(a) * astep + std::ptrdiff_t(b) * bstep] = wr.px;
      blast = b;
    } else if (sb > 0 ? b >= blim : b < 0) {
      break;  // past the far edge: nothing more of the line is on the target
    }
    a += sa;
    r += 2 * bd;
    if (r >= two) {
      r -= two;
      b += sb;
    }
  }
  long const alo = std::min(a0 + sa * ilo, a - sa), ahi = std::max(a0 + sa * ilo, a - sa);
  long const blo = std::min(bfirst, blast), bhi = std::max(bfirst, blast);
  if (xmajor)
    dsp_dirty(t, alo, blo, ahi, bhi);
  else
    dsp_dirty(t, blo, alo, bhi, ahi);
  return true;
}

bool dsp_rasterbar(bitmap& t, long x, long y, long w, long h, unsigned long outline,
                   unsigned long fill) {
  if (outline != dsp_nocolour && t.pen != 1) return false;
  dsp_writer wr;
  if (!dsp_open(t, wr)) return false;
  // Corners far apart overflow a long when added; the box is worked out wider, then cut.
  __int128 xa = x, xb = __int128(x) + w, ya = y, yb = __int128(y) + h;
  if (xb < xa) std::swap(xa, xb);
  if (yb < ya) std::swap(ya, yb);
  if (xa == xb || ya == yb || xb <= 0 || yb <= 0 || xa >= wr.w || ya >= wr.h) return true;
  // Cut to one pixel beyond each edge: the border pixels beyond it stay beyond it.
  long const x0 = long(std::max<__int128>(xa, -1)), x1 = long(std::min<__int128>(xb, wr.w + 1));
  long const y0 = long(std::max<__int128>(ya, -1)), y1 = long(std::min<__int128>(yb, wr.h + 1));
  if (fill != dsp_nocolour) {
    wr.px = dsp_pixel(fill);
    for (long j = std::max(y0, 0L); j < std::min(y1, wr.h); ++j) wr.span(j, x0, x1 - 1);
  }
  if (outline != dsp_nocolour) {
    wr.px = dsp_pixel(outline);
    wr.span(y0, x0, x1 - 1);
    wr.span(y1 - 1, x0, x1 - 1);
    for (long j = std::max(y0, 0L); j < std::min(y1, wr.h); ++j) {
      wr.dot(x0, j);
      wr.dot(x1 - 1, j);
    }
  }
  dsp_dirty(t, x0, y0, x1 - 1, y1 - 1);
  return true;
}

bool dsp_rastercircle(bitmap& t, long cx, long cy, long r, unsigned long outline,
                      unsigned long fill) {
  if (outline == dsp_nocolour && fill == dsp_nocolour) return true;
  if ((outline != dsp_nocolour && t.pen != 1) || r < 0 || r > dsp_circlemax || !dsp_inrange(cx) ||
      !dsp_inrange(cy))
    return false;
  dsp_writer wr;
  if (!dsp_open(t, wr)) return false;
  if (cx + r < 0 || cy + r < 0 || cx - r >= wr.w || cy - r >= wr.h) return true;
  // The midpoint circle: (px, py) runs through the octant from (r, 0) up to the diagonal,
  // the other seven are its mirror images.
  if (fill != dsp_nocolour) {
    wr.px = dsp_pixel(fill);
    long px = r, py = 0, d = 1 - r;
    while (px >= py) {
      wr.span(cy + py, cx - px, cx + px);
      if (py) wr.span(cy - py, cx - px, cx + px);
      long const ox = px, oy = py;
      ++py;
      if (d < 0) {
        d += 2 * py + 1;
      } else {
        --px;
        d += 2 * (py - px) + 1;
      }
      // The rows at +-ox: drawn once, at their widest, when the octant leaves them.
      if (px != ox) {
        wr.span(cy + ox, cx - oy, cx + oy);
        wr.span(cy - ox, cx - oy, cx + oy);
      }
    }
  }
  if (outline != dsp_nocolour) {
    wr.px = dsp_pixel(outline);
    long px = r, py = 0, d = 1 - r;
    while (px >= py) {
      wr.dot(cx + px, cy + py), wr.dot(cx - px, cy + py);
      wr.dot(cx + px, cy - py), wr.dot(cx - px, cy - py);
      wr.dot(cx + py, cy + px), wr.dot(cx - py, cy + px);
      wr.dot(cx + py, cy - px), wr.dot(cx - py, cy - px);
      ++py;
      if (d < 0) {
        d += 2 * py + 1;
      } else {
        --px;
        d += 2 * (py - px) + 1;
      }
    }
  }
  dsp_dirty(t, cx - r, cy - r, cx + r, cy + r);
  return true;
}

// ---- The switch ------------------------------------------------------------------------

// On the window's picture; kept across windows, as the pen and brush colours are.
qr_v disp_setantialias(qe_bool on) {
  dsp_extension ext;
  dsp_setup();
  dsp_setaa(dsp.canvas, on);
}

qr_v disp_setbmpantialias(qe_b b, qe_bool on) {
  dsp_extension ext;
  dsp_setup();
  if (bitmap* t = dsp_target(b)) dsp_setaa(*t, on);
}
