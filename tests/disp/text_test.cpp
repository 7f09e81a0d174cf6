// Text read back as pixels: the text cursor of each target, background boxes, wrapping at
// the right edge, the box form, font sizes, weight, slant, underline and strike-out, and
// a bitmap's own font.
#include <climits>
#include <string>

#include "tests/disp/drawkit.h"

namespace {

using namespace drawkit;

using Text = Targets;

// DrawText goes on where the last text ended; the ln forms then go to the start of the
// next line, below the line just drawn, at the left edge the XY form set.
TEST_F(Window, CursorContinuesAndLinesReturnToTheLeftEdge) {
  bitmap* w = GetWin72();
  DrawTextXY121("AB", 100, 100, white);  // the default font: 10 x 20
  DrawText124("CD", red);
  box b = inkbox(w, red, 0, 0, 800, 600);
  EXPECT_GE(b.x0, 120);
  EXPECT_LE(b.x1, 140);
  EXPECT_GE(b.y0, 100);
  EXPECT_LE(b.y1, 120);

  DrawTextln130("E", red);  // after CD, then down a line
  DrawText124("F", green);
  box f = inkbox(w, green, 0, 0, 800, 600);
  EXPECT_GE(f.x0, 100);
  EXPECT_LE(f.x1, 110);
  EXPECT_GE(f.y0, 120);
  EXPECT_LE(f.y1, 140);
  DrawTextln132();
  DrawTextln131("G");  // white, the foreground colour, one more line down
  EXPECT_GT(inked(w, 100, 140, 110, 160), 0);
  EXPECT_EQ(inked(w, 100, 160, 110, 180), 0);
  EXPECT_EQ(inked(w, 110, 140, 200, 160), 0);

  // Clear starts the text at the top left again.
  Clear164();
  DrawTextln131("H");
  EXPECT_GT(inked(w, 0, 0, 10, 20), 0);

  // A wrapped text keeps its last space: the next text goes on after it.
  Clear164();
  DrawTextXYw136("ab ", 0, 0, white);
  DrawTextw139("c", red);
  box c = inkbox(w, red, 0, 0, 800, 600);
  EXPECT_GE(c.x0, 30);
  EXPECT_LE(c.x1, 40);
}

// The trailing pair is (text colour, box colour); 1 means no box.
TEST_P(Text, BackgroundBoxFillsTheCell) {
  SetFontSize107(10, 20);
  DrawTextXY118(t, "  ", 10, 10, white, blue);
  EXPECT_EQ(inked(t, 0, 0, 100, 100), 20 * 20);
  EXPECT_EQ(px(t, 10, 10), blue);
  EXPECT_EQ(px(t, 29, 29), blue);
  DrawTextXY118(t, "xx", 10, 10, red, 1);  // over the box, which stays
  EXPECT_EQ(px(t, 10, 10), blue);
  EXPECT_GT(inkbox(t, red, 0, 0, 100, 100).x1, 0);
}

// The box form centres the text in the box and cuts it to it.
TEST_P(Text, BoxFormCentresAndCuts) {
  SetFontSize107(20, 40);
  DrawTextXY117(t, "0", 100, 100, white, blue, 100, 80);
  EXPECT_EQ(px(t, 100, 100), blue);
  EXPECT_EQ(px(t, 199, 179), blue);
  EXPECT_EQ(px(t, 200, 100), 0u);
  box b = inkbox(t, white, 100, 100, 200, 180);
  ASSERT_GE(b.x1, 0);
  EXPECT_NEAR((b.x0 + b.x1) / 2.0, 150, 3);
  EXPECT_NEAR((b.y0 + b.y1) / 2.0, 140, 6);

  DrawTextXY117(t, "WWWWWWWWWW", 300, 300, white, 1, 30, 0);
  EXPECT_GT(inked(t, 300, 300, 330, 340), 0);
  EXPECT_EQ(inked(t, 200, 280, 300, 360), 0);
  EXPECT_EQ(inked(t, 330, 280, 500, 360), 0);
}

// The w forms wrap at the right edge: at the last space that fits, inside a word longer
// than a line, and at '\n'; wrapped lines start at the left edge the XY form set.
TEST_P(Text, WideFormsWrapAtTheRightEdge) {
  SetFontSize107(10, 20);
  DrawTextXYw134(t, "aaaa bbbb cccc", 750, 0, white);  // room for 5 characters a line
  for (long line = 0; line < 3; ++line) EXPECT_GT(inked(t, 750, line * 20, 790, line * 20 + 20), 0);
  EXPECT_EQ(inked(t, 790, 0, 800, 60), 0);
  EXPECT_EQ(inked(t, 0, 0, 750, 100), 0);
  EXPECT_EQ(inked(t, 750, 60, 800, 100), 0);

  DrawTextXYw134(t, "abcdefghij", 770, 200, white);  // three characters a line
  for (long line = 0; line < 4; ++line)
    EXPECT_GT(inked(t, 770, 200 + line * 20, 800, 220 + line * 20), 0);
  EXPECT_EQ(inked(t, 770, 280, 800, 300), 0);

  DrawTextXYw133(t, "a\nb", 100, 400, white, blue);
  EXPECT_EQ(px(t, 100, 400), blue);
  EXPECT_EQ(px(t, 100, 420), blue);
  EXPECT_EQ(px(t, 110, 400), 0u);  // the box is the text's, not the line's
}

// SetFont103 gives a target the font of that moment; later settings do not reach it.
TEST_P(Text, TargetKeepsTheFontItWasGiven) {
  SetFontSize107(20, 40);
  SetFont103(t);
  SetFontSize107(10, 20);
  DrawTextXY119(t, "0000", 0, 0, white);
  box b = inkbox(t, white, 0, 0, 800, 600);
  EXPECT_GT(b.x1, 60);
  EXPECT_GT(b.y1, 25);
  EXPECT_EQ(GetStringWidth115("0000"), 40u);
  SetFont104();  // the window follows the settings again
  Clear161(t, 0);
  DrawTextXY119(t, "0000", 0, 0, white);
  EXPECT_EQ(inked(t, 0, 0, 800, 600) > 0, true);
  EXPECT_EQ(inkbox(t, white, 0, 0, 800, 600).x1 > 60, GetParam());
}

INSTANTIATE_TEST_SUITE_P(OnEach, Text, ::testing::Values(false, true), targetname);

// Text placed anywhere at all, and the cursor moved on from there, draws nothing amiss.
TEST_F(Window, FarTextIsHarmless) {
  DrawTextXY121("abc", LONG_MAX, LONG_MAX, white);
  DrawTextln131("abc");
  DrawTextXY122("abc", ~0ul, ~0ul);
  DrawText125("abc");
  DrawTextXY117(GetWin72(), "abc", LONG_MIN, LONG_MIN, white, blue, ~0ul, ~0ul);
  DrawTextXYw136("a b c", LONG_MIN, 0, white);
  DrawTextlnXYw141("a b c", 799, LONG_MIN + 1, white, blue);
  EXPECT_EQ(inked(GetWin72(), 0, 0, 800, 600), 0);
  DrawTextXY120("x", 0, 0, white, blue);
  EXPECT_EQ(px(GetWin72(), 0, 0), blue);
}

// ---- Fonts ---------------------------------------------------------------------------

TEST_F(Window, SizesAreSetTogetherOrOneAtATime) {
  SetFontSize107(20, 40);
  EXPECT_EQ(GetStringSize114("123"), 60u | 40u << 16);
  SetFontWidth105(15);
  EXPECT_EQ(GetStringWidth115("12"), 30u);
  EXPECT_EQ(GetStringHeight116("12"), 40u);
  SetFontHeight106(30);
  EXPECT_EQ(GetStringSize114("1"), 15u | 30u << 16);
  SetFontWidth105(0);  // at least one pixel
  EXPECT_EQ(GetStringWidth115("1"), 1u);
  SetFont104();
  EXPECT_EQ(GetStringSize114("1"), 10u | 20u << 16);
  EXPECT_EQ(GetStringSize114(nullptr), 20u << 16);
}

// Bold puts more ink down, italic moves the top of the letters right, underline and
// strike-out draw a line as long as the text, and none changes the advance.
TEST_F(Window, WeightSlantAndLines) {
  bitmap* w = GetWin72();
  SetFontSize107(20, 40);
  DrawTextXY121("IIII", 100, 100, white);
  int regular = inked(w, 100, 100, 180, 140);
  SetFontWeight108(700);
  DrawTextXY121("IIII", 300, 100, white);
  EXPECT_GT(inked(w, 300, 100, 380, 140), regular * 6 / 5);
  EXPECT_EQ(GetStringWidth115("IIII"), 80u);
  SetFontWeight108(0);  // regular again

  SetFontLtalic109(1);
  DrawTextXY121("I", 100, 200, white);
  SetFontLtalic109(0);
  DrawTextXY121("I", 200, 200, white);
  box it = inkbox(w, white, 100, 200, 140, 213), up = inkbox(w, white, 200, 200, 240, 213);
  box itlow = inkbox(w, white, 100, 225, 140, 240), uplow = inkbox(w, white, 200, 225, 240, 240);
  EXPECT_GT((it.x0 - 100) - (itlow.x0 - 100), (up.x0 - 200) - (uplow.x0 - 200) + 2);

  // A row inked from the first to the last character of a text drawn at (x, y).
  auto fullrow = [&](long x, long y) {
    for (long row = y; row < y + 40; ++row) {
      bool all = true;
      for (long col = x + 1; col < x + 79 && all; ++col) all = px(w, col, row) != 0;
      if (all) return row;
    }
    return -1L;
  };
  DrawTextXY121("....", 100, 300, white);
  EXPECT_EQ(fullrow(100, 300), -1);
  SetFontUnderLine110(1);
  DrawTextXY121("....", 300, 300, white);
  SetFontUnderLine110(0);
  EXPECT_GT(fullrow(300, 300), 300 + 30);  // below the baseline, within the cell
  SetFontStrikeOut111(1);
  DrawTextXY121("....", 500, 300, white);
  SetFontStrikeOut111(0);
  EXPECT_GT(fullrow(500, 300), 300 + 10);  // through the middle of the small letters
  EXPECT_LT(fullrow(500, 300), 300 + 30);
  SetFontCharSet112(238);  // accepted; text stays UTF-8
  EXPECT_EQ(GetStringWidth115("\xc3\xa9t\xc3\xa9"), 60u);
}

}  // namespace
