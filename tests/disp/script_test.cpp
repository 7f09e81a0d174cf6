// Text in scripts the default face lacks or cannot shape: a line mixing Latin, Hangul, Han,
// an emoji and Arabic is drawn as Pango itself draws it, with no missing-glyph boxes, and
// measuring agrees with what is drawn. Skipped where the fonts for those scripts are missing.
#include <pango/pangocairo.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "tests/disp/drawkit.h"

namespace {

using namespace drawkit;

// Latin, Korean, Chinese, an emoji, Arabic (joined by shaping), Devanagari (reordered).
char const* const mixed =
    "Quib \xed\x95\x9c\xea\xb5\xad\xec\x96\xb4 \xe6\xb1\x89\xe5\xad\x97 \xf0\x9f\x98\x80 "
    "\xd9\x85\xd8\xb1\xd8\xad\xd8\xa8\xd8\xa7 \xe0\xa4\xb9\xe0\xa4\xbf\xe0\xa4\x82\xe0\xa4\xa6"
    "\xe0\xa5\x80";

constexpr long left = 20, top = 100;
constexpr unsigned cw = 20, ch = 40;  // the cell asked for

// The same line drawn by Pango with no library in between, on a black picture of the
// library's format, sized as the font entries promise: '0' advances cw, ascent + descent
// of the face is ch, the baseline an ascent below the cell's top.
struct reference {
  cairo_surface_t* surface = nullptr;
  int unknown = -1;      // glyphs Pango found no font for
  double width = 0;      // advance in pixels
  std::string families;  // the face the library starts with, then the fallback
  reference(int w, int h, char const* text) {
    surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    PangoFontMap* map = pango_cairo_font_map_new();
    PangoContext* ctx = pango_font_map_create_context(map);
    cairo_font_options_t* o = cairo_font_options_create();
    cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_SLIGHT);
    pango_cairo_context_set_font_options(ctx, o);
    pango_context_set_round_glyph_positions(ctx, FALSE);

    // The face's own metrics at 64 pixels, from the font Pango picks for '0'.
    PangoFontDescription* desc = pango_font_description_from_string("Consolas,monospace");
    pango_font_description_set_absolute_size(desc, 64 * PANGO_SCALE);
    PangoFont* font = pango_font_map_load_font(map, ctx, desc);
    cairo_scaled_font_t* sf = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(font));
    cairo_font_extents_t fe;
    cairo_text_extents_t te;
    cairo_scaled_font_extents(sf, &fe);
    cairo_scaled_font_text_extents(sf, "0", &te);
    PangoFontDescription* got = pango_font_describe(font);
    families = std::string(pango_font_description_get_family(got)) + ",Consolas,monospace";
    pango_font_description_free(got);
    g_object_unref(font);
    double sx = cw / (te.x_advance / 64), sy = ch / ((fe.ascent + fe.descent) / 64);
    double ascent = fe.ascent / 64 * sy, xscale = sx / sy;

    pango_font_description_set_family(desc, families.c_str());
    pango_font_description_set_absolute_size(desc, sy * PANGO_SCALE);
    PangoMatrix m = PANGO_MATRIX_INIT;
    m.xx = xscale;
    pango_context_set_matrix(ctx, &m);
    PangoLayout* layout = pango_layout_new(ctx);
    pango_layout_set_font_description(layout, desc);
    pango_layout_set_text(layout, text, -1);
    unknown = pango_layout_get_unknown_glyphs_count(layout);
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    width = double(logical.width) / PANGO_SCALE * xscale;
    cairo_translate(cr, double(left), double(top) + ascent);
    cairo_scale(cr, xscale, 1);
    cairo_move_to(cr, 0, -double(pango_layout_get_baseline(layout)) / PANGO_SCALE);
    cairo_set_source_rgb(cr, 1, 1, 1);
    pango_cairo_show_layout(cr, layout);
    cairo_surface_flush(surface);

    g_object_unref(layout);
    pango_font_description_free(desc);
    cairo_font_options_destroy(o);
    g_object_unref(ctx);
    g_object_unref(map);
    cairo_destroy(cr);
  }
  ~reference() { cairo_surface_destroy(surface); }
  unsigned long px(int x, int y) const {
    auto const* row =
        cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    return reinterpret_cast<uint32_t const*>(row)[x] & 0xFFFFFF;
  }
};

class Scripts : public Window {
 protected:
  void SetUp() override {
    Window::SetUp();
    SetFontSize107(cw, ch);
  }
};

// Fallback fonts and shaping: pixel for pixel what Pango draws, and no boxes for missing
// glyphs, in the window's picture and an off-screen bitmap alike.
TEST_F(Scripts, MixedLineDrawsAsPangoDrawsIt) {
  reference ref(800, 200, mixed);
  if (ref.unknown != 0)
    GTEST_SKIP() << ref.unknown << " glyphs have no installed font (fonts-noto-core, "
                 << "fonts-noto-cjk, fonts-nanum, fonts-noto-color-emoji)";
  offscreen off(800, 200);
  for (bitmap* t : {GetWin72(), off.b}) {
    DrawTextXY119(t, mixed, left, top, white);
    long differ = 0, lit = 0;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 800; ++x) {
        differ += px(t, x, y) != ref.px(x, y);
        lit += ref.px(x, y) != 0;
      }
    EXPECT_EQ(differ, 0) << "of " << lit << " lit pixels";
    // The emoji keeps its own colours; the text colour is white.
    bool coloured = false;
    for (int y = 0; y < 200 && !coloured; ++y)
      for (int x = 0; x < 800 && !coloured; ++x) {
        unsigned long c = px(t, x, y);
        coloured = (c >> 16 & 255) > 150 && (c & 255) < 80;
      }
    EXPECT_TRUE(coloured) << "no emoji colours";
  }
}

