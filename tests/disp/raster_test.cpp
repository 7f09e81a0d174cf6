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

// Every pixel of a target, row by row.
std::vector<unsigned long> pixels(bitmap* b, long w, long h) {
  std::vector<unsigned long> v;
  v.reserve(size_t(w * h));
  for (long y = 0; y < h; ++y)
    for (long x = 0; x < w; ++x) v.push_back(GetPixel147(b, qe_u(x), qe_u(y)));
  return v;
}

// The pixels that are neither black nor the colour: blends of an antialiased edge.
int blends(bitmap* b, long w, long h, unsigned long colour) {
  int n = 0;
  for (unsigned long p : pixels(b, w, h)) n += p != 0 && p != colour;
  return n;
}

// A small fixed-seed generator, so a failure repeats.
struct lcg {
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
  void TearDown() override {
    disp_setantialias(true);
    SetPenWidth82(2);
  }
};

// ---- Lines ---------------------------------------------------------------------------

// Any line: one pixel per step along its longer axis, both ends drawn, each pixel within
// half a pixel of the ideal line, in the exact colour, nothing else touched.
TEST_F(Raster, LinesAreThinExactAndEndInclusive) {
  offscreen o(120, 120);
  disp_setbmpantialias(o.b, false);
  lcg r;
  for (int n = 0; n < 200; ++n) {
    long x = r.in(10, 110), y = r.in(10, 110), dx = r.in(-100, 100), dy = r.in(-100, 100);
    if (x + dx < 0 || x + dx >= 120 || y + dy < 0 || y + dy >= 120) continue;
    Clear161(o.b, 0);
    Line154(o.b, x, y, dx, dy, red);
    ASSERT_EQ(GetPixel147(o.b, qe_u(x), qe_u(y)), red);
    ASSERT_EQ(GetPixel147(o.b, qe_u(x + dx), qe_u(y + dy)), red);
    long const major = std::max(std::labs(dx), std::labs(dy));
    std::vector<unsigned long> v = pixels(o.b, 120, 120);
    long count = 0;
    for (long py = 0; py < 120; ++py)
      for (long px = 0; px < 120; ++px) {
        unsigned long p = v[size_t(py * 120 + px)];
        if (p == 0) continue;
        ASSERT_EQ(p, red);
        ++count;
        if (major == 0) continue;
        // Distance along the minor axis from the ideal line at this pixel's major step.
        bool const xmajor = std::labs(dx) >= std::labs(dy);
        double const t = xmajor ? double(px - x) / double(dx) : double(py - y) / double(dy);
        ASSERT_GE(t, -1e-9);
        ASSERT_LE(t, 1 + 1e-9);
        double const off = xmajor ? std::fabs(double(y) + t * double(dy) - double(py))
                                  : std::fabs(double(x) + t * double(dx) - double(px));
        ASSERT_LE(off, 0.5 + 1e-9) << x << "," << y << " +" << dx << "," << dy;
      }
    ASSERT_EQ(count, major + 1) << x << "," << y << " +" << dx << "," << dy;
  }
}

// Lines reaching far beyond the target: the part on it is exactly the part of the whole
// line, whatever the distance of the ends.
TEST_F(Raster, FarLinesAreCutExactly) {
  offscreen o(64, 48);
  disp_setbmpantialias(o.b, false);
  Line154(o.b, -1000000, 20, 2000000, 0, red);    // a row
  Line154(o.b, 30, -1000000, 0, 2000000, green);  // a column, over the row
  for (long x = 0; x < 64; ++x) EXPECT_EQ(GetPixel147(o.b, qe_u(x), 20), x == 30 ? green : red);
  for (long y = 0; y < 48; ++y) EXPECT_EQ(GetPixel147(o.b, 30, qe_u(y)), green);
  EXPECT_EQ(drawkit::inked(o.b, 0, 0, 64, 48), 64 + 48 - 1);

  Clear161(o.b, 0);
  Line154(o.b, -3000000, -3000000, 6000000, 6000000, white);  // the diagonal
  Line154(o.b, 5000000, 7, -10000000, 0, 0x808080);           // drawn from the right
  for (long y = 0; y < 48; ++y)
    for (long x = 0; x < 64; ++x) {
      unsigned long want = y == 7 ? 0x808080 : x == y ? white : 0;
      ASSERT_EQ(GetPixel147(o.b, qe_u(x), qe_u(y)), want) << x << "," << y;
    }
  // Ends at the extremes of a long still draw nothing wrong and nothing off the target.
  Clear161(o.b, 0);
  Line154(o.b, LONG_MAX, LONG_MIN, LONG_MIN, LONG_MAX, red);
  Line154(o.b, -10, -10, -5, 3, red);
  Line154(o.b, 70, 10, 100, 0, red);
  EXPECT_EQ(drawkit::inked(o.b, 0, 0, 64, 48), 0);
}

