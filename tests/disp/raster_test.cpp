// Hard-edged drawing: with a target's antialiasing off, lines, rectangles and circles are
// exact pixel sets, cut cleanly at the target's edges, and the switch belongs to one target.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/disp/disp.h"
#include "tests/disp/drawkit.h"

namespace {

using drawkit::offscreen;
using drawkit::red;
using drawkit::white;
constexpr unsigned long green = 0x00FF00;

std::vector<unsigned long> pixels(bitmap* b, long w, long h) {
  std::vector<unsigned long> v;
  for (long y = 0; y < h; ++y)
    for (long x = 0; x < w; ++x) v.push_back(GetPixel147(b, qe_u(x), qe_u(y)));
  return v;
}

// Pixels neither black nor one of the colours drawn: the blends of antialiased edges.
int blends(bitmap* b, long w, long h, unsigned long c1, unsigned long c2 = 0) {
  int n = 0;
  for (unsigned long p : pixels(b, w, h)) n += p != 0 && p != c1 && p != c2;
  return n;
}

struct lcg {  // fixed seed: a failure repeats
  uint64_t s = 12345;
  long in(long lo, long hi) {
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    return lo + long((s >> 33) % uint64_t(hi - lo + 1));
  }
};

class Raster : public ::testing::Test {
 protected:
  void SetUp() override {
    drawkit::freshwindow();
    SetPenWidth82(1);
  }
  void TearDown() override { disp_setantialias(true); }
};

// Any line: one pixel per step along its longer axis, both ends drawn, each pixel within
// half a pixel of the ideal line, in the exact colour.
TEST_F(Raster, LinesAreThinExactAndEndInclusive) {
  offscreen o(120, 120);
  disp_setbmpantialias(o.b, false);
  lcg r;
  for (int n = 0; n < 150; ++n) {
    long x = r.in(10, 110), y = r.in(10, 110), dx = r.in(-100, 100), dy = r.in(-100, 100);
    if (x + dx < 0 || x + dx >= 120 || y + dy < 0 || y + dy >= 120) continue;
    Clear161(o.b, 0);
    Line154(o.b, x, y, dx, dy, red);
    ASSERT_EQ(GetPixel147(o.b, qe_u(x + dx), qe_u(y + dy)), red);
    bool const xmajor = std::labs(dx) >= std::labs(dy);
    long count = 0;
    std::vector<unsigned long> v = pixels(o.b, 120, 120);
    for (long i = 0; i < 120 * 120; ++i) {
      if (v[size_t(i)] == 0) continue;
      ASSERT_EQ(v[size_t(i)], red);
      ++count;
      long px = i % 120, py = i / 120;
      double t = dx == 0 && dy == 0 ? 0
                 : xmajor           ? double(px - x) / double(dx)
                                    : double(py - y) / double(dy);
      double off = xmajor ? double(y) + t * double(dy) - double(py)
                          : double(x) + t * double(dx) - double(px);
      ASSERT_TRUE(t > -1e-9 && t < 1 + 1e-9 && std::fabs(off) <= 0.5 + 1e-9)
          << x << "," << y << " +" << dx << "," << dy << " at " << px << "," << py;
    }
    ASSERT_EQ(count, std::max(std::labs(dx), std::labs(dy)) + 1);
  }
  Clear161(o.b, 0);
  Line154(o.b, 5, 6, 0, 0, red);  // no length: its one pixel
  EXPECT_EQ(drawkit::inked(o.b, 0, 0, 120, 120) + (GetPixel147(o.b, 5, 6) == red), 2);
}

// Shapes drawn across the edges of a small target (the window's picture and a bitmap) show
// exactly their part of the same shapes drawn whole on a large bitmap.
TEST_F(Raster, ShapesAcrossTheEdgesMatchTheWholeShapes) {
  long const pad = 120, w = 800, h = 600;
  offscreen big(w + 2 * pad, h + 2 * pad), small(w, h);
  disp_setbmpantialias(big.b, false);
  disp_setbmpantialias(small.b, false);
  disp_setantialias(false);
  lcg r;
  for (int n = 0; n < 400; ++n) {
    long x = r.in(0, 1) ? r.in(-100, 100) : r.in(w - 100, w + 100);  // near an edge
    long y = r.in(0, 1) ? r.in(-100, 100) : r.in(h - 100, h + 100);  // or a corner
    long dx = r.in(-110, 110), dy = r.in(-110, 110), rad = r.in(0, 100);
    int const kind = n < 300 ? n % 3 : 3;  // lines last, so that no fill hides a stray pixel
    for (auto [b, o] : {std::pair{big.b, pad}, {small.b, 0L}, {GetWin72(), 0L}}) {
      if (kind == 0) Circle185(b, x + o, y + o, rad, white, 1);
      if (kind == 1) Circle185(b, x + o, y + o, rad, red, green);
      if (kind == 2) Bar157(b, x + o, y + o, dx, dy, white, 0x0000FF);
      if (kind == 3) Line154(b, x + o, y + o, dx, dy, 0xFFFF00);
    }
  }
  std::vector<unsigned long> whole = pixels(big.b, w + 2 * pad, h + 2 * pad);
  std::vector<unsigned long> part = pixels(small.b, w, h), win = pixels(GetWin72(), w, h);
  long bad = 0, badwin = 0;
  for (long y = 0; y < h; ++y)
    for (long x = 0; x < w; ++x) {
      unsigned long want = whole[size_t((y + pad) * (w + 2 * pad) + x + pad)];
      bad += part[size_t(y * w + x)] != want;
      badwin += win[size_t(y * w + x)] != want;
    }
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(badwin, 0);
  EXPECT_GT(drawkit::inked(small.b, 0, 0, w, h), 10000);
}

// Lines and rectangles reaching far beyond the target, up to the ends of a long: the part
// on it is exactly that of the whole shape.
TEST_F(Raster, FarShapesAreCutExactly) {
  offscreen o(64, 48);
  disp_setbmpantialias(o.b, false);
  Line154(o.b, -3000000, -3000000, 6000000, 6000000, white);  // the diagonal
  Line154(o.b, 5000000, 7, -10000000, 0, red);                // a row, drawn leftward
  Line154(o.b, -5000000, 9, 10000000, 0, red);                // and one rightward
  Line154(o.b, 30, 1000000, 0, -2000000, green);              // a column, drawn upward
  for (long y = 0; y < 48; ++y)
    for (long x = 0; x < 64; ++x) {
      unsigned long want = x == 30 ? green : y == 7 || y == 9 ? red : x == y ? white : 0;
      ASSERT_EQ(GetPixel147(o.b, qe_u(x), qe_u(y)), want) << x << "," << y;
    }
  Clear161(o.b, 0);
  Line154(o.b, LONG_MAX, LONG_MIN, LONG_MIN, LONG_MAX, red);
  Line154(o.b, 70, 10, 100, 0, red);
  EXPECT_EQ(drawkit::inked(o.b, 0, 0, 64, 48), 0);
  Bar157(o.b, LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN, red, green);  // (-1, -1) to far away
  EXPECT_EQ(drawkit::inked(o.b, 0, 0, 64, 48), 64 * 48);
  EXPECT_EQ(blends(o.b, 64, 48, green), 0);  // its border lies beyond the edges
}

// Rectangles cover their pixels from either corner; the outline is the border.
TEST_F(Raster, RectanglesAreExact) {
  offscreen o(40, 30);
  disp_setbmpantialias(o.b, false);
  Bar157(o.b, 5, 4, 6, 3, 1, red);      // x 5..10, y 4..6
  Bar157(o.b, 30, 20, -4, -5, 1, red);  // x 26..29, y 15..19
  EXPECT_EQ(drawkit::inked(o.b, 5, 4, 11, 7) + drawkit::inked(o.b, 26, 15, 30, 20), 18 + 20);
  EXPECT_EQ(drawkit::inked(o.b, 0, 0, 40, 30), 18 + 20);
  Clear161(o.b, 0);
  Bar157(o.b, 2, 2, 5, 4, white, green);
  for (long y = 2; y < 6; ++y)
    for (long x = 2; x < 7; ++x)
      EXPECT_EQ(GetPixel147(o.b, qe_u(x), qe_u(y)),
                x == 2 || x == 6 || y == 2 || y == 5 ? white : green);
  EXPECT_EQ(drawkit::inked(o.b, 0, 0, 40, 30), 20);
}

// The outline lies within half a pixel of the radius and is the rim of the fill; the fill
// is a solid disc, symmetric about both axes and the diagonal. The ball of radius 0 or less
// is its centre pixel.
TEST_F(Raster, CirclesAreRingsAndSolidDiscs) {
  offscreen o(100, 100);
  disp_setbmpantialias(o.b, false);
  for (long rad : {1L, 2L, 3L, 7L, 20L, 45L}) {
    Circle185(o.b, 50, 50, rad, red, 1);
    std::vector<unsigned long> ring = pixels(o.b, 100, 100);
    Clear161(o.b, 0);
    Circle185(o.b, 50, 50, rad, red, green);
    for (long y = 0; y < 100; ++y) {
      long first = -1, last = -1;
      for (long x = 0; x < 100; ++x) {
        unsigned long p = GetPixel147(o.b, qe_u(x), qe_u(y));
        ASSERT_EQ(p, GetPixel147(o.b, qe_u(100 - x), qe_u(y)));
        ASSERT_EQ(p, GetPixel147(o.b, qe_u(y), qe_u(x)));
        ASSERT_EQ(p == red, ring[size_t(y * 100 + x)] == red) << rad << " " << x << "," << y;
        double d = std::hypot(double(x - 50), double(y - 50));
        if (p == red) {
          EXPECT_LE(std::fabs(d - double(rad)), 0.6) << rad;
        } else if (p == green) {
          EXPECT_LT(d, double(rad));
          for (auto [ex, ey] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
            EXPECT_NE(GetPixel147(o.b, qe_u(x + ex), qe_u(y + ey)), 0u);  // no gap in the rim
          }
        }
        if (p != 0 && first < 0) first = x;
        if (p != 0) last = x;
      }
      if (first >= 0) {  // each row one unbroken run
        EXPECT_EQ(drawkit::inked(o.b, first, y, last + 1, y + 1), last - first + 1);
      }
    }
    Clear161(o.b, 0);
  }
  disp_setantialias(false);
  Clear163(0);
  Circle187(10, 10, 0, red);
  Circle187(20, 10, -5, red);
  Circle187(30, 10, 1, 1);  // the ball draws every colour, 1 included
  EXPECT_EQ(drawkit::inked(GetWin72(), 0, 0, 40, 20), 1 + 1 + 5);
  EXPECT_EQ(GetPixel148(20, 10), red);
  EXPECT_EQ(GetPixel148(30, 10), 1u);
}

// Off, what cairo still draws (triangles, ellipses, arcs, wide pens) is hard-edged too;
// back on, the very pixels of before. The switch is the target's alone: a bitmap's leaves
// the window antialiased and the reverse, new bitmaps start on, and it outlives a window.
TEST_F(Raster, TheSwitchIsPerTargetAndRestores) {
  offscreen a(200, 150), b(200, 150);
  auto scene = [](bitmap* t) {
    Clear161(t, 0);
    Triangle165(t, 10, 10, 120, 30, 40, 140, red, 1);
    Ellipse181(t, 100, 70, 60, 30, 1, red);
    Arc169(t, 150, 100, 40, 25, 0.5, 4.0, red, 1);
    SetPenWidth82(3);
    Line154(t, 0, 149, 199, -120, red);
    Circle185(t, 60, 60, 30, red, 1);
    SetPenWidth82(1);
    Line154(t, 3, 100, 190, 17, red);
    Circle185(t, 170, 30, 20, red, 1);
  };
  scene(a.b);
  std::vector<unsigned long> before = pixels(a.b, 200, 150);
  disp_setbmpantialias(a.b, false);
  for (bitmap* t : {a.b, b.b, GetWin72()}) scene(t);
  EXPECT_EQ(blends(a.b, 200, 150, red), 0);
  EXPECT_GT(drawkit::inked(a.b, 0, 0, 200, 150), 2000);
  EXPECT_GT(blends(b.b, 200, 150, red), 100);
  EXPECT_GT(blends(GetWin72(), 200, 150, red), 100);
  disp_setbmpantialias(a.b, true);
  disp_setantialias(false);
  for (bitmap* t : {a.b, b.b, GetWin72()}) scene(t);
  EXPECT_EQ(pixels(a.b, 200, 150), before);
  EXPECT_GT(blends(b.b, 200, 150, red), 100);
  EXPECT_EQ(blends(GetWin72(), 200, 150, red), 0);
  offscreen fresh(200, 150);
  scene(fresh.b);
  EXPECT_EQ(pixels(fresh.b, 200, 150), before);

  CloseWin46();
  ASSERT_TRUE(CreateWin42(200, 150));
  scene(GetWin72());
  EXPECT_EQ(blends(GetWin72(), 200, 150, red), 0);

  GetError38();
  bitmap* stale = CreateBMP192(10, 10);
  ReleaseBMP194(stale);
  disp_setbmpantialias(stale, false);
  EXPECT_EQ(GetError38(), 2u);
  CloseWin46();
}

}  // namespace

int main(int argc, char** argv) {
  setenv("DISP_HEADLESS", "1", 1);
  for (char const* v : {"DISP_CLOCK", "DISP_KEYS", "DISP_QUIT_AT", "DISP_SHOT", "DISP_STATS"})
    unsetenv(v);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
