// The sprite's pixel loops: rows cut to the part exactly in fixed point, bilinear samples
// with each channel in a 16-bit lane, and the inside of a smooth row in the normal blend
// taken several pixels at a time.
#include "platform/disp/draw/sprite_simd.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include <algorithm>

#include "platform/disp/draw/pixels.h"

namespace {

constexpr int64_t dsp_one = int64_t(1) << 32;  // 1.0 in the 32.32 fixed point of the loops

// Each channel of a pixel in a 16-bit lane (blue, red, green, alpha from the bottom), so
// that one multiplication weighs all four.
inline uint64_t dsp_spread(uint32_t p) { return (p | uint64_t(p) << 24) & 0x00FF00FF00FF00FFull; }
inline uint32_t dsp_pack(uint64_t x) {
  return uint32_t((x & 0x00FF00FFu) | ((x >> 24) & 0xFF00FF00u));
}
// (a * (256 - f) + b * f) / 256 in every lane, f in 0..255.
inline uint64_t dsp_lerp(uint64_t a, uint64_t b, uint32_t f) {
  return ((a * (256 - f) + b * f) >> 8) & 0x00FF00FF00FF00FFull;
}

// The bilinear sample of the texels top-left, top-right, bottom-left, bottom-right: first
// down (fy), then across (fx), each step rounded down. Every loop weighs this way, so all
// give the same pixels.
inline uint32_t dsp_bilerp(uint32_t tl, uint32_t tr, uint32_t bl, uint32_t br, uint32_t fx,
                           uint32_t fy) {
  uint64_t const a = dsp_lerp(dsp_spread(tl), dsp_spread(bl), fy);
  uint64_t const b = dsp_lerp(dsp_spread(tr), dsp_spread(br), fy);
  return dsp_pack(dsp_lerp(a, b, fx));
}

// The bilinear sample at (u, v) near the part's edge: texels outside it are transparent.
inline uint32_t dsp_edgesample(dsp_texels const& t, int64_t u, int64_t v) {
  long const i = long(u >> 32), j = long(v >> 32);
  uint32_t const fx = uint32_t(u >> 24) & 0xFF, fy = uint32_t(v >> 24) & 0xFF;
  return dsp_bilerp(t.at(i, j), t.at(i + 1, j), t.at(i, j + 1), t.at(i + 1, j + 1), fx, fy);
}

// Source over destination as dsp_over rounds it, each channel held at 255 as a saturating
// pack holds it: a sample whose colour exceeds its alpha gives the same pixel in every loop.
inline uint32_t dsp_oversat(uint32_t s, uint32_t d, bool keepd) {
  uint32_t const ia = 255 - (s >> 24);
  uint32_t out = keepd ? d & 0xFF000000u : 0;
  for (int sh = keepd ? 16 : 24; sh >= 0; sh -= 8)
    out |= std::min<uint32_t>(255, ((s >> sh) & 0xFF) + dsp_mul8((d >> sh) & 0xFF, ia)) << sh;
  return out;
}

// Draws one smooth sample s (premultiplied) onto *d.
inline void dsp_put(uint32_t* d, uint32_t s, unsigned mode, bool keepd) {
  if (s == 0) return;  // nothing: every mode leaves the pixel as it is
  if (mode != dsp_blendnormal)
    *d = dsp_blendpx(mode, s, *d, keepd);
  else if (s >> 24 == 255)
    *d = keepd ? (s & 0xFFFFFF) | (*d & 0xFF000000u) : s;
  else
    *d = dsp_oversat(s, *d, keepd);
}

// floor(a / b) for b > 0, by one division and no branch: a remainder below 0 says the
// quotient, rounded towards 0, lies one above the floor.
inline int64_t dsp_floordiv(int64_t a, int64_t b) {
  int64_t const q = a / b, r = a % b;
  return q - (r < 0);
}

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
  return int64_t(std::clamp(v * 4294967296.0, -most, most));
}

