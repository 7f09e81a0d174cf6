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
  int unknown = -1;  // glyphs Pango found no font for
  double width = 0;  // advance in pixels
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
    // The face the library starts with, then the fallback.
    std::string families =
        std::string(pango_font_description_get_family(got)) + ",Consolas,monospace";
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

// Fallback fonts and shaping: pixel for pixel what Pango draws, with no boxes for missing
// glyphs, on the window's picture and a bitmap alike; width and height measure the ink,
// and the next text goes on at the end.
TEST_F(Scripts, MixedLineDrawsAsPangoDrawsItAndMeasuresAsDrawn) {
  reference ref(800, 200, mixed);
  if (ref.unknown != 0)
    GTEST_SKIP() << ref.unknown << " glyphs have no installed font (fonts-noto-core, "
                 << "fonts-noto-cjk, fonts-nanum, fonts-noto-color-emoji)";
  long width = long(GetStringWidth115(mixed)), height = long(GetStringHeight116(mixed));
  EXPECT_EQ(width, std::lround(ref.width));
  offscreen off(800, 200);
  for (bitmap* t : {GetWin72(), off.b}) {
    DrawTextXY119(t, mixed, left, top, white);
    long differ = 0, lit = 0;
    box ink;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 800; ++x) {
        differ += px(t, x, y) != ref.px(x, y);
        lit += ref.px(x, y) != 0;
        if (px(t, x, y))
          ink = {std::min(ink.x0, long(x)), std::min(ink.y0, long(y)), std::max(ink.x1, long(x)),
                 std::max(ink.y1, long(y))};
      }
    EXPECT_EQ(differ, 0) << "of " << lit << " lit pixels";
    EXPECT_GE(ink.x0, left - 1);
    EXPECT_LE(ink.x1, left + width);
    EXPECT_GE(ink.x1, left + width - 3 * long(cw));  // the last letters end near the end
    long drawn = std::max(ink.y1 + 1, top + long(ch)) - std::min(ink.y0, top);
    EXPECT_LE(std::abs(height - drawn), 1) << "ink rows " << ink.y0 << ".." << ink.y1;
  }
  DrawText124("0", red);
  box after = inkbox(GetWin72(), red, 0, 0, 800, 600);
  EXPECT_GE(after.x0, left + width);
  EXPECT_LE(after.x0, left + width + long(cw));
}

// A wrapped line of shaped text breaks at its spaces, measured as it is drawn.
TEST_F(Scripts, ShapedTextWrapsAtSpacesAndBetweenLetters) {
  // Devanagari, half as wide joined as its characters one by one.
  std::string const word = "\xe0\xa4\xb9\xe0\xa4\xbf\xe0\xa4\x82\xe0\xa4\xa6\xe0\xa5\x80";
  std::string const words = word + " " + word + " " + word;
  reference ref(10, 10, words.c_str());
  if (ref.unknown != 0) GTEST_SKIP() << "no Devanagari font installed";
  long w = long(GetStringWidth115(word.c_str()));
  offscreen off(w * 3 / 2, 400);
  DrawTextXYw134(off.b, words.c_str(), 0, 0, white);
  for (long line = 0; line < 3; ++line)
    EXPECT_GT(inked(off.b, 0, line * long(ch), w, (line + 1) * long(ch)), 0) << line;
  EXPECT_EQ(inked(off.b, 0, 3 * long(ch) + 4, w * 3 / 2, 400), 0);

  // A word cut for want of room is cut between letters, not between a letter and its
  // vowel sign: with room for one consonant the first line is the whole syllable.
  std::string const syllable = word.substr(0, 9);  // ha with the i sign and the nasal dot
  long room = long(GetStringWidth115(word.substr(0, 3).c_str())) + 1, x = 400 - room;
  offscreen cut(400, 100), whole(400, 100);
  DrawTextXYw134(cut.b, word.c_str(), x, 0, white);
  DrawTextXY119(whole.b, syllable.c_str(), x, 0, white);
  long differ = 0;
  for (long y = 0; y < long(ch); ++y)
    for (long i = x - long(cw); i < 400; ++i) differ += px(cut.b, i, y) != px(whole.b, i, y);
  EXPECT_EQ(differ, 0);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("DISP_HEADLESS", "1", 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
