// Pixel work shared by bitmaps and bit buffers: the mean of two pictures, the box blur and
// the Gaussian blur. Edges repeat the outermost pixel, and weights are whole numbers that
// sum exactly to the divisor, so a uniform picture stays exactly uniform.
#include <algorithm>
#include <cmath>

#include "platform/disp/internal.h"

namespace {

// Radii beyond this are taken as this; far wider than any picture, so nothing is lost.
constexpr unsigned long dsp_maxradius = 65535;
// Gaussian blurs up to this sigma use the exact kernel (at most 19 taps); wider ones three
// box blurs, whose cost does not grow with the radius.
constexpr double dsp_exactsigma = 3;
// Kernel weights sum to 2^16.
constexpr int dsp_kernelbits = 16;
// Scratch memory kept for the next blur: enough for two 1024 x 1024 pictures.
constexpr size_t dsp_keepbytes = size_t(32) << 20;

// The picture split into its red, green and blue planes (and its alpha plane, for a
// bitmap with alpha: premultiplied channels blurred alike stay premultiplied), which the
// passes work on one at a time, each a row at a time so that every loop runs along memory; `spare`
// takes a pass's output and then changes places with its input. The memory stays allocated between
// blurs (up to dsp_keepbytes), so that a blur redone every frame does not fault in fresh pages each
// time.
struct dsp_planes {
  int w = 0, h = 0;
  int n = 3;  // planes in use: 4 with alpha
  std::vector<uint32_t> c[4], spare;
  void load(dsp_pixels p, bool alpha) {
    w = p.w;
    h = p.h;
    n = alpha ? 4 : 3;
    size_t const size = size_t(w) * size_t(h);
    for (int k = 0; k < n; ++k) c[k].resize(size);
    spare.resize(size);
    for (int y = 0; y < h; ++y) {
      uint32_t const* s = p.row(y);
      size_t const at = size_t(y) * size_t(w);
      for (int x = 0; x < w; ++x) {
        c[0][at + size_t(x)] = s[x] >> 16 & 0xFF;
        c[1][at + size_t(x)] = s[x] >> 8 & 0xFF;
        c[2][at + size_t(x)] = s[x] & 0xFF;
        if (alpha) c[3][at + size_t(x)] = s[x] >> 24;
      }
    }
  }
  void store(dsp_pixels p) {
    for (int y = 0; y < h; ++y) {
      uint32_t* d = p.row(y);
      size_t const at = size_t(y) * size_t(w);
      for (int x = 0; x < w; ++x)
        d[x] = c[0][at + size_t(x)] << 16 | c[1][at + size_t(x)] << 8 | c[2][at + size_t(x)] |
               (n == 4 ? c[3][at + size_t(x)] << 24 : 0);
    }
    if (spare.capacity() * 4 * sizeof(uint32_t) > dsp_keepbytes) *this = dsp_planes();
  }
};

// One scratch per thread: threads blurring bitmaps of their own never share it.
dsp_planes& dsp_scratch() {
  thread_local dsp_planes planes;
  return planes;
}

// Row y of a plane, the edge rows standing for those beyond it.
inline uint32_t const* dsp_planerow(std::vector<uint32_t> const& v, int w, int h, long y) {
  return &v[size_t(std::clamp<long>(y, 0, h - 1)) * size_t(w)];
}

// Rounded division of a window sum by the window's size 2r + 1, by a multiplication. The
// exact quotient of sums up to 255 times the size lies at least 1/size below the next
// whole number, far more than the product's rounding error, so the nudge never carries a
// quotient over and a whole one is never lost.
struct dsp_divider {
  uint32_t half;
  double inv;
  explicit dsp_divider(uint32_t size) : half(size / 2), inv(1.0 / double(size)) {}
  uint32_t operator()(uint32_t s) const { return uint32_t(double(s + half) * inv + 1e-7); }
};

// Box blur of every row of a plane with radius r, as running sums (at most 255 times the
// window's size, well within 32 bits).
void dsp_boxrows(std::vector<uint32_t>& v, int w, int h, long r) {
  dsp_divider const div(2 * uint32_t(r) + 1);
  long const inside = std::min<long>(r, w - 1);
  std::vector<uint32_t> line(static_cast<size_t>(w));
  for (int y = 0; y < h; ++y) {
    uint32_t* row = &v[size_t(y) * size_t(w)];
    std::copy_n(row, w, line.data());
    auto at = [&](long i) { return line[size_t(std::clamp<long>(i, 0, w - 1))]; };
    // The window around pixel 0: r + 1 copies of the first pixel, then the next r pixels,
    // the last one standing for those past the end.
    uint32_t s = (uint32_t(r) + 1) * line[0] + uint32_t(r - inside) * line[size_t(w - 1)];
    for (long k = 1; k <= inside; ++k) s += line[size_t(k)];
    for (int x = 0; x < w; ++x) {
      row[x] = div(s);
      s = s + at(x + r + 1) - at(x - r);
    }
  }
}

// The same down the columns, a whole row of running sums at a time.
void dsp_boxcols(std::vector<uint32_t>& v, std::vector<uint32_t>& spare, int w, int h, long r) {
  dsp_divider const div(2 * uint32_t(r) + 1);
  long const inside = std::min<long>(r, h - 1);
  auto row = [&](long y) { return dsp_planerow(v, w, h, y); };
  std::vector<uint32_t> s(static_cast<size_t>(w));
  for (int x = 0; x < w; ++x)
    s[size_t(x)] = (uint32_t(r) + 1) * row(0)[x] + uint32_t(r - inside) * row(h - 1)[x];
  for (long k = 1; k <= inside; ++k)
    for (int x = 0; x < w; ++x) s[size_t(x)] += row(k)[x];
  for (int y = 0; y < h; ++y) {
    uint32_t* out = &spare[size_t(y) * size_t(w)];
    uint32_t const *in = row(y + r + 1), *gone = row(y - r);
    for (int x = 0; x < w; ++x) {
      out[x] = div(s[size_t(x)]);
      s[size_t(x)] = s[size_t(x)] + in[x] - gone[x];
    }
  }
  v.swap(spare);
}

void dsp_boxplanes(dsp_planes& p, unsigned long rx, unsigned long ry) {
  for (int k = 0; k < p.n; ++k) {
    std::vector<uint32_t>& v = p.c[k];
    if (rx > 0) dsp_boxrows(v, p.w, p.h, long(rx));
    if (ry > 0) dsp_boxcols(v, p.spare, p.w, p.h, long(ry));
  }
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
  for (size_t i = 0; i < w.size(); ++i)
    sum += q[i] = uint32_t(std::lround(w[i] / total * (1 << dsp_kernelbits)));
  q[size_t(r)] += (1u << dsp_kernelbits) - sum;  // rounding's remainder goes to the centre
  return q;
}

inline uint32_t dsp_unweight(uint32_t s) {
  return (s + (1u << (dsp_kernelbits - 1))) >> dsp_kernelbits;
}

// Convolution of a plane with the kernel along the rows, then down the columns.
void dsp_kernelplane(std::vector<uint32_t>& v, std::vector<uint32_t>& spare, int w, int h,
                     std::vector<uint32_t> const& q) {
  int const r = int(q.size() / 2);
  // Along rows: each row widened by r repeated edge pixels on both sides.
  std::vector<uint32_t> line(size_t(w) + 2 * size_t(r));
  for (int y = 0; y < h; ++y) {
    uint32_t* row = &v[size_t(y) * size_t(w)];
    for (int i = -r; i < w + r; ++i) line[size_t(i + r)] = row[std::clamp(i, 0, w - 1)];
    for (int x = 0; x < w; ++x) {
      uint32_t s = 0;  // at most 255 * 2^16
      for (size_t k = 0; k < q.size(); ++k) s += q[k] * line[size_t(x) + k];
      row[x] = dsp_unweight(s);
    }
  }
  // Down columns: each output row the weighted sum of the rows around it.
  std::vector<uint32_t> s(static_cast<size_t>(w));
  for (int y = 0; y < h; ++y) {
    std::fill(s.begin(), s.end(), 0);
    for (int k = -r; k <= r; ++k) {
      uint32_t const* in = dsp_planerow(v, w, h, y + k);
      uint32_t const wk = q[size_t(k + r)];
      for (int x = 0; x < w; ++x) s[size_t(x)] += wk * in[x];
    }
    uint32_t* out = &spare[size_t(y) * size_t(w)];
    for (int x = 0; x < w; ++x) out[x] = dsp_unweight(s[size_t(x)]);
  }
  v.swap(spare);
}

}  // namespace