// One row of the box: where its first pixel samples (u, v), the pixels [from, to) whose
// sample touches the part and, smooth, [in0, in1) those whose four texels all lie inside.
struct dsp_rowspan {
  int64_t u, v;
  int from, to, in0, in1;
};

// The row y of the job; false when no pixel of it touches the part. Bilinear samples weigh
// the four texels around (u - 0.5, v - 0.5); those outside the part count as transparent,
// which softens the edges.
template <bool fast>
bool dsp_rowof(dsp_spritejob const& j, int64_t du, int64_t dv, int y, dsp_rowspan& r) {
  double const shift = j.smooth ? 0.5 : 0;
  double const cx = j.x0 + 0.5, cy = y + 0.5;
  dsp_inverse const& m = j.m;
  r.u = dsp_fixed(m.ux * cx + m.uy * cy + m.u0 - shift);
  r.v = dsp_fixed(m.vx * cx + m.vy * cy + m.v0 - shift);
  r.from = 0, r.to = j.x1 - j.x0;
  dsp_within(r.u, du, j.smooth ? -dsp_one : 0, j.t->w * dsp_one, r.from, r.to);
  dsp_within(r.v, dv, j.smooth ? -dsp_one : 0, j.t->h * dsp_one, r.from, r.to);
  if (r.from >= r.to) return false;
  r.in0 = r.from, r.in1 = r.to;
  if (!j.smooth || (fast && j.t->ringed)) return true;  // the ring holds every sample's texels
  dsp_within(r.u, du, 0, (j.t->w - 1) * dsp_one, r.in0, r.in1);
  dsp_within(r.v, dv, 0, (j.t->h - 1) * dsp_one, r.in0, r.in1);
  if (r.in0 >= r.in1) r.in0 = r.in1 = r.to;
  return true;
}

// The nearest texel of each pixel: exact quarter turns and scales, and any turn unsmoothed.
void dsp_nearestrow(dsp_spritejob const& j, uint32_t* row, dsp_rowspan const& r, int64_t du,
                    int64_t dv) {
  dsp_texels const& t = *j.t;
  for (int k = r.from; k < r.to; ++k) {
    uint32_t const s = t.p[long((r.v + k * dv) >> 32) * t.stride + long((r.u + k * du) >> 32)];
    if (s != 0)
      row[k] = j.mode == dsp_blendnormal ? dsp_over(s, row[k], j.keepd)
                                         : dsp_blendpx(j.mode, s, row[k], j.keepd);
  }
}

// Smooth pixels [k0, k1) of a row that may reach past the part's edges.
void dsp_edgerow(dsp_spritejob const& j, uint32_t* row, dsp_rowspan const& r, int64_t du,
                 int64_t dv, int k0, int k1) {
  for (int k = k0; k < k1; ++k)
    dsp_put(row + k, dsp_edgesample(*j.t, r.u + k * du, r.v + k * dv), j.mode, j.keepd);
}

// Smooth pixels [k0, k1) of a row whose four texels all lie inside the part, one by one.
void dsp_insiderow(dsp_spritejob const& j, uint32_t* row, int64_t u, int64_t v, int64_t du,
                   int64_t dv, int k0, int k1) {
  dsp_texels const& t = *j.t;
  for (int k = k0; k < k1; ++k, u += du, v += dv) {
    uint32_t const* q = t.p + long(v >> 32) * t.stride + long(u >> 32);
    uint32_t const s = dsp_bilerp(q[0], q[1], q[t.stride], q[t.stride + 1],
                                  uint32_t(u >> 24) & 0xFF, uint32_t(v >> 24) & 0xFF);
    dsp_put(row + k, s, j.mode, j.keepd);
  }
}

