// The sprite's fast pixel loops against the plain pixel-by-pixel one, on random parts,
// targets and ways back: every pixel agrees to the bit, whatever the turn, scale, mirror,
// blend mode, smoothing, transparent ring or target alpha.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/disp/draw/sprite_simd.h"

namespace {

// A fixed pseudo-random sequence, so that a failing case comes back.
struct dice {
  uint64_t s;
  uint32_t next() {
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    return uint32_t(s >> 32);
  }
  int in(int lo, int hi) { return lo + int(next() % uint32_t(hi - lo + 1)); }
  double in(double lo, double hi) { return lo + (hi - lo) * next() / 4294967296.0; }
  bool chance(int percent) { return in(0, 99) < percent; }
};

// Texels as sprites have them: large see-through and opaque areas of one colour, soft
// premultiplied edges, and now and then a colour beyond its alpha (not premultiplied).
uint32_t texel(dice& d, uint32_t area) {
  int const kind = d.in(0, 9);
  if (kind < 3) return 0;
  if (kind < 6) return area;
  uint32_t const a = d.next() >> 24;
  uint32_t p = a << 24;
  for (int sh = 0; sh < 24; sh += 8) p |= (kind == 9 ? d.next() >> 24 : d.next() % (a + 1)) << sh;
  return p;
}

// A w x h part: in a ringed copy (one transparent texel around it), or read where it lies
// inside a bigger picture whose other texels are anything but transparent.
struct part {
  std::vector<uint32_t> store;
  dsp_texels t{};
  part(dice& d, long w, long h, bool ringed) {
    long const margin = ringed ? 1 : 3;
    t.w = w, t.h = h, t.ringed = ringed;
    t.stride = w + 2 * margin;
    store.assign(size_t(t.stride * (h + 2 * margin)), ringed ? 0 : 0xFF123456u);
    t.p = store.data() + margin * t.stride + margin;
    uint32_t const area = 0xFF000000u | d.next() >> 8;
    for (long j = 0; j < h; ++j)
      for (long i = 0; i < w; ++i)
        store[size_t((j + margin) * t.stride + i + margin)] = texel(d, area);
  }
};

TEST(SpriteLoops, FastLoopsDrawWhatThePlainOneDraws) {
  dice d{2026};
  int wrong = 0;
  long drawn = 0;  // pixels the cases changed: the cases must reach the part
  for (int n = 0; n < 1500 && wrong < 3; ++n) {
    part const src(d, d.in(1, 40), d.in(1, 40), d.chance(60));
    int const tw = d.in(1, 96), th = d.in(1, 64);
    std::vector<uint32_t> before(size_t(tw * th));
    for (uint32_t& p : before) p = d.chance(70) ? 0xFF000000u | d.next() >> 8 : d.next();
    std::vector<uint32_t> plain = before;
    // The way back: turned (now and then by a quarter, which makes a step 0), scaled,
    // mirrored, with the part's middle landing somewhere near the target.
    double const turn = d.chance(20) ? d.in(0, 3) * 1.5707963267948966 : d.in(-4.0, 4.0);
    double const kx = d.in(0.25, 4.0) * (d.chance(25) ? -1 : 1), ky = d.in(0.25, 4.0);
    double const c = std::round(std::cos(turn) * 1e12) / 1e12,
                 s = std::round(std::sin(turn) * 1e12) / 1e12;
    dsp_inverse m = {c / kx, s / kx, 0, -s / ky, c / ky, 0};
    double const px = d.in(-10.0, tw + 10.0), py = d.in(-10.0, th + 10.0);
    m.u0 = double(src.t.w) / 2 - m.ux * px - m.uy * py;
    m.v0 = double(src.t.h) / 2 - m.vx * px - m.vy * py;
    bool const whole = d.chance(60);  // else a box of the target's, as a clipped sprite has
    int const x0 = whole ? 0 : d.in(0, tw - 1), y0 = whole ? 0 : d.in(0, th - 1);
    dsp_spritejob job = {{plain.data(), tw, th, tw},
                         d.chance(50),
                         &src.t,
                         m,
                         d.chance(60) ? unsigned(dsp_blendnormal) : unsigned(d.in(1, 2)),
                         d.chance(80),
                         x0,
                         y0,
                         whole ? tw : d.in(x0 + 1, tw),
                         whole ? th : d.in(y0 + 1, th)};
    job.d.p = plain.data();
    dsp_spriteloopplain(job);
    for (size_t i = 0; i < plain.size(); ++i) drawn += plain[i] != before[i];
    struct way {
      char const* name;
      void (*loop)(dsp_spritejob const&);
    };
    for (way const w : {way{"fast", dsp_spriteloop}, way{"without AVX2", dsp_spriteloopsse2}}) {
      std::vector<uint32_t> fast = before;
      job.d.p = fast.data();
      w.loop(job);
      for (size_t i = 0; i < fast.size(); ++i)
        if (fast[i] != plain[i]) {
          ADD_FAILURE() << w.name << ", case " << n << ", at " << i % size_t(tw) << ","
                        << i / size_t(tw) << ": " << std::hex << fast[i] << ", plain " << plain[i]
                        << std::dec << " (part " << src.t.w << " x " << src.t.h
                        << (src.t.ringed ? " ringed" : "") << ", mode " << job.mode
                        << (job.smooth ? ", smooth" : "") << ")";
          ++wrong;
          break;
        }
    }
  }
  EXPECT_GT(drawn, 250000) << drawn;
}

}  // namespace
