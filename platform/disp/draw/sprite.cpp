// Sprites: a bitmap, or a part of it, drawn turned about a pivot, scaled and mirrored, in the
// target's blend mode. Unturned and unscaled at whole pixels it is drawbmp itself; quarter
// turns and scales take the source pixel under each pixel's centre, so pixel art stays
// exact; any other turn samples bilinearly where the target's antialiasing is on (soft
// edges), else the nearest pixel. The pixel loops walk each row only where the sprite lies.
#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "platform/disp/draw/pixels.h"
#include "platform/disp/internal.h"

namespace {

// Scales beyond these draw nothing (a sprite of a hundredth of a pixel) or are refused.
constexpr double dsp_scalemin = 1e-4, dsp_scalemax = 16384;
constexpr double dsp_one = 4294967296.0;  // 1.0 in the 32.32 fixed point of the loops

// Each channel of a pixel in a 16-bit lane (blue, red, green, alpha from the bottom), so
// that one multiplication weighs all four: the texels at the part's edges.
inline uint64_t dsp_spread(uint32_t p) { return (p | uint64_t(p) << 24) & 0x00FF00FF00FF00FFull; }
inline uint32_t dsp_pack(uint64_t x) {
  return uint32_t((x & 0x00FF00FFu) | ((x >> 24) & 0xFF00FF00u));
}
// (a * (256 - f) + b * f) / 256 in every lane, f in 0..255.
inline uint64_t dsp_lerp(uint64_t a, uint64_t b, uint32_t f) {
  return ((a * (256 - f) + b * f) >> 8) & 0x00FF00FF00FF00FFull;
}

// The same inside the part, with SSE2: the 2 x 2 texels from q, first down (fy), then
// across (fx), as the edge texels are, so both give the same pixels. Channels in the four
// low 16-bit lanes.
inline __m128i dsp_bilinear(uint32_t const* q, std::ptrdiff_t stride, uint32_t fx, uint32_t fy) {
  __m128i const z = _mm_setzero_si128();
  __m128i const top = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<__m128i const*>(q)), z);
  __m128i const bot =
      _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<__m128i const*>(q + stride)), z);
  __m128i const col =
      _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(top, _mm_set1_epi16(short(256 - fy))),
                                   _mm_mullo_epi16(bot, _mm_set1_epi16(short(fy)))),
                     8);
  short const l = short(256 - fx), r = short(fx);
  __m128i h = _mm_mullo_epi16(col, _mm_set_epi16(r, r, r, r, l, l, l, l));
  return _mm_srli_epi16(_mm_add_epi16(h, _mm_srli_si128(h, 8)), 8);
}

// dsp_over with the same rounding, on a source in 16-bit lanes.
inline uint32_t dsp_overlanes(__m128i s, uint32_t d, bool keepd) {
  __m128i const dd = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(d)), _mm_setzero_si128());
  __m128i const ia = _mm_sub_epi16(_mm_set1_epi16(255), _mm_shufflelo_epi16(s, 0xFF));
  __m128i t = _mm_add_epi16(_mm_mullo_epi16(dd, ia), _mm_set1_epi16(128));
  t = _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
  __m128i const out = _mm_add_epi16(t, s);
  auto const v = uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(out, out)));
  return keepd ? (v & 0xFFFFFF) | (d & 0xFF000000u) : v;
}

inline uint32_t dsp_packlanes(__m128i s) {
  return uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(s, s)));
}

// The part of the source being drawn as premultiplied pixels with alpha: the bitmap's own
// when it has alpha and no colour key, else a copy made so (opaque, the key transparent).
struct dsp_texels {
  uint32_t const* p;
  std::ptrdiff_t stride;
  long w, h;
  std::vector<uint32_t> copy;
  uint32_t at(long i, long j) const {
    return i >= 0 && j >= 0 && i < w && j < h ? p[j * stride + i] : 0;
  }
};

