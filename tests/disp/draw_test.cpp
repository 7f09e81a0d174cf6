// libdisp on its headless canvas: shapes, text and colours read back pixel by pixel through
// GetPixel148, plus the number helpers, the key table and the window's life.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include "platform/disp/disp.h"
#include "platform/disp/sdl/keymap.h"

namespace {

constexpr unsigned long red = 0xFF0000, green = 0x00FF00, blue = 0x0000FF, grey = 0x808080;
constexpr double pi = 3.141592653589793;

unsigned long px(long x, long y) { return GetPixel148(qe_u(x), qe_u(y)); }

// A pixel counts as painted in a colour when it is mostly that colour (antialiased edges
// are blends).
bool near(unsigned long got, unsigned long want, int tol = 40) {
  for (int sh = 0; sh <= 16; sh += 8) {
    int a = int(got >> sh & 255), b = int(want >> sh & 255);
    if (std::abs(a - b) > tol) return false;
  }
  return true;
}

// Whether the colour shows at (x, y) or a next pixel: robust against where exactly a
// rounded point of a curve falls within its antialiased outline.
bool shows(long x, long y, unsigned long want) {
  for (long dy = -1; dy <= 1; ++dy)
    for (long dx = -1; dx <= 1; ++dx)
      if (near(px(x + dx, y + dy), want)) return true;
  return false;
}

// Pixels within the box that are not background.
int inked(long x0, long y0, long x1, long y1) {
  int n = 0;
  for (long y = y0; y < y1; ++y)
    for (long x = x0; x < x1; ++x) n += px(x, y) != 0;
  return n;
}

class Canvas : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!IsWin47()) {
      ASSERT_TRUE(CreateWin42(800, 600));
    }
    SetPenWidth82(2);
    SetFontName113("Consolas");
    Clear164();
  }
};

// ---- Shapes ----------------------------------------------------------------------------

TEST_F(Canvas, ClearPaintsBlackAndPixelsOutsideReadZero) {
  Circle187(10, 10, 5, red);
  Clear164();
  EXPECT_EQ(inked(0, 0, 40, 40), 0);
  Circle187(799, 599, 3, green);
  EXPECT_EQ(px(799, 599), green);
  EXPECT_EQ(px(800, 599), 0u);
  EXPECT_EQ(px(799, 600), 0u);
  EXPECT_EQ(GetPixel148(~0ul, 0), 0u);
}

// Arc170(start π/3, end −π/3) runs clockwise on screen from the lower right to the upper
// right: it covers the angles −π/3..π/3, the right side, and nothing else.
TEST_F(Canvas, ArcRunsFromStartToEndThroughDecreasingAngles) {
  Arc170(400, 300, 100, 100, pi / 3, -pi / 3, red, 1);
  auto at = [](double a, unsigned long c) {
    return shows(400 + std::lround(100 * std::cos(a)), 300 + std::lround(100 * std::sin(a)), c);
  };
  for (double a : {0.0, 0.9, -0.9, 0.5, -0.5}) EXPECT_TRUE(at(a, red)) << a;
  for (double a : {pi, pi / 2, -pi / 2, 1.3, -1.3, 2.5}) EXPECT_TRUE(at(a, 0)) << a;
  EXPECT_TRUE(near(px(400, 400), 0) && near(px(300, 300), 0));

  // Swapped angles give the other two thirds, as the game's grey part of a cut loop.
  Clear164();
  Arc170(400, 300, 100, 100, -pi / 3, pi / 3, grey, 1);
  for (double a : {pi, pi / 2, -pi / 2, 1.3, -1.3}) EXPECT_TRUE(at(a, grey)) << a;
  for (double a : {0.0, 0.9, -0.9}) EXPECT_FALSE(at(a, grey)) << a;

  // Angles whole turns apart mean the same arc.
  Clear164();
  Arc170(400, 300, 100, 100, pi / 3 + 4 * pi, -pi / 3 - 2 * pi, red, 1);
  EXPECT_TRUE(at(0, red));
  EXPECT_FALSE(at(pi, red));
}

