// The pixel loops of turned and scaled sprites: for every target pixel the source point
// under its centre, the nearest texel or four of them weighed (smooth), drawn in a blend
// mode. Fast loops for the common case, and the plain pixel-by-pixel one they must match.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/disp/internal.h"

// The part of the source being drawn as premultiplied pixels with alpha: the bitmap's own
// when it has alpha and no colour key, else a copy made so (opaque, the key transparent).
// A ringed copy has one more transparent texel on every side: texels -1 to w across and
// -1 to h down may be read.
struct dsp_texels {
  uint32_t const* p;
  std::ptrdiff_t stride;
  long w, h;
  bool ringed;
  std::vector<uint32_t> copy;
  uint32_t at(long i, long j) const {
    return i >= 0 && j >= 0 && i < w && j < h ? p[j * stride + i] : 0;
  }
};

// Where each target pixel's centre (X + 0.5, Y + 0.5) falls in the part, (u, v) = m * (X,
// Y) + origin terms: u = ux * X + uy * Y + u0, v likewise.
struct dsp_inverse {
  double ux, uy, u0, vx, vy, v0;
};

// What one sprite asks of the loops: the target's pixels (keepd: without alpha, its top
// byte stays), the texels, the way back, the blend mode, bilinear or nearest, and the box
// [x0, x1) x [y0, y1) of the target the sprite may cover.
struct dsp_spritejob {
  dsp_pixels d;
  bool keepd;
  dsp_texels const* t;
  dsp_inverse m;
  unsigned mode;
  bool smooth;
  int x0, y0, x1, y1;
};

// Draws the sprite. Each row visits only the pixels whose sample touches the part; inside
// the part the normal blend runs several pixels at a time.
void dsp_spriteloop(dsp_spritejob const& job);

// dsp_spriteloop as it runs on a processor without AVX2 (SSE2 or plain C++ only), so that
// the tests check that way on any processor.
void dsp_spriteloopsse2(dsp_spritejob const& job);

// The same, pixel by pixel, each sample testing the part's edges on its own: slow, and the
// reference the fast loops must agree with to the bit.
void dsp_spriteloopplain(dsp_spritejob const& job);