void dsp_texelsof(bitmap& src, long sx, long sy, long sw, long sh, dsp_texels& t) {
  dsp_pixels const s = dsp_pixelsof(src);
  unsigned long const key =
      &src == &dsp.canvas ? 1 : static_cast<dsp_picture const&>(src).key & 0xFFFFFF;
  bool const alpha = dsp_hasalpha(src), keyed = key != 1;
  t.w = sw, t.h = sh;
  if (alpha && !keyed) {
    t.p = s.row(int(sy)) + sx;
    t.stride = s.stride;
    return;
  }
  t.copy.resize(size_t(sw) * size_t(sh));
  for (long j = 0; j < sh; ++j) {
    uint32_t const* row = s.row(int(sy + j)) + sx;
    for (long i = 0; i < sw; ++i) {
      uint32_t const v = alpha ? row[i] : row[i] | 0xFF000000u;
      t.copy[size_t(j * sw + i)] = keyed && (v & 0xFFFFFF) == key ? 0 : v;
    }
  }
  t.p = t.copy.data();
  t.stride = sw;
}

// Where each target pixel's centre (X + 0.5, Y + 0.5) falls in the part, (u, v) = m * (X,
// Y) + origin terms: u = ux * X + uy * Y + u0, v likewise.
struct dsp_inverse {
  double ux, uy, u0, vx, vy, v0;
};

// floor(a / b) for b > 0.
inline int64_t dsp_floordiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The steps k in [from, to) with lo <= u + k * du < hi, narrowed in place; exact, in the
// loops' fixed point, so the pixels inside need no test of their own.
inline void dsp_within(int64_t u, int64_t du, int64_t lo, int64_t hi, int& from, int& to) {
  int64_t a, b;  // k in [a, b)
  if (du == 0) {
    if (u >= lo && u < hi) return;
    to = from;
    return;
  }
  if (du > 0) {
    a = -dsp_floordiv(u - lo, du);  // ceil((lo - u) / du)
    b = dsp_floordiv(hi - 1 - u, du) + 1;
  } else {
    a = dsp_floordiv(u - hi, -du) + 1;
    b = dsp_floordiv(u - lo, -du) + 1;
  }
  int64_t const f = std::max<int64_t>(from, a), e = std::min<int64_t>(to, b);
  if (e <= f) {
    to = from;  // none: a and b may lie far outside int's range, so neither is kept
    return;
  }
  from = int(f), to = int(e);
}

// A position in the 32.32 fixed point, held far enough inside its range that the steps of
// a row cannot overflow; a row that far off the part has no pixel of it anyway.
inline int64_t dsp_fixed(double v) {
  constexpr double most = 2305843009213693952.0;  // 2^61
  return int64_t(std::clamp(v * dsp_one, -most, most));
}

// Draws one sample s (premultiplied, in 16-bit lanes) onto *d.
inline void dsp_put(uint32_t* d, __m128i s, unsigned mode, bool keepd) {
  uint32_t const packed = dsp_packlanes(s);
  if (packed == 0) return;  // nothing: every mode leaves the pixel as it is
  if (mode != dsp_blendnormal)
    *d = dsp_blendpx(mode, packed, *d, keepd);
  else if (packed >> 24 == 255)
    *d = keepd ? (packed & 0xFFFFFF) | (*d & 0xFF000000u) : packed;
  else
    *d = dsp_overlanes(s, *d, keepd);
}

// The bilinear sample at (u, v) near the part's edge: texels outside it are transparent.
inline __m128i dsp_edgesample(dsp_texels const& t, int64_t u, int64_t v) {
  long const i = long(u >> 32), j = long(v >> 32);
  uint32_t const fx = uint32_t(u >> 24) & 0xFF, fy = uint32_t(v >> 24) & 0xFF;
  uint64_t const a = dsp_lerp(dsp_spread(t.at(i, j)), dsp_spread(t.at(i, j + 1)), fy);
  uint64_t const b = dsp_lerp(dsp_spread(t.at(i + 1, j)), dsp_spread(t.at(i + 1, j + 1)), fy);
  return _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(dsp_pack(dsp_lerp(a, b, fx)))),
                           _mm_setzero_si128());
}