TEST_F(Canvas, EllipticArcFollowsBothRadii) {
  Arc170(400, 300, 150, 50, pi / 2 + 0.2, -pi / 2 - 0.2, blue, 1);  // the right half
  EXPECT_TRUE(near(px(550, 300), blue));
  EXPECT_TRUE(near(px(400, 350), blue));
  EXPECT_TRUE(near(px(400, 250), blue));
  EXPECT_EQ(px(250, 300), 0u);
  EXPECT_EQ(px(400, 400), 0u);
}

TEST_F(Canvas, OutlineOrFillOfOneIsLeftUndrawn) {
  Circle186(200, 200, 50, red, 1);  // outline only, as the game's loops
  EXPECT_TRUE(near(px(250, 200), red));
  EXPECT_EQ(px(200, 200), 0u);

  Circle186(500, 200, 50, 1, green);  // fill only
  EXPECT_EQ(px(500, 200), green);
  EXPECT_FALSE(near(px(550, 200), red));

  Circle186(200, 400, 50, red, green);  // both: fill inside, outline on the rim
  EXPECT_EQ(px(200, 400), green);
  EXPECT_TRUE(near(px(250, 400), red));

  Triangle166(450, 450, 550, 450, 500, 350, 1, blue);  // a spike: fill, no outline
  EXPECT_EQ(px(500, 420), blue);
  EXPECT_EQ(px(500, 451), 0u);

  Arc170(700, 100, 40, 40, pi / 2, 0, 1, green);  // filled pie of the lower right quarter
  EXPECT_EQ(px(715, 115), green);
  EXPECT_EQ(px(685, 85), 0u);

  long before = inked(0, 0, 800, 600);
  Circle186(650, 450, 40, 1, 1);
  Triangle166(600, 500, 700, 500, 650, 560, 1, 1);
  Arc170(650, 450, 40, 40, 1, 0, 1, 1);
  EXPECT_EQ(inked(0, 0, 800, 600), before);
}

TEST_F(Canvas, OutlinesHaveThePenWidth) {
  Circle186(400, 300, 100, red, 1);
  EXPECT_TRUE(near(px(500, 300), red));
  EXPECT_EQ(px(504, 300), 0u);
  EXPECT_EQ(px(496, 300), 0u);

  SetPenWidth82(10);
  Clear164();
  Circle186(400, 300, 100, red, 1);
  EXPECT_TRUE(near(px(504, 300), red));
  EXPECT_TRUE(near(px(496, 300), red));
  EXPECT_EQ(px(507, 300), 0u);

  Clear164();
  Line155(100, 100, 600, 0, green);  // horizontal, 10 wide
  EXPECT_TRUE(near(px(400, 96), green));
  EXPECT_TRUE(near(px(400, 104), green));
  EXPECT_EQ(px(400, 108), 0u);
  SetPenWidth82(2);
}

TEST_F(Canvas, LineRunsFromItsStartByTheDifference) {
  Line155(100, 500, 300, -400, green);  // to (400, 100)
  EXPECT_TRUE(near(px(100, 500), green, 80));
  EXPECT_TRUE(near(px(250, 300), green, 80));
  EXPECT_TRUE(near(px(400, 100), green, 80));
  EXPECT_EQ(px(430, 60), 0u);
  EXPECT_EQ(px(70, 540), 0u);
}

TEST_F(Canvas, TriangleIsFilledBetweenItsCorners) {
  Triangle166(100, 100, 300, 100, 100, 300, red, green);
  EXPECT_EQ(px(150, 150), green);
  EXPECT_EQ(px(250, 250), 0u);  // beyond the hypotenuse
  EXPECT_TRUE(near(px(200, 100), red));
}

TEST_F(Canvas, CircleOfRadiusZeroOrLessDrawsNothing) {
  Circle186(400, 300, 0, red, green);
  Circle186(400, 300, -5, red, green);
  EXPECT_EQ(inked(380, 280, 420, 320), 0);
}

