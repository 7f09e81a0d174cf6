// Pixel work shared by bitmaps and bit buffers: the mean of two pictures, the box blur and
// the Gaussian blur. Edges repeat the outermost pixel, and weights are whole numbers that
// sum exactly to the divisor, so a uniform picture stays exactly uniform.
#include <algorithm>
#include <cmath>

#include "platform/disp/internal.h"

namespace {

// Radii beyond this are taken as this; far wider than any picture, so nothing is lost.
constexpr unsigned long dsp_maxradius = 65535;
// Gaussian blurs up to this sigma use the exact kernel; wider ones three box blurs, whose
// cost does not grow with the radius.
constexpr double dsp_exactsigma = 8;

inline uint32_t dsp_ch(uint32_t p, int c) { return p >> (16 - 8 * c) & 0xFF; }
inline uint32_t dsp_pack(uint64_t const s[3], uint64_t div) {
  uint64_t const half = div / 2;
  return uint32_t((s[0] + half) / div << 16 | (s[1] + half) / div << 8 | (s[2] + half) / div);
}

// Box blur of one line of n pixels, `step` apart, with radius r: each pixel becomes the
// mean of the 2r + 1 around it. `tmp` holds n pixels.
void dsp_boxline(uint32_t* line, std::ptrdiff_t step, int n, unsigned long r, uint32_t* tmp) {
  for (int i = 0; i < n; ++i) tmp[i] = line[i * step];
  auto at = [&](long i) { return tmp[std::clamp<long>(i, 0, n - 1)]; };
  long const rr = long(r);
  uint64_t const div = 2 * uint64_t(r) + 1;
  // Sum of the window around pixel 0: r + 1 copies of the first pixel, then the next r
  // pixels, the last one standing for those past the end.
  uint64_t s[3];
  for (int c = 0; c < 3; ++c) {
    long const inside = std::min<long>(rr, n - 1);
    uint64_t v = (uint64_t(rr) + 1) * dsp_ch(tmp[0], c);
    for (long k = 1; k <= inside; ++k) v += dsp_ch(tmp[k], c);
    v += uint64_t(rr - inside) * dsp_ch(tmp[n - 1], c);
    s[c] = v;
  }
  for (int i = 0; i < n; ++i) {
    line[i * step] = dsp_pack(s, div);
    uint32_t const in = at(i + rr + 1), out = at(i - rr);
    for (int c = 0; c < 3; ++c) s[c] = s[c] + dsp_ch(in, c) - dsp_ch(out, c);
  }
}

// One box pass in each direction.
void dsp_boxpass(dsp_pixels p, unsigned long rx, unsigned long ry) {
  std::vector<uint32_t> tmp(size_t(std::max(p.w, p.h)));
  if (rx > 0)
    for (int y = 0; y < p.h; ++y) dsp_boxline(p.row(y), 1, p.w, rx, tmp.data());
  if (ry > 0)
    for (int x = 0; x < p.w; ++x) dsp_boxline(p.p + x, p.stride, p.h, ry, tmp.data());
}

// The Gaussian kernel for sigma, taps from -r to r, in whole numbers summing to 2^16.
std::vector<uint32_t> dsp_kernel(double sigma) {
  int const r = std::max(1, int(std::ceil(3 * sigma)));
  std::vector<double> w(size_t(2 * r + 1));
  double total = 0;
  for (int k = -r; k <= r; ++k)
    total += w[size_t(k + r)] = std::exp(-0.5 * k * k / (sigma * sigma));
  std::vector<uint32_t> q(w.size());
  uint32_t sum = 0;
  for (size_t i = 0; i < w.size(); ++i) sum += q[i] = uint32_t(std::lround(w[i] / total * 65536));
  q[size_t(r)] += 65536 - sum;  // rounding's remainder goes to the centre
  return q;
}

// Convolution of one line with the kernel (edges repeated). `tmp` holds n pixels.
void dsp_kernelline(uint32_t* line, std::ptrdiff_t step, int n, std::vector<uint32_t> const& q,
                    uint32_t* tmp) {
  for (int i = 0; i < n; ++i) tmp[i] = line[i * step];
  int const r = int(q.size() / 2);
  for (int i = 0; i < n; ++i) {
    uint64_t s[3] = {0, 0, 0};
    for (int k = -r; k <= r; ++k) {
      uint32_t const p = tmp[std::clamp(i + k, 0, n - 1)];
      uint64_t const wk = q[size_t(k + r)];
      for (int c = 0; c < 3; ++c) s[c] += wk * dsp_ch(p, c);
    }
    line[i * step] = dsp_pack(s, 65536);
  }
}

}  // namespace

void dsp_mixpixels(dsp_pixels dest, dsp_pixels a, dsp_pixels b) {
  for (int y = 0; y < dest.h; ++y) {
    uint32_t *d = dest.row(y), *pa = a.row(y), *pb = b.row(y);
    for (int x = 0; x < dest.w; ++x) {
      uint64_t s[3];
      for (int c = 0; c < 3; ++c) s[c] = dsp_ch(pa[x], c) + dsp_ch(pb[x], c);
      d[x] = dsp_pack(s, 2);
    }
  }
}

void dsp_boxblur(dsp_pixels p, unsigned long rx, unsigned long ry) {
  dsp_boxpass(p, std::min(rx, dsp_maxradius), std::min(ry, dsp_maxradius));
}

// Three box blurs in a row approximate a Gaussian closely; their widths are chosen so that
// the variances add up to sigma² (the sizes are odd, so some boxes are one step wider).
void dsp_gaussblur(dsp_pixels p, double sigma) {
  if (!(sigma > 0)) return;  // also NaN
  if (sigma <= dsp_exactsigma) {
    std::vector<uint32_t> const q = dsp_kernel(sigma);
    std::vector<uint32_t> tmp(size_t(std::max(p.w, p.h)));
    for (int y = 0; y < p.h; ++y) dsp_kernelline(p.row(y), 1, p.w, q, tmp.data());
    for (int x = 0; x < p.w; ++x) dsp_kernelline(p.p + x, p.stride, p.h, q, tmp.data());
    return;
  }
  sigma = std::min(sigma, double(dsp_maxradius));
  double const ideal = std::sqrt(4 * sigma * sigma + 1);  // 12σ²/3 + 1
  long lower = long(std::floor(ideal));
  if (lower % 2 == 0) --lower;
  double const d = double(lower);
  long const m = std::lround((12 * sigma * sigma - 3 * d * d - 12 * d - 9) / (-4 * d - 4));
  for (long i = 0; i < 3; ++i) {
    auto const r = static_cast<unsigned long>((i < m ? lower : lower + 2) / 2);
    dsp_boxpass(p, r, r);
  }
}