// Draws the sprite pixel by pixel over the box [bx0, bx1) x [by0, by1) of d, sampling the
// nearest texel or (smooth) four of them. Each row visits only the pixels whose sample
// touches the part, and the inner ones without a test.
template <bool smooth>
void dsp_spriteloop(dsp_pixels d, bool keepd, dsp_texels const& t, dsp_inverse const& m,
                    unsigned mode, int bx0, int by0, int bx1, int by1) {
  // Bilinear samples weigh the four texels around (u - 0.5, v - 0.5); those outside the
  // part count as transparent, which softens the edges.
  double const shift = smooth ? 0.5 : 0;
  int64_t const one = int64_t(1) << 32, w = t.w, h = t.h;
  int64_t const du = dsp_fixed(m.ux), dv = dsp_fixed(m.vx);
  double const cx = bx0 + 0.5;
  for (int y = by0; y < by1; ++y) {
    double const cy = y + 0.5;
    int64_t u = dsp_fixed(m.ux * cx + m.uy * cy + m.u0 - shift);
    int64_t v = dsp_fixed(m.vx * cx + m.vy * cy + m.v0 - shift);
    int from = 0, to = bx1 - bx0;
    dsp_within(u, du, smooth ? -one : 0, w * one, from, to);
    dsp_within(v, dv, smooth ? -one : 0, h * one, from, to);
    if (from >= to) continue;
    uint32_t* row = d.row(y) + bx0;
    if (!smooth) {
      for (int k = from; k < to; ++k) {
        uint32_t const s = t.p[long((v + k * dv) >> 32) * t.stride + long((u + k * du) >> 32)];
        if (s != 0)
          row[k] = mode == dsp_blendnormal ? dsp_over(s, row[k], keepd)
                                           : dsp_blendpx(mode, s, row[k], keepd);
      }
      continue;
    }
    // Inside: all four texels in the part.
    int in0 = from, in1 = to;
    dsp_within(u, du, 0, (w - 1) * one, in0, in1);
    dsp_within(v, dv, 0, (h - 1) * one, in0, in1);
    if (in0 >= in1) in0 = in1 = to;
    for (int k = from; k < in0; ++k)
      dsp_put(row + k, dsp_edgesample(t, u + k * du, v + k * dv), mode, keepd);
    int64_t uk = u + in0 * du, vk = v + in0 * dv;
    for (int k = in0; k < in1; ++k, uk += du, vk += dv) {
      uint32_t const fx = uint32_t(uk >> 24) & 0xFF, fy = uint32_t(vk >> 24) & 0xFF;
      dsp_put(row + k,
              dsp_bilinear(t.p + long(vk >> 32) * t.stride + long(uk >> 32), t.stride, fx, fy),
              mode, keepd);
    }
    for (int k = in1; k < to; ++k)
      dsp_put(row + k, dsp_edgesample(t, u + k * du, v + k * dv), mode, keepd);
  }
}

bool dsp_finite(disp_sprite const& s) {
  for (double v : {s.x, s.y, s.degrees, s.scalex, s.scaley, s.originx, s.originy})
    if (!std::isfinite(v)) return false;
  return true;
}

// Exact sine and cosine for quarter turns, so that they map pixels onto pixels.
bool dsp_turn(double degrees, double& c, double& s) {
  double r = std::fmod(degrees, 360.0);
  if (r < 0) r += 360.0;
  if (r == 0 || r == 90 || r == 180 || r == 270) {
    int const q = int(r) / 90;
    c = q == 0 ? 1 : q == 2 ? -1 : 0;
    s = q == 1 ? 1 : q == 3 ? -1 : 0;
    return true;
  }
  double const rad = r * (3.141592653589793 / 180.0);
  c = std::cos(rad), s = std::sin(rad);
  return false;
}