TEST_F(Canvas, BallOfRadiusZeroLeavesOnePixel) {
  Circle187(400, 300, 0, 0xFFFFFF);
  EXPECT_EQ(px(400, 300), 0xFFFFFFu);
  EXPECT_EQ(inked(390, 290, 410, 310), 1);
  Circle187(200, 300, 6, 0xFFFFFF);
  EXPECT_EQ(px(200, 300), 0xFFFFFFu);
  EXPECT_EQ(px(204, 300), 0xFFFFFFu);
  EXPECT_EQ(px(208, 300), 0u);
}

// Shapes far away, and lines with ends far beyond cairo's coordinate range, draw what
// lies on the canvas and nothing else.
TEST_F(Canvas, FarShapesAreSkippedAndFarLinesClipped) {
  Circle186(-500, 300, 180, red, green);
  Triangle166(900, 0, 950, 0, 925, 40, red, green);
  Arc170(400, 2000, 100, 100, 1, 0, red, green);
  Circle187(-1, -1, 0, red);
  EXPECT_EQ(inked(0, 0, 800, 600), 0);

  Line155(-1000000000000000L, 300, 2000000000000000L, 0, red);  // across the whole canvas
  EXPECT_TRUE(near(px(0, 300), red));
  EXPECT_TRUE(near(px(799, 300), red));
  EXPECT_EQ(px(400, 290), 0u);
}

// ---- Text ----------------------------------------------------------------------------

TEST_F(Canvas, TextIsSizedByCharacterWidthAndCellHeight) {
  SetFontSize107(20, 40);
  EXPECT_EQ(GetStringWidth115("123"), 60u);
  EXPECT_EQ(GetStringHeight116("123"), 40u);
  SetFontSize107(10, 20);
  EXPECT_EQ(GetStringWidth115("60"), 20u);
  EXPECT_EQ(GetStringHeight116("60"), 20u);
  EXPECT_EQ(GetStringWidth115(""), 0u);
}

// The game centres loop numbers with the reported size; the ink must sit around the
// centre and inside the cell.
TEST_F(Canvas, CentredTextIsCentred) {
  SetFontSize107(20, 40);
  char const* t = "808";
  long w = long(GetStringWidth115(t)), h = long(GetStringHeight116(t));
  DrawTextXY121(t, 400 - w / 2, 300 - h / 2, 0xFFFFFF);
  long x0 = 800, x1 = -1, y0 = 600, y1 = -1;
  for (long y = 200; y < 400; ++y)
    for (long x = 300; x < 500; ++x)
      if (px(x, y) != 0) {
        x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
      }
  ASSERT_GE(x1, 0) << "no text drawn";
  EXPECT_NEAR((x0 + x1) / 2.0, 400, 3);
  EXPECT_NEAR((y0 + y1) / 2.0, 300, 6);
  EXPECT_GE(y0, 300 - h / 2);
  EXPECT_LE(y1, 300 + h / 2);
  EXPECT_GT(y1 - y0, h / 2);  // digits fill most of the cell
}

TEST_F(Canvas, TextHasNoBackgroundBox) {
  Circle187(100, 100, 30, red);
  SetFontSize107(20, 40);
  DrawTextXY121("1", 90, 80, 0xFFFFFF);
  EXPECT_EQ(px(91, 81), red);  // corner of the cell, no glyph there
}

// Bytes that are not UTF-8 would put cairo's context into an error state for good; the
// library must draw them as Latin-1 and keep drawing.
TEST_F(Canvas, BadTextAndSizesDoNotStopDrawing) {
  SetFontSize107(20, 40);
  DrawTextXY121("\xff\xfe\xc3", 100, 100, 0xFFFFFF);
  EXPECT_GT(inked(100, 100, 160, 140), 0);
  EXPECT_EQ(GetStringWidth115("\xe9t\xe9"), 60u);
  SetFontSize107(0, 0);
  DrawTextXY121("1", 300, 300, 0xFFFFFF);
  DrawTextXY121(nullptr, 300, 300, 0xFFFFFF);
  SetFontName113(nullptr);
  DrawTextXY121("1", 300, 300, 0xFFFFFF);
  SetFontName113("Consolas");
  Circle187(600, 300, 5, red);
  EXPECT_EQ(px(600, 300), red);
}