// ---- Cut at the edges ------------------------------------------------------------------

// The same shapes drawn on a small target across its edges and on a large one that holds
// them whole: the small target shows exactly its window of the large one. The window's
// picture and a bitmap are both checked as the small target.
TEST_F(Raster, ShapesAcrossTheEdgesMatchTheWholeShapes) {
  long const pad = 120, w = 800, h = 600;
  offscreen big(w + 2 * pad, h + 2 * pad);
  offscreen small(w, h);
  disp_setbmpantialias(big.b, false);
  disp_setbmpantialias(small.b, false);
  disp_setantialias(false);
  lcg r;
  auto draw = [&](bitmap* b, long o, bool window, int kind, long const* a) {
    switch (kind) {
      case 0:
        window ? Line155(a[0] + o, a[1] + o, a[2], a[3], red)
               : Line154(b, a[0] + o, a[1] + o, a[2], a[3], red);
        break;
      case 1:
        window ? Circle186(a[0] + o, a[1] + o, a[4], white, 1)
               : Circle185(b, a[0] + o, a[1] + o, a[4], white, 1);
        break;
      case 2:
        window ? Circle186(a[0] + o, a[1] + o, a[4], red, green)
               : Circle185(b, a[0] + o, a[1] + o, a[4], red, green);
        break;
      case 3:
        window ? Bar158(a[0] + o, a[1] + o, a[2], a[3], white, 0x0000FF)
               : Bar157(b, a[0] + o, a[1] + o, a[2], a[3], white, 0x0000FF);
        break;
      default:
        if (window) Circle187(a[0] + o, a[1] + o, a[4], green);
        break;
    }
  };
  for (int n = 0; n < 400; ++n) {
    int kind = int(n % 5);
    long a[5];
    // Near an edge or a corner, reaching over it.
    a[0] = r.in(0, 1) ? r.in(-100, 100) : r.in(w - 100, w + 100);
    a[1] = r.in(0, 1) ? r.in(-100, 100) : r.in(h - 100, h + 100);
    a[2] = r.in(-110, 110), a[3] = r.in(-110, 110), a[4] = r.in(0, 100);
    if (kind == 4) {  // the ball, window only: the bitmaps get the same disc
      a[4] = std::max(a[4], 1L);
      draw(nullptr, 0, true, kind, a);
      Circle185(big.b, a[0] + pad, a[1] + pad, a[4], 1, green);
      Circle185(small.b, a[0], a[1], a[4], 1, green);
      continue;
    }
    draw(big.b, pad, false, kind, a);
    draw(small.b, 0, false, kind, a);
    draw(nullptr, 0, true, kind, a);
  }
  std::vector<unsigned long> whole = pixels(big.b, w + 2 * pad, h + 2 * pad);
  std::vector<unsigned long> part = pixels(small.b, w, h);
  std::vector<unsigned long> win = pixels(GetWin72(), w, h);
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

// ---- Circles and rectangles --------------------------------------------------------------

// A circle's outline lies within half a pixel of its radius and is the rim of its fill;
// the fill is a solid disc, symmetric in both axes; the ball of radius 0 or less is its
// one centre pixel.
TEST_F(Raster, CirclesAreRingsAndSolidDiscs) {
  offscreen o(100, 100);
  disp_setbmpantialias(o.b, false);
  for (long rad : {1L, 2L, 3L, 7L, 20L, 45L}) {
    Clear161(o.b, 0);
    Circle185(o.b, 50, 50, rad, red, green);
    for (long y = 0; y < 100; ++y) {
      long first = -1, last = -1;
      for (long x = 0; x < 100; ++x) {
        unsigned long p = GetPixel147(o.b, qe_u(x), qe_u(y));
        ASSERT_EQ(p, GetPixel147(o.b, qe_u(100 - x), qe_u(y))) << rad;  // mirrored about 50
        ASSERT_EQ(p, GetPixel147(o.b, qe_u(y), qe_u(x))) << rad;        // and about the diagonal
        if (p == 0) continue;
        double d = std::hypot(double(x - 50), double(y - 50));
        if (p == red) {
          EXPECT_LE(std::fabs(d - double(rad)), 0.6) << rad << " " << x << "," << y;
        } else {
          // A fill pixel lies inside, and the disc surrounds it: no gap in the rim.
          EXPECT_EQ(p, green);
          EXPECT_LT(d, double(rad)) << rad;
          for (auto [ex, ey] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
            EXPECT_NE(GetPixel147(o.b, qe_u(x + ex), qe_u(y + ey)), 0u);
          }
        }
        if (first < 0) first = x;
        last = x;
      }
      // Each row of the disc is one unbroken run.
      for (long x = first; first >= 0 && x <= last; ++x)
        ASSERT_NE(GetPixel147(o.b, qe_u(x), qe_u(y)), 0u) << rad << " row " << y;
    }
    // The outline alone is exactly the rim the filled form showed.
    std::vector<unsigned long> both = pixels(o.b, 100, 100);
    Clear161(o.b, 0);
    Circle185(o.b, 50, 50, rad, red, 1);
    std::vector<unsigned long> ring = pixels(o.b, 100, 100);
    for (size_t i = 0; i < ring.size(); ++i) ASSERT_EQ(ring[i] == red, both[i] == red) << rad;
  }
  disp_setantialias(false);
  Clear163(0);
  Circle187(10, 10, 0, red);
  Circle187(20, 10, -5, red);
  Circle187(30, 10, 1, 1);  // the ball draws every colour, 1 included
  EXPECT_EQ(drawkit::inked(GetWin72(), 0, 0, 40, 20), 1 + 1 + 5);
  EXPECT_EQ(GetPixel148(10, 10), red);
  EXPECT_EQ(GetPixel148(20, 10), red);
  EXPECT_EQ(GetPixel148(30, 10), 1u);
}

// Rectangles cover exactly their pixels, from either corner; the outline is the border;
// sides far beyond the target (or beyond a long when added) fill it and draw no border.
TEST_F(Raster, RectanglesAreExact) {
  offscreen o(40, 30);
  disp_setbmpantialias(o.b, false);
  Bar157(o.b, 5, 4, 6, 3, 1, red);      // x 5..10, y 4..6
  Bar157(o.b, 30, 20, -4, -5, 1, red);  // x 26..29, y 15..19
  EXPECT_EQ(drawkit::inked(o.b, 0, 0, 40, 30), 6 * 3 + 4 * 5);
  EXPECT_EQ(drawkit::inked(o.b, 5, 4, 11, 7), 18);
  EXPECT_EQ(drawkit::inked(o.b, 26, 15, 30, 20), 20);

  Clear161(o.b, 0);
  Bar157(o.b, 2, 2, 5, 4, white, green);
  for (long y = 2; y < 6; ++y)
    for (long x = 2; x < 7; ++x) {
      bool edge = x == 2 || x == 6 || y == 2 || y == 5;
      EXPECT_EQ(GetPixel147(o.b, qe_u(x), qe_u(y)), edge ? white : green) << x << "," << y;
    }
  EXPECT_EQ(drawkit::inked(o.b, 0, 0, 40, 30), 20);

  Clear161(o.b, 0);
  Bar157(o.b, -5, -5, 1000, 1000, white, green);
  EXPECT_EQ(blends(o.b, 40, 30, green), 0);
  EXPECT_EQ(drawkit::inked(o.b, 0, 0, 40, 30), 40 * 30);
  Clear161(o.b, 0);
  Bar157(o.b, LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN, 1, green);  // (-1, -1) to the far corner
  EXPECT_EQ(drawkit::inked(o.b, 0, 0, 40, 30), 40 * 30);
  Clear161(o.b, 0);
  Bar157(o.b, 0, 0, 40, 30, red, 1);  // the outline on the very edges
  EXPECT_EQ(drawkit::inked(o.b, 0, 0, 40, 30), 2 * 40 + 2 * 28);
  EXPECT_EQ(GetPixel147(o.b, 39, 29), red);
}

// ---- The switch --------------------------------------------------------------------------

// With the switch off, what cairo still draws (triangles, ellipses, arcs, wide pens) has
// hard edges too; and switching back on gives the very pixels it gave before.
TEST_F(Raster, OffMeansHardEdgesEverywhereAndOnRestores) {
  offscreen o(200, 150);
  auto scene = [&] {
    Clear161(o.b, 0);
    Triangle165(o.b, 10, 10, 120, 30, 40, 140, red, 1);
    Ellipse181(o.b, 100, 70, 60, 30, 1, red);
    Arc169(o.b, 150, 100, 40, 25, 0.5, 4.0, red, 1);
    SetPenWidth82(3);
    Line154(o.b, 0, 149, 199, -120, red);
    Circle185(o.b, 60, 60, 30, red, 1);
    SetPenWidth82(1);
    Line154(o.b, 3, 100, 190, 17, red);
    Circle185(o.b, 170, 30, 20, red, 1);
  };
  scene();
  std::vector<unsigned long> before = pixels(o.b, 200, 150);
  EXPECT_GT(blends(o.b, 200, 150, red), 100);
  disp_setbmpantialias(o.b, false);
  scene();
  EXPECT_EQ(blends(o.b, 200, 150, red), 0);
  EXPECT_GT(drawkit::inked(o.b, 0, 0, 200, 150), 2000);
  disp_setbmpantialias(o.b, true);
  scene();
  EXPECT_EQ(pixels(o.b, 200, 150), before);
}

// The switch belongs to the target it was set on: a bitmap's leaves the window's picture
// antialiased, the window's leaves bitmaps alone, new bitmaps start antialiased, and an
// unknown bitmap is refused.
TEST_F(Raster, TheSwitchIsPerTarget) {
  offscreen a(100, 100), b(100, 100);
  disp_setbmpantialias(a.b, false);
  auto lines = [](bitmap* t) {
    Clear161(t, 0);
    Line154(t, 5, 7, 80, 33, red);
    Circle185(t, 50, 50, 30, red, 1);
  };
  lines(a.b);
  lines(b.b);
  lines(GetWin72());
  EXPECT_EQ(blends(a.b, 100, 100, red), 0);
  EXPECT_GT(blends(b.b, 100, 100, red), 20);
  EXPECT_GT(blends(GetWin72(), 100, 100, red), 20);

  disp_setantialias(false);
  disp_setbmpantialias(a.b, true);
  lines(a.b);
  lines(b.b);
  lines(GetWin72());
  EXPECT_GT(blends(a.b, 100, 100, red), 20);
  EXPECT_GT(blends(b.b, 100, 100, red), 20);
  EXPECT_EQ(blends(GetWin72(), 100, 100, red), 0);

  offscreen fresh(50, 50);
  lines(fresh.b);
  EXPECT_GT(blends(fresh.b, 50, 50, red), 10);

  GetError38();
  bitmap* stale = CreateBMP192(10, 10);
  ReleaseBMP194(stale);
  disp_setbmpantialias(stale, false);
  EXPECT_EQ(GetError38(), 2u);
  disp_setbmpantialias(nullptr, false);
  EXPECT_EQ(GetError38(), 2u);
}

// The window's switch outlives the window, as its pen colour does.
TEST_F(Raster, TheWindowsSwitchHoldsForTheNextWindow) {
  disp_setantialias(false);
  CloseWin46();
  ASSERT_TRUE(CreateWin42(100, 100));
  Line155(5, 7, 80, 33, red);
  Circle186(50, 50, 30, white, 1);
  int ink = 0, odd = 0;
  for (unsigned long p : pixels(GetWin72(), 100, 100)) {
    ink += p != 0;
    odd += p != 0 && p != red && p != white;
  }
  EXPECT_GT(ink, 150);
  EXPECT_EQ(odd, 0);
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
