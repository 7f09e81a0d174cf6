// Pixels meeting pixels: premultiplied ARGB source over, added to or multiplied with a
// destination, with the rounding pixman uses (so the direct loops and pixman's agree to the
// bit), and whole rectangles composited by pixman.
#pragma once
#include <algorithm>

#include "platform/disp/internal.h"

// x * a / 255 for bytes, rounded to nearest.
inline uint32_t dsp_mul8(uint32_t x, uint32_t a) {
  uint32_t const t = x * a + 128;
  return (t + (t >> 8)) >> 8;
}

// Premultiplied source over destination: each channel d = s + d * (255 - alpha of s) / 255,
// rounded. A destination without alpha (keepd) keeps its top byte as it was.
inline uint32_t dsp_over(uint32_t s, uint32_t d, bool keepd) {
  uint32_t const ia = 255 - (s >> 24);
  if (ia == 0) return keepd ? (s & 0xFFFFFF) | (d & 0xFF000000u) : s;
  uint32_t out = keepd ? d & 0xFF000000u : 0;
  for (int sh = keepd ? 16 : 24; sh >= 0; sh -= 8) {
    uint32_t const t = ((d >> sh) & 0xFF) * ia + 128;
    out |= (((s >> sh) & 0xFF) + ((t + (t >> 8)) >> 8)) << sh;
  }
  return out;
}

// The source's channels added to the destination's, each held at 255.
inline uint32_t dsp_addpx(uint32_t s, uint32_t d, bool keepd) {
  uint32_t out = keepd ? d & 0xFF000000u : 0;
  for (int sh = keepd ? 16 : 24; sh >= 0; sh -= 8)
    out |= std::min<uint32_t>(255, ((s >> sh) & 0xFF) + ((d >> sh) & 0xFF)) << sh;
  return out;
}

// Multiply as PDF defines it for premultiplied colours: s * d, plus each one's colour where
// the other does not cover (s * (1 - alpha of d) + d * (1 - alpha of s)). A destination
// without alpha is opaque.
inline uint32_t dsp_multiplypx(uint32_t s, uint32_t d, bool keepd) {
  uint32_t const sia = 255 - (s >> 24), dia = keepd ? 0 : 255 - (d >> 24);
  uint32_t out = keepd ? d & 0xFF000000u : 0;
  for (int sh = keepd ? 16 : 24; sh >= 0; sh -= 8) {
    uint32_t const sc = (s >> sh) & 0xFF, dc = (d >> sh) & 0xFF;
    uint32_t const rest = std::min<uint32_t>(255, dsp_mul8(sc, dia) + dsp_mul8(dc, sia));
    out |= std::min<uint32_t>(255, dsp_mul8(dc, sc) + rest) << sh;
  }
  return out;
}

// Source pixel s (premultiplied; an opaque one has 0xFF on top) onto d in a blend mode.
inline uint32_t dsp_blendpx(unsigned mode, uint32_t s, uint32_t d, bool keepd) {
  switch (mode) {
    case dsp_blendadd:
      return dsp_addpx(s, d, keepd);
    case dsp_blendmultiply:
      return dsp_multiplypx(s, d, keepd);
    default:
      return dsp_over(s, d, keepd);
  }
}

// Composites the w x h rectangle of s at (sx, sy) onto d at (dx, dy) in a blend mode,
// through pixman; all of it lies inside both. A source without alpha is opaque. False when
// pixman could not take the pixels (nothing is drawn).
bool dsp_composite(dsp_pixels d, bool dalpha, dsp_pixels s, bool salpha, unsigned mode, int sx,
                   int sy, int w, int h, int dx, int dy);