// ---- Colours -------------------------------------------------------------------------

TEST(Colour, HueZeroIsRed) {
  unsigned long c = HSN2RGB100(0 | 0xAAFF00);
  EXPECT_GE(c >> 16, 150u);
  EXPECT_LE(c >> 8 & 255, 20u);
  EXPECT_LE(c & 255, 20u);
  EXPECT_EQ(HSN2RGB100(0xFFFF00), 0xFF0000u);
  EXPECT_EQ(HSN2RGB100(0xFF0000), 0xFFFFFFu);  // no saturation: grey of that brightness
  EXPECT_EQ(HSN2RGB100(0x00FF00), 0u);         // no brightness: black
}

// Every loop colour must read as a colour on black, and never as the grey of the parts the
// chasing line has passed.
TEST(Colour, EveryLoopHueStandsOutFromBlackAndGrey) {
  auto lin = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
  for (unsigned h = 0; h < 256; ++h) {
    unsigned long c = HSN2RGB100(h | 0xAAFF00);
    double r = c >> 16, g = c >> 8 & 255, b = c & 255;
    double y = 0.2126 * lin(r / 255) + 0.7152 * lin(g / 255) + 0.0722 * lin(b / 255);
    EXPECT_GE(y, 0.08) << "hue " << h << " too dark: " << std::hex << c;
    double dgrey = std::sqrt((r - 128) * (r - 128) + (g - 128) * (g - 128) + (b - 128) * (b - 128));
    EXPECT_GE(dgrey, 100) << "hue " << h << " too close to grey: " << std::hex << c;
  }
  EXPECT_NE(HSN2RGB100(0xAAFF00), HSN2RGB100(0xAAFF55));
  EXPECT_NE(HSN2RGB100(0xAAFF55), HSN2RGB100(0xAAFFAA));
}

// The game ORs hues above 255 into the value: only the low byte is the hue, and bits
// above the brightness byte are ignored.
TEST(Colour, OnlyTheThreeLowBytesCount) {
  EXPECT_EQ(HSN2RGB100(300 | 0xAAFF00), HSN2RGB100((300 & 255) | 0xAAFF00));
  EXPECT_EQ(HSN2RGB100(0x7FAAFF10), HSN2RGB100(0xAAFF10));
}

// ---- Numbers -------------------------------------------------------------------------

TEST(Numbers, AbsArccosAndDecimalText) {
  EXPECT_EQ(abs2(3, 4), 5.0);
  EXPECT_EQ(abs2(800, 600) * 0.5, 500.0);
  EXPECT_TRUE(std::isfinite(abs2(1e200, 1e200)));
  EXPECT_GT(abs2(1e-200, 1e-200), 0.0);
  EXPECT_EQ(arccos5(0.5), std::acos(0.5));
  EXPECT_EQ(arccos5(1 + 1e-12), 0.0);  // a cosine rounded past 1 is 1
  EXPECT_EQ(arccos5(-1 - 1e-12), pi);
  EXPECT_STREQ(i2s7(0), "0");
  EXPECT_STREQ(i2s7(-42), "-42");
  EXPECT_STREQ(i2s7(LONG_MIN), std::to_string(LONG_MIN).c_str());
}

// ---- Keys ----------------------------------------------------------------------------