// Width and height measure what is drawn; the cursor, a background box and underlining
// follow the same width; the cell height still steps the lines.
TEST_F(Scripts, MeasuringMatchesDrawing) {
  reference ref(800, 200, mixed);
  if (ref.unknown != 0) GTEST_SKIP() << "fonts for these scripts are not installed";
  bitmap* w = GetWin72();
  qr_u width = GetStringWidth115(mixed), height = GetStringHeight116(mixed);
  EXPECT_EQ(width, qr_u(std::lround(ref.width)));
  EXPECT_EQ(GetStringSize114(mixed), width | height << 16);
  DrawTextXY119(w, mixed, left, top, white);
  box ink;
  for (long y = 0; y < 600; ++y)
    for (long x = 0; x < 800; ++x)
      if (px(w, x, y)) {
        ink.x0 = std::min(ink.x0, x), ink.x1 = std::max(ink.x1, x);
        ink.y0 = std::min(ink.y0, y), ink.y1 = std::max(ink.y1, y);
      }
  ASSERT_GE(ink.x1, 0);
  EXPECT_GE(ink.x0, left - 1);
  EXPECT_LE(ink.x1, left + long(width));
  EXPECT_GE(ink.x1, left + long(width) - 3 * long(cw));  // the last letters are near the end
  long drawnh = std::max(ink.y1 + 1, top + long(ch)) - std::min(ink.y0, top);
  EXPECT_LE(std::abs(long(height) - drawnh), 1) << "ink rows " << ink.y0 << ".." << ink.y1;

  // Text drawn after it goes on at its end.
  DrawText124("0", red);
  box after = inkbox(w, red, 0, 0, 800, 600);
  EXPECT_GE(after.x0, left + long(width));
  EXPECT_LE(after.x0, left + long(width) + long(cw));

  // A background box as wide as the width, an underline as long, both in the cell.
  Clear164();
  DrawTextXY118(w, mixed, left, top, white, blue);
  EXPECT_EQ(px(w, left, top), blue);
  EXPECT_EQ(px(w, left + long(width) - 2, top + long(ch) - 1), blue);  // the last is a blend
  EXPECT_EQ(px(w, left + long(width) + 1, top), 0u);
  Clear164();
  SetFontUnderLine110(1);
  DrawTextXY119(w, mixed, left, top, white);
  bool row = false;
  for (long y = top + long(ch) / 2; y < top + long(ch) && !row; ++y) {
    row = true;
    for (long x = left + 1; x < left + long(width) - 1 && row; ++x) row = px(w, x, y) != 0;
  }
  EXPECT_TRUE(row) << "no underline as long as the text";
  SetFontUnderLine110(0);

  DrawTextlnXY127(mixed, left, top, white);
  DrawTextln130("0", red);
  EXPECT_GE(inkbox(w, red, 0, 0, 800, 600).y0, top + long(ch));
}

// Weight and slant reach the fallback fonts too, and the advance stays put.
TEST_F(Scripts, BoldAndItalicReachFallbackFonts) {
  char const* const hangul = "\xed\x95\x9c\xea\xb5\xad\xec\x96\xb4";
  reference ref(10, 10, hangul);
  if (ref.unknown != 0) GTEST_SKIP() << "no Korean font installed";
  bitmap* w = GetWin72();
  DrawTextXY119(w, hangul, 100, 100, white);
  int regular = inked(w, 0, 0, 800, 600);
  Clear164();
  SetFontWeight108(700);
  DrawTextXY119(w, hangul, 100, 100, white);
  EXPECT_GT(inked(w, 0, 0, 800, 600), regular * 11 / 10);
  SetFontWeight108(0);
  qr_u upright = GetStringWidth115(hangul);
  SetFontLtalic109(1);
  EXPECT_NEAR(double(GetStringWidth115(hangul)), double(upright), 1);
  SetFontLtalic109(0);
}

// Wrapped lines of text the face lacks still break at spaces and stay inside the target.
TEST_F(Scripts, WrappingBreaksShapedTextToo) {
  char const* const words =
      "\xed\x95\x9c\xea\xb5\xad\xec\x96\xb4 \xed\x95\x9c\xea\xb5\xad\xec\x96\xb4 "
      "\xed\x95\x9c\xea\xb5\xad\xec\x96\xb4";
  reference ref(10, 10, words);
  if (ref.unknown != 0) GTEST_SKIP() << "no Korean font installed";
  qr_u word = GetStringWidth115("\xed\x95\x9c\xea\xb5\xad\xec\x96\xb4");
  offscreen off(long(word) * 3 / 2, 400);
  DrawTextXYw134(off.b, words, 0, 0, white);
  for (long line = 0; line < 3; ++line)
    EXPECT_GT(inked(off.b, 0, line * long(ch), long(word), (line + 1) * long(ch)), 0) << line;
  EXPECT_EQ(inked(off.b, 0, 3 * long(ch) + 4, long(word) * 3 / 2, 400), 0);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("DISP_HEADLESS", "1", 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