void dsp_mixpixels(dsp_pixels dest, dsp_pixels a, dsp_pixels b, dsp_alphas alphas) {
  // A picture without alpha is opaque: its top byte counts as 255, whatever it holds.
  uint32_t const opaquea = alphas.a ? 0 : 0xFF000000u, opaqueb = alphas.b ? 0 : 0xFF000000u;
  int const top = alphas.dest ? 24 : 16;
  for (int y = 0; y < dest.h; ++y) {
    uint32_t *d = dest.row(y), *pa = a.row(y), *pb = b.row(y);
    for (int x = 0; x < dest.w; ++x) {
      uint32_t const va = pa[x] | opaquea, vb = pb[x] | opaqueb;
      uint32_t out = 0;
      for (int sh = 0; sh <= top; sh += 8)
        out |= (((va >> sh & 0xFF) + (vb >> sh & 0xFF) + 1) >> 1) << sh;
      d[x] = out;
    }
  }
}

void dsp_boxblur(dsp_pixels p, unsigned long rx, unsigned long ry, bool alpha) {
  rx = std::min(rx, dsp_maxradius);
  ry = std::min(ry, dsp_maxradius);
  if (rx == 0 && ry == 0) return;
  dsp_planes& planes = dsp_scratch();
  planes.load(p, alpha);
  dsp_boxplanes(planes, rx, ry);
  planes.store(p);
}

// Wide blurs: three box blurs in a row approximate a Gaussian closely; their widths are
// chosen so that the variances add up to sigma² (the sizes are odd, so some boxes are one
// step wider than others).
void dsp_gaussblur(dsp_pixels p, double sigma, bool alpha) {
  if (!(sigma > 0)) return;  // also NaN
  dsp_planes& planes = dsp_scratch();
  planes.load(p, alpha);
  if (sigma <= dsp_exactsigma) {
    std::vector<uint32_t> const q = dsp_kernel(sigma);
    for (int k = 0; k < planes.n; ++k)
      dsp_kernelplane(planes.c[k], planes.spare, planes.w, planes.h, q);
  } else {
    sigma = std::min(sigma, double(dsp_maxradius));
    double const ideal = std::sqrt(4 * sigma * sigma + 1);  // 12σ²/3 + 1
    long lower = long(std::floor(ideal));
    if (lower % 2 == 0) --lower;
    double const d = double(lower);
    long const m = std::lround((12 * sigma * sigma - 3 * d * d - 12 * d - 9) / (-4 * d - 4));
    for (long i = 0; i < 3; ++i) {
      auto const r = static_cast<unsigned long>((i < m ? lower : lower + 2) / 2);
      dsp_boxplanes(planes, std::min(r, dsp_maxradius), std::min(r, dsp_maxradius));
    }
  }
  planes.store(p);
}