#if defined(__SSE2__)
// The texel pairs at p and q interleaved: p[0], q[0], p[1], q[1]. One unpack then gives
// the left texels of both pixels, another the right ones.
inline __m128i dsp_pairs(uint32_t const* p, uint32_t const* q) {
  return _mm_unpacklo_epi32(_mm_loadl_epi64(reinterpret_cast<__m128i const*>(p)),
                            _mm_loadl_epi64(reinterpret_cast<__m128i const*>(q)));
}

// (a * (256 - w) + b * w) / 256 in each 16-bit lane, as dsp_lerp.
inline __m128i dsp_lerp16(__m128i a, __m128i b, __m128i w) {
  __m128i const l = _mm_sub_epi16(_mm_set1_epi16(256), w);
  return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(a, l), _mm_mullo_epi16(b, w)), 8);
}

// Two samples s (16-bit lanes, a pixel in each half) over two target pixels d, rounded as
// dsp_over; a transparent sample leaves its pixel, an opaque one replaces it, both exactly.
inline __m128i dsp_over16(__m128i s, __m128i d) {
  __m128i const alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
  __m128i t = _mm_add_epi16(_mm_mullo_epi16(d, _mm_sub_epi16(_mm_set1_epi16(255), alpha)),
                            _mm_set1_epi16(128));
  t = _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
  return _mm_add_epi16(t, s);
}

// Each of four fractions (the top bytes of the 32-bit lanes of f) in the four 16-bit lanes
// of its pixel: pixels 0 and 1 in lo, 2 and 3 in hi.
inline void dsp_weights(__m128i f, __m128i& lo, __m128i& hi) {
  __m128i w = _mm_srli_epi32(f, 24);
  w = _mm_packs_epi32(w, w);
  w = _mm_unpacklo_epi16(w, w);
  lo = _mm_unpacklo_epi32(w, w), hi = _mm_unpackhi_epi32(w, w);
}

// A walk along a row inside the part: where the next pixel samples, in the 32.32 fixed
// point.
struct dsp_walk {
  uint32_t const* p;
  std::ptrdiff_t stride;
  int64_t u, v, du, dv;
  uint32_t const* here() const { return p + long(v >> 32) * stride + long(u >> 32); }
  void step() { u += du, v += dv; }
  // The texel pairs of the next two pixels, interleaved as dsp_pairs gives them: those of
  // the row above in top, below in bot. One pixel at a time, so that few registers are
  // held.
  void twopixels(__m128i& top, __m128i& bot) {
    uint32_t const* a = here();
    step();
    uint32_t const* b = here();
    step();
    top = dsp_pairs(a, b), bot = dsp_pairs(a + stride, b + stride);
  }
};

// The low halves of u + i * du for the pixels i = 0, 1, 2, ... of a run: the fractions are
// their top bytes, and they step as 32-bit lanes do.
inline __m128i dsp_fractions(int64_t u, int64_t du) {
  uint32_t const l = uint32_t(u), dl = uint32_t(du);
  return _mm_setr_epi32(int(l), int(l + dl), int(l + 2 * dl), int(l + 3 * dl));
}

