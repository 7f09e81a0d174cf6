// Outlined circles from a cache: the coverage of a stroked circle is the same wherever its
// centre pixel lies, so each radius and pen is rasterised by cairo once and then blended.
// Stroking was three quarters of the game's drawing; blending a kept ring costs a tenth.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_map>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/disp/internal.h"

namespace {

// Larger circles are drawn by cairo every time: their masks would cost megabytes.
constexpr long dsp_ringmax = 1024;
constexpr size_t dsp_ringslots = 256;

// One stroked circle as runs of non-zero coverage, row by row, around the centre pixel
// (c, c) of its own square.
struct dsp_ring {
  struct run {
    int x, n;     // first column and length
    uint32_t at;  // index of its first coverage byte
  };
  int c = 0;
  std::vector<uint32_t> rows;  // runs of row j: runs[rows[j]] .. runs[rows[j + 1] - 1]
  std::vector<run> runs;
  std::vector<uint8_t> cover;
};

// DISP_CACHE=0 draws every circle through cairo: the reference the cache is tested against.
bool dsp_cacheon() { return dsp.env.cache; }

// Strokes the circle with exactly the canvas's settings onto an alpha-only picture: an
// opaque source there stores the coverage itself (cairo's blend of a onto 0 gives a).
std::unique_ptr<dsp_ring> dsp_makering(long r, double pen) {
  auto ring = std::make_unique<dsp_ring>();
  int c = int(r) + int(pen / 2) + 3;
  int side = 2 * c + 1;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, side, side);
  cairo_t* cr = cairo_create(s);
  cairo_set_tolerance(cr, 0.5);
  cairo_set_line_width(cr, pen);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_arc(cr, double(c) + 0.5, double(c) + 0.5, double(r), 0, 6.283185307179586);
  cairo_stroke(cr);
  bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
  cairo_destroy(cr);
  cairo_surface_flush(s);
  if (ok && cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
    unsigned char const* p = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    ring->c = c;
    ring->rows.reserve(size_t(side) + 1);
    for (int j = 0; j < side; ++j) {
      ring->rows.push_back(uint32_t(ring->runs.size()));
      unsigned char const* row = p + size_t(j) * size_t(stride);
      for (int i = 0; i < side;) {
        if (!row[i]) {
          ++i;
          continue;
        }
        // A run takes in short gaps and is padded to whole groups of four: a coverage
        // of 0 leaves a pixel as it is, and the blend then needs no odd tail.
        int from = i, to = i;
        while (i < side && i - to < 8) {
          if (row[i]) to = i + 1;
          ++i;
        }
        i = to;
        while ((to - from) % 4 && to < side) ++to;
        while ((to - from) % 4 && from > 0) --from;
        ring->runs.push_back({from, to - from, uint32_t(ring->cover.size())});
        i = std::max(i, to);
        ring->cover.insert(ring->cover.end(), row + from, row + to);
      }
    }
    ring->rows.push_back(uint32_t(ring->runs.size()));
  } else {
    ring.reset();
  }
  cairo_surface_destroy(s);
  return ring;
}