// The thirteen keys the game asks about: the script name, the SDL key and the code.
TEST(Keys, GameKeysMapToTheirVirtualKeyCodes) {
  struct {
    char const* name;
    SDL_Keycode sdl;
    unsigned vk;
  } const game[] = {{"SPACE", SDLK_SPACE, 32},
                    {"RIGHT", SDLK_RIGHT, 39},
                    {"LEFT", SDLK_LEFT, 37},
                    {"UP", SDLK_UP, 38},
                    {"DOWN", SDLK_DOWN, 40},
                    {"KP_PLUS", SDLK_KP_PLUS, 107},
                    {"KP_MINUS", SDLK_KP_MINUS, 109},
                    {"HOME", SDLK_HOME, 36},
                    {"END", SDLK_END, 35},
                    {"R", SDLK_r, 82},
                    {"F9", SDLK_F9, 120},
                    {"F12", SDLK_F12, 123},
                    {"ESC", SDLK_ESCAPE, 27}};
  for (auto const& k : game) {
    EXPECT_EQ(dsp_vkofname(k.name), k.vk) << k.name;
    EXPECT_EQ(dsp_vkofsdl(k.sdl), k.vk) << k.name;
  }
  // The main-row keys are not the keypad's.
  EXPECT_EQ(dsp_vkofsdl(SDLK_EQUALS), 187u);
  EXPECT_EQ(dsp_vkofsdl(SDLK_MINUS), 189u);
  EXPECT_EQ(dsp_vkofname("space"), 32u);
  EXPECT_EQ(dsp_vkofname("NOSUCHKEY"), 0u);
  EXPECT_EQ(dsp_vkofsdl(SDLK_CAPSLOCK), 0u);
}

TEST(Keys, TableHasOneRowPerNameAndPerSdlKey) {
  for (size_t i = 0; i < std::size(dsp_keys); ++i)
    for (size_t j = i + 1; j < std::size(dsp_keys); ++j) {
      EXPECT_STRNE(dsp_keys[i].name, dsp_keys[j].name);
      EXPECT_NE(dsp_sdlkeys[i].sdl, dsp_sdlkeys[j].sdl)
          << dsp_keys[i].name << " " << dsp_keys[j].name;
    }
  for (char c = 'A'; c <= 'Z'; ++c) EXPECT_EQ(dsp_vkofname(std::string(1, c).c_str()), unsigned(c));
  for (char c = '0'; c <= '9'; ++c) EXPECT_EQ(dsp_vkofname(std::string(1, c).c_str()), unsigned(c));
  for (int f = 1; f <= 12; ++f) {
    char name[8];
    snprintf(name, sizeof name, "F%d", f);
    EXPECT_EQ(dsp_vkofname(name), 111u + unsigned(f));
  }
}

// Without a window there is no message, and no key.
TEST(Keys, NoMessageWithoutWindow) {
  CloseWin46();
  EXPECT_FALSE(IsNextMsg254());
  EXPECT_FALSE(IsKey260(32));
}

// ---- Window --------------------------------------------------------------------------

TEST(Window, ClosedWindowIgnoresDrawingAndCountsNoFrames) {
  ASSERT_TRUE(CreateWin42(320, 200));
  EXPECT_TRUE(IsWin47());
  for (int i = 0; i < 5; ++i) FreshWin45();
  unsigned long fps = GetFPS37();
  EXPECT_GE(fps, 5u);
  CloseWin46();
  EXPECT_FALSE(IsWin47());
  Clear164();
  Circle186(10, 10, 5, red, green);
  DrawTextXY121("x", 0, 0, red);
  FreshWin45();
  EXPECT_EQ(GetFPS37(), fps);
  EXPECT_EQ(px(10, 10), 0u);
  CloseWin46();
  // A new window starts black, at its own size.
  ASSERT_TRUE(CreateWin42(800, 600));
  EXPECT_EQ(inked(0, 0, 50, 50), 0);
  Circle187(799, 599, 2, red);
  EXPECT_EQ(px(799, 599), red);
}

TEST(Window, ImpossibleSizeFails) {
  EXPECT_FALSE(CreateWin42(0, 600));
  EXPECT_FALSE(IsWin47());
  EXPECT_FALSE(CreateWin42(100000, 600));
  EXPECT_TRUE(CreateWin42(800, 600));
}

}  // namespace

int main(int argc, char** argv) {
  setenv("DISP_HEADLESS", "1", 1);
  for (char const* v : {"DISP_CLOCK", "DISP_KEYS", "DISP_QUIT_AT", "DISP_SHOT", "DISP_STATS"})
    unsetenv(v);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