// Pixels [k0, k1) of a row inside the part in the normal blend, four at a time, without a
// branch on the pixels: see-through and opaque samples fall out of the same sums. Returns
// the first pixel left (fewer than four remain).
int dsp_insiderow4(dsp_spritejob const& j, uint32_t* row, dsp_walk& along, int k0, int k1) {
  dsp_walk walk = along;  // a copy the stores cannot alias, kept in registers
  __m128i const z = _mm_setzero_si128();
  // The target's top bytes stay where it has no alpha.
  __m128i const keep = j.keepd ? _mm_set1_epi32(int(0xFF000000u)) : z;
  __m128i fu = dsp_fractions(walk.u, walk.du), fv = dsp_fractions(walk.v, walk.dv);
  __m128i const step_u = _mm_set1_epi32(int(uint32_t(4 * walk.du))),
                step_v = _mm_set1_epi32(int(uint32_t(4 * walk.dv)));
  int k = k0;
  for (; k + 4 <= k1; k += 4) {
    __m128i top01, bot01, top23, bot23;
    walk.twopixels(top01, bot01);
    walk.twopixels(top23, bot23);
    __m128i wx01, wx23, wy01, wy23;
    dsp_weights(fu, wx01, wx23);
    dsp_weights(fv, wy01, wy23);
    __m128i const s01 = dsp_lerp16(
        dsp_lerp16(_mm_unpacklo_epi8(top01, z), _mm_unpacklo_epi8(bot01, z), wy01),
        dsp_lerp16(_mm_unpackhi_epi8(top01, z), _mm_unpackhi_epi8(bot01, z), wy01), wx01);
    __m128i const s23 = dsp_lerp16(
        dsp_lerp16(_mm_unpacklo_epi8(top23, z), _mm_unpacklo_epi8(bot23, z), wy23),
        dsp_lerp16(_mm_unpackhi_epi8(top23, z), _mm_unpackhi_epi8(bot23, z), wy23), wx23);
    __m128i* const out = reinterpret_cast<__m128i*>(row + k);
    __m128i const d = _mm_loadu_si128(out);
    __m128i const o = _mm_packus_epi16(dsp_over16(s01, _mm_unpacklo_epi8(d, z)),
                                       dsp_over16(s23, _mm_unpackhi_epi8(d, z)));
    _mm_storeu_si128(out, _mm_or_si128(_mm_andnot_si128(keep, o), _mm_and_si128(keep, d)));
    fu = _mm_add_epi32(fu, step_u), fv = _mm_add_epi32(fv, step_v);
  }
  along = walk;
  return k;
}

// The same with AVX2, eight pixels at a time: each 128-bit half works as the SSE2 loop does,
// pixels 0, 1, 2, 3 in the low half and 4, 5, 6, 7 in the high one.
#define DSP_AVX2 __attribute__((target("avx2")))

DSP_AVX2 inline __m256i dsp_lerp16(__m256i a, __m256i b, __m256i w) {
  __m256i const l = _mm256_sub_epi16(_mm256_set1_epi16(256), w);
  return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(a, l), _mm256_mullo_epi16(b, w)), 8);
}

DSP_AVX2 inline __m256i dsp_over16(__m256i s, __m256i d) {
  __m256i const alpha = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s, 0xFF), 0xFF);
  __m256i t =
      _mm256_add_epi16(_mm256_mullo_epi16(d, _mm256_sub_epi16(_mm256_set1_epi16(255), alpha)),
                       _mm256_set1_epi16(128));
  t = _mm256_srli_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), 8);
  return _mm256_add_epi16(t, s);
}

DSP_AVX2 inline void dsp_weights(__m256i f, __m256i& lo, __m256i& hi) {
  __m256i w = _mm256_srli_epi32(f, 24);
  w = _mm256_packs_epi32(w, w);
  w = _mm256_unpacklo_epi16(w, w);
  lo = _mm256_unpacklo_epi32(w, w), hi = _mm256_unpackhi_epi32(w, w);
}

// lo in the low half, hi in the high one.
DSP_AVX2 inline __m256i dsp_halves(__m128i lo, __m128i hi) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
}

// The fractions of eight pixels from those of the first four.
DSP_AVX2 inline __m256i dsp_fractions(__m128i f, int64_t du) {
  return dsp_halves(f, _mm_add_epi32(f, _mm_set1_epi32(int(uint32_t(4 * du)))));
}

