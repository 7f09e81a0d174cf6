// What the drawing tests share: an off-screen bitmap, pixel read-back on any target, and a
// fixture that runs each test on the window's picture and on such a bitmap.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/disp/disp.h"

namespace drawkit {

constexpr unsigned long red = 0xFF0000, green = 0x00FF00, blue = 0x0000FF, white = 0xFFFFFF;
constexpr double pi = 3.141592653589793;

// A picture of its own (black), drawn on through the b forms exactly as the window's is.
struct offscreen {
  bitmap* b;
  offscreen(unsigned long w, unsigned long h) : b(CreateBMP192(w, h)) {}
  ~offscreen() { ReleaseBMP194(b); }
};

inline unsigned long px(bitmap* b, long x, long y) { return GetPixel147(b, qe_u(x), qe_u(y)); }

// Mostly that colour: antialiased edges are blends.
inline bool near(unsigned long got, unsigned long want, int tol = 40) {
  for (int sh = 0; sh <= 16; sh += 8)
    if (std::abs(int(got >> sh & 255) - int(want >> sh & 255)) > tol) return false;
  return true;
}

// Pixels of the box [x0, x1) x [y0, y1) that are not black.
inline int inked(bitmap* b, long x0, long y0, long x1, long y1) {
  int n = 0;
  for (long y = y0; y < y1; ++y)
    for (long x = x0; x < x1; ++x) n += px(b, x, y) != 0;
  return n;
}

// The box around the pixels near `want`: {x0, y0, x1, y1}, inclusive; x1 < 0 if none.
struct box {
  long x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
};
inline box inkbox(bitmap* b, unsigned long want, long x0, long y0, long x1, long y1) {
  box r;
  for (long y = y0; y < y1; ++y)
    for (long x = x0; x < x1; ++x)
      if (near(px(b, x, y), want, 90) && px(b, x, y) != 0) {
        r.x0 = std::min(r.x0, x), r.x1 = std::max(r.x1, x);
        r.y0 = std::min(r.y0, y), r.y1 = std::max(r.y1, y);
      }
  return r;
}

// Opens the headless window if needed and puts back the settings the tests start from:
// pen 2, the default font, white text, nothing drawn.
inline void freshwindow() {
  if (!IsWin47()) {
    ASSERT_TRUE(CreateWin42(800, 600));
  }
  SetPenWidth82(2);
  SetFont104();
  SetFGColor81(white);
  SetPenColor84(white);
  SetBrushColor86(1);
  SetBGColor79(0);
  Clear164();
}

class Window : public ::testing::Test {
 protected:
  void SetUp() override { freshwindow(); }
};

// Runs each test on the window's picture (false) and on an off-screen bitmap (true), both
// 800 x 600.
class Targets : public ::testing::TestWithParam<bool> {
 protected:
  offscreen off{800, 600};
  bitmap* t = nullptr;
  void SetUp() override {
    freshwindow();
    t = GetParam() ? off.b : GetWin72();
  }
};

inline std::string targetname(::testing::TestParamInfo<bool> const& p) {
  return p.param ? "Bitmap" : "Window";
}

}  // namespace drawkit