// cairo's own blend of an opaque colour at coverage a (its span renderer for 32-bit
// pictures), so that a cached ring leaves the very bytes a stroke would.
inline uint32_t dsp_mul2(uint32_t v, uint32_t a) {
  uint32_t t = (v & 0x00FF00FFu) * a + 0x007F007Fu;
  return ((t + ((t >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
}
inline uint32_t dsp_add2(uint32_t a, uint32_t b) {
  uint32_t t = a + b;
  t |= 0x01000100u - ((t >> 8) & 0x00FF00FFu);
  return t & 0x00FF00FFu;
}
inline uint32_t dsp_lerp(uint32_t src, uint32_t a, uint32_t dst) {
  uint32_t na = 255 - a;
  return dsp_add2(dsp_mul2(src, a), dsp_mul2(dst, na)) |
         dsp_add2(dsp_mul2(src >> 8, a), dsp_mul2(dst >> 8, na)) << 8;
}

// The same blend on a run of n pixels, four at a time in 16-bit lanes (every product of
// two bytes plus 0x7F fits in 16 bits; cairo's saturating add is a min with 255).
void dsp_blendrun(uint32_t* d, uint8_t const* cov, long n, uint32_t pixel) {
  long i = 0;
#if defined(__SSE2__)
  __m128i const zero = _mm_setzero_si128(), half = _mm_set1_epi16(0x7F), full = _mm_set1_epi16(255);
  __m128i const s = _mm_unpacklo_epi8(_mm_set1_epi32(int(pixel)), zero);
  auto mul = [&](__m128i v, __m128i a) {
    __m128i t = _mm_add_epi16(_mm_mullo_epi16(v, a), half);
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
  };
  for (; i + 4 <= n; i += 4) {
    uint32_t a4;
    std::memcpy(&a4, cov + i, 4);
    __m128i c = _mm_cvtsi32_si128(int(a4));
    c = _mm_unpacklo_epi8(c, c);
    c = _mm_unpacklo_epi16(c, c);  // each coverage byte once per channel
    __m128i alo = _mm_unpacklo_epi8(c, zero), ahi = _mm_unpackhi_epi8(c, zero);
    __m128i dv = _mm_loadu_si128(reinterpret_cast<__m128i const*>(d + i));
    __m128i dlo = _mm_unpacklo_epi8(dv, zero), dhi = _mm_unpackhi_epi8(dv, zero);
    __m128i lo =
        _mm_min_epi16(_mm_add_epi16(mul(s, alo), mul(dlo, _mm_sub_epi16(full, alo))), full);
    __m128i hi =
        _mm_min_epi16(_mm_add_epi16(mul(s, ahi), mul(dhi, _mm_sub_epi16(full, ahi))), full);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(lo, hi));
  }
#endif
  for (; i < n; ++i) d[i] = dsp_lerp(pixel, cov[i], d[i]);
}

// Per thread, so that threads drawing on bitmaps of their own need no lock.
std::unordered_map<uint64_t, std::unique_ptr<dsp_ring>>& dsp_rings() {
  thread_local std::unordered_map<uint64_t, std::unique_ptr<dsp_ring>> rings;
  return rings;
}

}  // namespace

bool dsp_cachedcircle(bitmap& t, long x, long y, long r, unsigned long colour) {
  if (!dsp_cacheon() || r > dsp_ringmax || t.pen != double(long(t.pen))) return false;
  if (cairo_status(t.cr) != CAIRO_STATUS_SUCCESS ||
      cairo_image_surface_get_format(t.surface) != CAIRO_FORMAT_RGB24)
    return false;
  // The rings are coverage in device pixels at scale 1: a canvas drawn larger than its
  // logical size (a scaled window) is stroked by cairo as usual.
  double sx = 1, sy = 1;
  cairo_surface_get_device_scale(t.surface, &sx, &sy);
  cairo_matrix_t m;
  cairo_get_matrix(t.cr, &m);
  if (sx != 1 || sy != 1 || m.xx != 1 || m.yy != 1 || m.xy != 0 || m.yx != 0 || m.x0 != 0 ||
      m.y0 != 0 || cairo_image_surface_get_width(t.surface) != t.w ||
      cairo_image_surface_get_height(t.surface) != t.h)
    return false;
  auto& rings = dsp_rings();
  uint64_t key = uint64_t(r) << 16 | uint64_t(t.pen);
  auto it = rings.find(key);
  if (it == rings.end()) {
    if (rings.size() >= dsp_ringslots) rings.clear();
    it = rings.emplace(key, dsp_makering(r, t.pen)).first;
  }
  dsp_ring const* ring = it->second.get();
  if (!ring) return false;

  // Only whole circles: cairo strokes the parts of a path beyond the picture's edge more
  // coarsely (a curve wholly outside becomes a line), and that shows inside too.
  long ox = x - ring->c, oy = y - ring->c;
  long side = long(ring->rows.size()) - 1;
  if (ox < 0 || oy < 0 || ox + side > t.w || oy + side > t.h) return false;
  long j0 = 0, j1 = side;
  cairo_surface_flush(t.surface);
  unsigned char* data = cairo_image_surface_get_data(t.surface);
  int stride = cairo_image_surface_get_stride(t.surface);
  // cairo fills with the colour's pixel, alpha byte included.
  uint32_t const pixel = 0xFF000000u | uint32_t(colour & 0xFFFFFF);
  long xlo = t.w, xhi = 0;
  for (long j = j0; j < j1; ++j) {
    uint32_t* row = reinterpret_cast<uint32_t*>(data + size_t(oy + j) * size_t(stride));
    for (uint32_t k = ring->rows[size_t(j)]; k < ring->rows[size_t(j) + 1]; ++k) {
      dsp_ring::run const& run = ring->runs[k];
      long a = ox + run.x, b = a + run.n;
      uint8_t const* cov = ring->cover.data() + run.at;
      xlo = std::min(xlo, a);
      xhi = std::max(xhi, b);
      dsp_blendrun(row + a, cov, b - a, pixel);
    }
  }
  if (xlo < xhi)
    cairo_surface_mark_dirty_rectangle(t.surface, int(xlo), int(oy + j0), int(xhi - xlo),
                                       int(j1 - j0));
  return true;
}