// Eight samples, from the texel pairs above (top) and below (bot) pixels 0, 1 | 4, 5 (a) and
// 2, 3 | 6, 7 (b), weighed by the fractions in fu and fv, over the target's pixels d; the
// bytes set in keep stay as d has them.
DSP_AVX2 inline __m256i dsp_eight(__m256i topa, __m256i topb, __m256i bota, __m256i botb,
                                  __m256i fu, __m256i fv, __m256i d, __m256i keep) {
  __m256i const z = _mm256_setzero_si256();
  __m256i wxa, wxb, wya, wyb;
  dsp_weights(fu, wxa, wxb);
  dsp_weights(fv, wya, wyb);
  __m256i const sa = dsp_lerp16(
      dsp_lerp16(_mm256_unpacklo_epi8(topa, z), _mm256_unpacklo_epi8(bota, z), wya),
      dsp_lerp16(_mm256_unpackhi_epi8(topa, z), _mm256_unpackhi_epi8(bota, z), wya), wxa);
  __m256i const sb = dsp_lerp16(
      dsp_lerp16(_mm256_unpacklo_epi8(topb, z), _mm256_unpacklo_epi8(botb, z), wyb),
      dsp_lerp16(_mm256_unpackhi_epi8(topb, z), _mm256_unpackhi_epi8(botb, z), wyb), wxb);
  __m256i const o = _mm256_packus_epi16(dsp_over16(sa, _mm256_unpacklo_epi8(d, z)),
                                        dsp_over16(sb, _mm256_unpackhi_epi8(d, z)));
  return _mm256_or_si256(_mm256_andnot_si256(keep, o), _mm256_and_si256(keep, d));
}

// The texel pairs of eight pixels in dsp_eight's order, from two of dsp_walk::twopixels
// each for pixels 0, 1 | 2, 3 | 4, 5 | 6, 7.
DSP_AVX2 inline void dsp_gather(__m128i const (&top)[4], __m128i const (&bot)[4], __m256i& topa,
                                __m256i& topb, __m256i& bota, __m256i& botb) {
  topa = dsp_halves(top[0], top[2]), topb = dsp_halves(top[1], top[3]);
  bota = dsp_halves(bot[0], bot[2]), botb = dsp_halves(bot[1], bot[3]);
}

