// Shapes, clearing and pixels read back from the window's picture and from an off-screen
// bitmap: where each shape's outline and fill fall, what the forms without colours use,
// and that a bitmap gets exactly the pixels the window gets.
#include <cmath>
#include <cstdlib>
#include <string>

#include "tests/disp/drawkit.h"

namespace {

using namespace drawkit;

using Shapes = Targets;

// The rectangle between the pixel corners (x, y) and (x + w, y + h), with a pen of 1 its
// outline exactly on the border pixels; negative sizes reach the other way.
TEST_P(Shapes, BarCoversExactlyItsPixels) {
  Bar157(t, 10, 20, 30, 5, 1, red);
  EXPECT_EQ(px(t, 10, 20), red);
  EXPECT_EQ(px(t, 39, 24), red);
  EXPECT_EQ(inked(t, 0, 0, 100, 100), 30 * 5);

  Bar157(t, 200, 200, -10, -4, 1, green);  // pixels 190..199 x 196..199
  EXPECT_EQ(inked(t, 150, 150, 250, 250), 10 * 4);
  EXPECT_EQ(px(t, 190, 196), green);
  EXPECT_EQ(px(t, 200, 199), 0u);

  SetPenWidth82(1);
  Bar157(t, 300, 300, 10, 8, blue, green);
  EXPECT_EQ(px(t, 300, 300), blue);
  EXPECT_EQ(px(t, 309, 307), blue);
  EXPECT_EQ(px(t, 305, 300), blue);
  EXPECT_EQ(px(t, 301, 301), green);
  EXPECT_EQ(px(t, 308, 306), green);
  EXPECT_EQ(inked(t, 290, 290, 320, 320), 10 * 8);

  Bar157(t, 500, 500, 0, 40, red, red);  // no width, nothing
  // Reaching far beyond cairo's range still fills what lies on the picture.
  Bar157(t, -5000000000L, 590, 10000000000L, 10, 1, red);
  EXPECT_EQ(px(t, 0, 595), red);
  EXPECT_EQ(px(t, 799, 599), red);
  EXPECT_EQ(px(t, 500, 520), 0u);
}

// Pie and chord share the arc's angles (from `end` up to `start`): here the lower right
// quarter. A pie's outline takes in the radii, a chord's the straight line across.
TEST_P(Shapes, PieHasItsRadiiAndChordItsLine) {
  Pie173(t, 200, 200, 100, 100, pi / 2, 0, red, 1);
  EXPECT_TRUE(near(px(t, 250, 200), red));  // on the radius along x
  EXPECT_TRUE(near(px(t, 200, 250), red));  // on the radius along y
  EXPECT_TRUE(near(px(t, 271, 271), red));  // on the curve at 45 degrees
  EXPECT_EQ(px(t, 240, 240), 0u);
  EXPECT_EQ(px(t, 200, 150), 0u);

  Clear161(t, 0);
  Chord177(t, 200, 200, 100, 100, pi / 2, 0, red, green);
  EXPECT_TRUE(near(px(t, 250, 250), red));  // the chord from (300, 200) to (200, 300)
  EXPECT_EQ(px(t, 265, 265), green);        // between chord and curve
  EXPECT_EQ(px(t, 230, 230), 0u);           // the centre's side of the chord: not part of it
  EXPECT_EQ(px(t, 250, 201), 0u);           // no radius

  // Equal angles: the whole ellipse, with no radius drawn.
  Clear161(t, 0);
  Pie173(t, 400, 300, 50, 50, 1, 1, red, 1);
  EXPECT_TRUE(near(px(t, 350, 300), red));
  EXPECT_EQ(px(t, 425, 300), 0u);
}

TEST_P(Shapes, EllipseIsCentreAndRadii) {
  Ellipse181(t, 400, 300, 150, 50, red, green);
  EXPECT_EQ(px(t, 400, 300), green);
  EXPECT_EQ(px(t, 530, 300), green);
  EXPECT_TRUE(near(px(t, 550, 300), red));
  EXPECT_TRUE(near(px(t, 400, 250), red));
  EXPECT_EQ(px(t, 400, 360), 0u);
  EXPECT_EQ(px(t, 560, 300), 0u);
  Ellipse181(t, 100, 100, 0, 50, red, green);  // no radius, nothing
  EXPECT_EQ(inked(t, 40, 40, 160, 160), 0);
}

// The pen width is one setting for every target, also those made before it changed.
TEST_P(Shapes, PenWidthReachesEveryTarget) {
  SetPenWidth82(10);
  Circle185(t, 400, 300, 100, red, 1);
  EXPECT_TRUE(near(px(t, 504, 300), red));
  EXPECT_TRUE(near(px(t, 496, 300), red));
  EXPECT_EQ(px(t, 507, 300), 0u);
  EXPECT_EQ(px(t, 400, 300), 0u);
  Line154(t, 100, 100, 600, 0, green);
  EXPECT_TRUE(near(px(t, 400, 104), green));
  EXPECT_EQ(px(t, 400, 108), 0u);
}

// Clear paints the background colour of the target, or the colour given, and leaves the
// background colour as it was.
TEST_P(Shapes, ClearPaintsTheBackgroundOrTheColourGiven) {
  Clear161(t, blue);
  EXPECT_EQ(px(t, 0, 0), blue);
  EXPECT_EQ(px(t, 799, 599), blue);
  // The window's background is set by SetBGColor79; a bitmap's is the colour it was made in.
  bitmap* g = t == GetWin72() ? t : CreateBMP191(800, 600, green);
  if (g == t) SetBGColor79(green);
  Clear161(g, red);
  Clear162(g);
  EXPECT_EQ(px(g, 400, 300), green);
  if (g == t) {
    SetBGColor79(0);
  } else {
    ReleaseBMP194(g);
  }
}

// SetPixel writes exactly the colour, no blending, and later drawing covers it.
TEST_P(Shapes, PixelsAreWrittenExactly) {
  SetPixel149(t, 5, 5, 0x123456);
  EXPECT_EQ(px(t, 5, 5), 0x123456u);
  EXPECT_EQ(inked(t, 0, 0, 20, 20), 1);
  SetPixel149(t, 800, 5, red);  // outside: nothing
  SetPixel149(t, ~0ul, 5, red);
  EXPECT_EQ(inked(t, 0, 0, 800, 600), 1);
  Bar157(t, 0, 0, 10, 10, 1, green);
  EXPECT_EQ(px(t, 5, 5), green);
  EXPECT_EQ(GetPixel147(t, 800, 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(OnEach, Shapes, ::testing::Values(false, true), targetname);

// ---- The window's own forms ----------------------------------------------------------

// A bitmap gets exactly the window's pixels: every shape drawn both ways, then compared.
TEST_F(Window, BitmapFormsDrawWhatTheWindowFormsDraw) {
  offscreen b(800, 600);
  bitmap* w = GetWin72();
  for (bitmap* x : {w, b.b}) {
    bool off = x != w;
    auto both = [&](auto window, auto bitmapform) { off ? bitmapform() : window(); };
    both([] { Line155(10, 10, 300, 80, red); }, [&] { Line154(x, 10, 10, 300, 80, red); });
    both([] { Bar158(50, 400, 120, 60, red, green); },
         [&] { Bar157(x, 50, 400, 120, 60, red, green); });
    both([] { Triangle166(300, 300, 500, 320, 350, 450, blue, red); },
         [&] { Triangle165(x, 300, 300, 500, 320, 350, 450, blue, red); });
    both([] { Arc170(600, 150, 120, 80, 1.0, -2.0, green, blue); },
         [&] { Arc169(x, 600, 150, 120, 80, 1.0, -2.0, green, blue); });
    both([] { Pie174(200, 200, 70, 90, 2.0, 0.5, red, blue); },
         [&] { Pie173(x, 200, 200, 70, 90, 2.0, 0.5, red, blue); });
    both([] { Chord178(650, 450, 90, 60, 4.0, 1.0, blue, green); },
         [&] { Chord177(x, 650, 450, 90, 60, 4.0, 1.0, blue, green); });
    both([] { Ellipse182(450, 520, 100, 40, green, red); },
         [&] { Ellipse181(x, 450, 520, 100, 40, green, red); });
    both([] { Circle186(720, 300, 60, red, 1); }, [&] { Circle185(x, 720, 300, 60, red, 1); });
    both([] { SetPixel150(1, 1, 0xABCDEF); }, [&] { SetPixel149(x, 1, 1, 0xABCDEF); });
  }
  int differ = 0;
  for (long y = 0; y < 600; ++y)
    for (long x = 0; x < 800; ++x) differ += px(w, x, y) != px(b.b, x, y);
  EXPECT_EQ(differ, 0);
  EXPECT_GT(inked(w, 0, 0, 800, 600), 20000);
}

// The forms without colours use the window's pen and brush colours (1: that part
// undrawn); the one-colour forms fill, but an arc, being a curve, takes its colour as its
// outline.
TEST_F(Window, OmittedColoursArePenAndBrushAndOneColourFills) {
  SetPenColor84(red);
  SetBrushColor86(green);
  Circle188(100, 100, 50);
  EXPECT_TRUE(near(px(GetWin72(), 150, 100), red));
  EXPECT_EQ(px(GetWin72(), 100, 100), green);
  Bar160(200, 50, 40, 40);
  EXPECT_EQ(px(GetWin72(), 220, 70), green);
  Line156(300, 50, 0, 100);
  EXPECT_TRUE(near(px(GetWin72(), 300, 100), red));

  SetBrushColor86(1);
  Ellipse184(500, 100, 60, 30);
  EXPECT_TRUE(near(px(GetWin72(), 560, 100), red));
  EXPECT_EQ(px(GetWin72(), 500, 100), 0u);
  SetPenColor84(1);
  long before = inked(GetWin72(), 0, 0, 800, 600);
  Triangle168(600, 300, 700, 300, 650, 200);
  Pie176(400, 400, 50, 50, 1, 0);
  Line156(0, 0, 800, 600);
  EXPECT_EQ(inked(GetWin72(), 0, 0, 800, 600), before);
  SetPenColor84(white);

  Clear164();
  Ellipse183(100, 300, 40, 20, blue);
  Triangle167(200, 280, 260, 280, 230, 330, blue);
  Pie175(350, 300, 40, 40, pi / 2, 0, blue);
  Chord179(450, 300, 40, 40, pi, 0, blue);
  Bar159(500, 280, 30, 30, blue);
  EXPECT_EQ(px(GetWin72(), 100, 300), blue);
  EXPECT_EQ(px(GetWin72(), 230, 290), blue);
  EXPECT_EQ(px(GetWin72(), 365, 315), blue);
  EXPECT_EQ(px(GetWin72(), 450, 320), blue);
  EXPECT_EQ(px(GetWin72(), 515, 295), blue);
  Arc171(650, 300, 50, 50, 1, 0, blue);
  EXPECT_TRUE(near(px(GetWin72(), 650 + 44, 300 + 24), blue));  // at angle 0.5
  EXPECT_EQ(px(GetWin72(), 650, 300), 0u);
}

TEST_F(Window, BackgroundColourIsWhatClearPaints) {
  SetBGColor79(0xFF112233);
  EXPECT_EQ(GetBGColor78(), 0x112233u);
  Clear164();
  EXPECT_EQ(px(GetWin72(), 10, 10), 0x112233u);
  Clear163(red);
  EXPECT_EQ(px(GetWin72(), 10, 10), red);
  EXPECT_EQ(GetBGColor78(), 0x112233u);
  SetBGColor79(0);
  Clear164();
  SetFGColor81(green);
  EXPECT_EQ(GetFGColor80(), green);
  SetPixel151(3, 4);
  EXPECT_EQ(px(GetWin72(), 3, 4), green);
  EXPECT_EQ(GetPixel148(3, 4), green);
}

// Entries given no picture, or one that is not alive, do nothing and read 0.
TEST(Targets, MissingTargetsAreIgnored) {
  bitmap* dead = CreateBMP192(4, 4);
  ReleaseBMP194(dead);  // a released bitmap: its record is kept, so the pointer is safe
  for (bitmap* b : {static_cast<bitmap*>(nullptr), dead}) {
    Line154(b, 0, 0, 10, 10, red);
    Bar157(b, 0, 0, 10, 10, red, green);
    Clear161(b, red);
    Circle185(b, 5, 5, 5, red, green);
    SetPixel149(b, 1, 1, red);
    DrawTextXY119(b, "x", 0, 0, red);
    SetFont103(b);
    EXPECT_EQ(GetPixel147(b, 1, 1), 0u);
  }
}

}  // namespace

int main(int argc, char** argv) {
  setenv("DISP_HEADLESS", "1", 1);
  for (char const* v : {"DISP_CLOCK", "DISP_KEYS", "DISP_QUIT_AT", "DISP_SHOT", "DISP_STATS"})
    unsetenv(v);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