void dsp_drawsprite(char const* entry, bitmap* dest, bitmap* src, disp_sprite const* how) {
  if (!dest || !dsp_liveof(src, entry)) return;
  if (!how) return dsp_fail(dsp_earg, entry, "the sprite's description is null");
  disp_sprite const& sp = *how;
  if (!dsp_finite(sp)) return dsp_fail(dsp_earg, entry, "a number of the sprite is not finite");
  if (dest == src) return dsp_fail(dsp_earg, entry, "a bitmap cannot be drawn onto itself");
  if (sp.sx < 0 || sp.sy < 0 || sp.sx >= src->w || sp.sy >= src->h || sp.sw < 0 || sp.sh < 0)
    return dsp_fail(dsp_earg, entry,
                    "the part (%ld, %ld) %ld x %ld is not inside the %d x %d bitmap", sp.sx, sp.sy,
                    sp.sw, sp.sh, src->w, src->h);
  long const sw = sp.sw == 0 ? src->w - sp.sx : std::min(sp.sw, src->w - sp.sx);
  long const sh = sp.sh == 0 ? src->h - sp.sy : std::min(sp.sh, src->h - sp.sy);
  double const kx = sp.scalex == 0 ? 1 : sp.scalex, ky = sp.scaley == 0 ? 1 : sp.scaley;
  if (std::abs(kx) > dsp_scalemax || std::abs(ky) > dsp_scalemax)
    return dsp_fail(dsp_earg, entry, "a scale beyond %g is refused", dsp_scalemax);
  if (std::abs(kx) < dsp_scalemin || std::abs(ky) < dsp_scalemin) return;  // too small to show
  double c, s;
  bool const quarter = dsp_turn(sp.degrees, c, s);
  // Unturned, unscaled, unmirrored, at whole pixels: drawbmp's own way, pixel for pixel.
  double const left = sp.x - sp.originx, top = sp.y - sp.originy;
  if (quarter && c == 1 && kx == 1 && ky == 1 && !sp.flipx && !sp.flipy &&
      left == std::floor(left) && top == std::floor(top) && std::abs(left) < dsp_xymax &&
      std::abs(top) < dsp_xymax)
    return dsp_drawpart(entry, dest, src, long(left), long(top), sp.sx, sp.sy, sw, sh);
  // The box the turned part covers on the target: its corners, p = pos + R S (q - origin).
  double bx0 = HUGE_VAL, by0 = HUGE_VAL, bx1 = -HUGE_VAL, by1 = -HUGE_VAL;
  for (int k = 0; k < 4; ++k) {
    double const qx = ((k & 1) ? double(sw) : 0) - sp.originx;
    double const qy = ((k & 2) ? double(sh) : 0) - sp.originy;
    double const px = sp.x + c * kx * qx - s * ky * qy, py = sp.y + s * kx * qx + c * ky * qy;
    bx0 = std::min(bx0, px), bx1 = std::max(bx1, px), by0 = std::min(by0, py),
    by1 = std::max(by1, py);
  }
  bx0 = std::max(std::floor(bx0), 0.0), by0 = std::max(std::floor(by0), 0.0);
  bx1 = std::min(std::ceil(bx1), double(dest->w)), by1 = std::min(std::ceil(by1), double(dest->h));
  if (!(bx0 < bx1 && by0 < by1)) return;
  // The way back, from a target point to the part: q = S^-1 R^-1 (p - pos) + origin, then
  // mirrored within the part.
  double const fx = sp.flipx ? -1 : 1, fy = sp.flipy ? -1 : 1;
  dsp_inverse m;
  m.ux = fx * c / kx, m.uy = fx * s / kx;
  m.vx = -fy * s / ky, m.vy = fy * c / ky;
  m.u0 = fx * ((-c * sp.x - s * sp.y) / kx + sp.originx) + (sp.flipx ? double(sw) : 0);
  m.v0 = fy * ((s * sp.x - c * sp.y) / ky + sp.originy) + (sp.flipy ? double(sh) : 0);
  try {
    dsp_texels t;
    dsp_texelsof(*src, sp.sx, sp.sy, sw, sh, t);
    dsp_pixels const d = dsp_pixelsof(*dest);
    auto const loop = !quarter && dest->aa ? dsp_spriteloop<true> : dsp_spriteloop<false>;
    loop(d, !dsp_hasalpha(*dest), t, m, dest->blend, int(bx0), int(by0), int(bx1), int(by1));
  } catch (std::bad_alloc const&) {
    return dsp_fail(dsp_enomem, entry, "no memory for a %ld x %ld sprite", sw, sh);
  }
  dsp_changed(*dest, int(bx0), int(by0), int(bx1 - bx0), int(by1 - by0));
}

}  // namespace

qr_v disp_drawsprite(qe_b dest, qe_b src, qe_sp how) {
  dsp_extension ext;
  dsp_setup();
  dsp_drawsprite(__func__, dsp_target(dest), src, how);
}

qr_v disp_drawspriteonwin(qe_b src, qe_sp how) {
  dsp_extension ext;
  dsp_setup();
  dsp_drawsprite(__func__, dsp_win(), src, how);
}