// The n pixels of a row inside the part from the walk's place on, eight at a time, and the
// last few as eight more: their lanes past the run sample its last pixel again and are
// neither read from nor written to the target.
DSP_AVX2 inline void dsp_insiderow8(dsp_spritejob const& j, uint32_t* row, dsp_walk walk, int n) {
  __m256i const keep = j.keepd ? _mm256_set1_epi32(int(0xFF000000u)) : _mm256_setzero_si256();
  __m256i fu = dsp_fractions(dsp_fractions(walk.u, walk.du), walk.du),
          fv = dsp_fractions(dsp_fractions(walk.v, walk.dv), walk.dv);
  __m256i const step_u = _mm256_set1_epi32(int(uint32_t(8 * walk.du))),
                step_v = _mm256_set1_epi32(int(uint32_t(8 * walk.dv)));
  __m128i top[4], bot[4];
  __m256i ta, tb, ba, bb;
  int k = 0;
  for (; k + 8 <= n; k += 8) {
    for (int i = 0; i < 4; ++i) walk.twopixels(top[i], bot[i]);
    dsp_gather(top, bot, ta, tb, ba, bb);
    __m256i* const out = reinterpret_cast<__m256i*>(row + k);
    _mm256_storeu_si256(out, dsp_eight(ta, tb, ba, bb, fu, fv, _mm256_loadu_si256(out), keep));
    fu = _mm256_add_epi32(fu, step_u), fv = _mm256_add_epi32(fv, step_v);
  }
  int const left = n - k;
  if (left > 0) {
    uint32_t const* q[8];
    for (int i = 0; i < 8; ++i) {
      q[i] = walk.here();
      if (i + 1 < left) walk.step();
    }
    for (int i = 0; i < 4; ++i)
      top[i] = dsp_pairs(q[2 * i], q[2 * i + 1]),
      bot[i] = dsp_pairs(q[2 * i] + walk.stride, q[2 * i + 1] + walk.stride);
    dsp_gather(top, bot, ta, tb, ba, bb);
    __m256i const in =
        _mm256_cmpgt_epi32(_mm256_set1_epi32(left), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    int* const out = reinterpret_cast<int*>(row + k);
    _mm256_maskstore_epi32(out, in,
                           dsp_eight(ta, tb, ba, bb, fu, fv, _mm256_maskload_epi32(out, in), keep));
  }
}

// The insides of a batch of rows (see dsp_rows), all in one call.
DSP_AVX2 void dsp_insiderows8(dsp_spritejob const& j, dsp_rowspan const* spans, int n, int y0,
                              int64_t du, int64_t dv) {
  for (int i = 0; i < n; ++i) {
    dsp_rowspan const& r = spans[i];
    if (r.from >= r.to || r.in0 >= r.in1) continue;
    dsp_walk const walk = {j.t->p, j.t->stride, r.u + r.in0 * du, r.v + r.in0 * dv, du, dv};
    dsp_insiderow8(j, j.d.row(y0 + i) + j.x0 + r.in0, walk, r.in1 - r.in0);
  }
}

// Whether this processor has AVX2, asked once.
bool dsp_hasavx2() {
  static bool const has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
}
#endif

// Both loops walk the same rows and spans; `fast` takes the inside of smooth rows without
// the edge tests.
template <bool fast>
void dsp_rows(dsp_spritejob const& j, [[maybe_unused]] bool avx2) {
  int64_t const du = dsp_fixed(j.m.ux), dv = dsp_fixed(j.m.vx);
  // The spans of a batch of rows first, then their pixels: the divisions of one row need
  // not wait for the pixels of the row before.
  constexpr int batch = 32;
  dsp_rowspan spans[batch];
  for (int y0 = j.y0; y0 < j.y1; y0 += batch) {
    int const n = std::min(batch, j.y1 - y0);
    for (int i = 0; i < n; ++i)
      if (!dsp_rowof<fast>(j, du, dv, y0 + i, spans[i])) spans[i].from = spans[i].to = 0;
#if defined(__SSE2__)
    // With AVX2 the insides of the batch's rows are drawn in one call, after their edges.
    bool const wide = fast && j.smooth && j.mode == dsp_blendnormal && avx2;
#else
    bool const wide = false;
#endif
    for (int i = 0; i < n; ++i) {
      dsp_rowspan const& r = spans[i];
      if (r.from >= r.to) continue;
      uint32_t* row = j.d.row(y0 + i) + j.x0;
      if (!j.smooth) {
        dsp_nearestrow(j, row, r, du, dv);
      } else if (!fast) {
        dsp_edgerow(j, row, r, du, dv, r.from, r.to);
      } else {
        if (r.from < r.in0) dsp_edgerow(j, row, r, du, dv, r.from, r.in0);
        if (r.in1 < r.to) dsp_edgerow(j, row, r, du, dv, r.in1, r.to);
        if (wide) continue;
        int k = r.in0;
        int64_t u = r.u + k * du, v = r.v + k * dv;
#if defined(__SSE2__)
        if (j.mode == dsp_blendnormal) {
          dsp_walk walk = {j.t->p, j.t->stride, u, v, du, dv};
          k = dsp_insiderow4(j, row, walk, k, r.in1);
          u = walk.u, v = walk.v;
        }
#endif
        dsp_insiderow(j, row, u, v, du, dv, k, r.in1);
      }
    }
#if defined(__SSE2__)
    if (wide) dsp_insiderows8(j, spans, n, y0, du, dv);
#endif
  }
}

}  // namespace

void dsp_spriteloop(dsp_spritejob const& job) {
#if defined(__SSE2__)
  dsp_rows<true>(job, dsp_hasavx2());
#else
  dsp_rows<true>(job, false);
#endif
}

void dsp_spriteloopsse2(dsp_spritejob const& job) { dsp_rows<true>(job, false); }

void dsp_spriteloopplain(dsp_spritejob const& job) { dsp_rows<false>(job, false); }
