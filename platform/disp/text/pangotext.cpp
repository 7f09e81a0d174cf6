// Text in every script: characters the face lacks come from fontconfig's fallback fonts,
// HarfBuzz shapes Arabic, Devanagari and the like, and mixed directions are ordered. Text
// the face covers with simple characters keeps cairo's direct path, pixel for pixel.
#include <cairo-ft.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/disp/internal.h"

dsp_shapedfont::~dsp_shapedfont() {
  if (desc) pango_font_description_free(desc);
}

namespace {

// Control characters keep the direct path whatever the face shows for them, as they always
// did; Pango would start new lines at some of them.
bool dsp_plainchar(dsp_plainset const& plain, uint32_t c) {
  if (c >= plain.size()) return false;
  if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return true;
  return plain[c];
}

// One line laid out by Pango and what it measures, kept for the next call: a text is
// usually measured first (box, cursor, centring) and then drawn.
struct dsp_line {
  PangoContext* ctx = nullptr;
  PangoLayout* layout = nullptr;
  PangoFontDescription* desc = nullptr;  // what the layout holds now
  double xscale = 0;
  std::string language;
  std::string text;
  double width = 0;                  // advance in pixels, x scale applied (not the stretch)
  double baseline = 0;               // from the top of the layout, in pixels
  double inktop = 0, inkbottom = 0;  // rows inked, from the baseline
  unsigned fontset = 0;              // dsp_fontsets when the font map was made
  void reset() {
    if (layout) g_object_unref(layout);
    if (ctx) g_object_unref(ctx);
    if (desc) pango_font_description_free(desc);
    layout = nullptr, ctx = nullptr, desc = nullptr;
    xscale = 0;
    language.clear();
    text.clear();
  }
  ~dsp_line() { reset(); }
};

// One per thread: Pango's objects are not to be shared between threads.
thread_local dsp_line line;
// Counts the times fontconfig's set of fonts grew (a font file loaded): a thread's font
// map made before the last time is made anew, so every thread sees the new font.
std::atomic<unsigned> dsp_fontsets{0};

dsp_line& dsp_layout(dsp_shapedfont const& sf, char const* s) {
  if (line.ctx && line.fontset != dsp_fontsets.load()) line.reset();
  if (!line.ctx) {
    line.fontset = dsp_fontsets.load();
    // A font map of our own: the default one belongs to the thread that first asks for it.
    PangoFontMap* map = pango_cairo_font_map_new();
    line.ctx = pango_font_map_create_context(map);
    g_object_unref(map);
    pango_cairo_context_set_font_options(line.ctx, dsp_fontoptions());
    // Unrounded positions, as cairo's own path places glyphs: widths scale linearly.
    pango_context_set_round_glyph_positions(line.ctx, FALSE);
    line.layout = pango_layout_new(line.ctx);
    // One line whatever the text holds: line breaks are the caller's.
    pango_layout_set_single_paragraph_mode(line.layout, TRUE);
  }
  if (line.desc && line.xscale == sf.xscale && pango_font_description_equal(line.desc, sf.desc) &&
      line.language == sf.language && line.text == s)
    return line;
  if (line.xscale != sf.xscale) {
    // Glyphs are chosen and rasterised for the stretch they will be drawn at.
    PangoMatrix m = PANGO_MATRIX_INIT;
    m.xx = sf.xscale;
    pango_context_set_matrix(line.ctx, &m);
    pango_layout_context_changed(line.layout);
    line.xscale = sf.xscale;
  }
  if (!line.desc || !pango_font_description_equal(line.desc, sf.desc)) {
    if (line.desc) pango_font_description_free(line.desc);
    line.desc = pango_font_description_copy(sf.desc);
    pango_layout_set_font_description(line.layout, line.desc);
  }
  if (line.language != sf.language) {
    // The language picks the regional forms of a script (Han punctuation, Serbian
    // Cyrillic) and the fonts tried for it; none leaves Pango's guess from the text.
    PangoAttrList* attrs = nullptr;
    if (!sf.language.empty()) {
      attrs = pango_attr_list_new();
      pango_attr_list_insert(
          attrs, pango_attr_language_new(pango_language_from_string(sf.language.c_str())));
    }
    pango_layout_set_attributes(line.layout, attrs);
    if (attrs) pango_attr_list_unref(attrs);
    line.language = sf.language;
  }
  line.text = s;
  pango_layout_set_text(line.layout, s, -1);
  PangoRectangle ink, logical;
  pango_layout_get_extents(line.layout, &ink, &logical);
  line.width = double(logical.width) / PANGO_SCALE * sf.xscale;
  line.baseline = double(pango_layout_get_baseline(line.layout)) / PANGO_SCALE;
  line.inktop = double(ink.y) / PANGO_SCALE - line.baseline;
  line.inkbottom = double(ink.y + ink.height) / PANGO_SCALE - line.baseline;
  return line;
}

}  // namespace

// A font map keeps what it found in fontconfig's fonts: after a font file was added, each
// thread's next line is laid out with a new one.
void dsp_pangochanged() { ++dsp_fontsets; }

std::shared_ptr<dsp_shapedfont const> dsp_shapedfor(double sx, double sy, double sx2) {
  auto sf = std::make_shared<dsp_shapedfont>();
  // The face found first, so that Pango draws what it covers in the same face; the name
  // asked for next, then the system's monospace face, then fontconfig's fallback. Commas
  // would split a name into several.
  std::string families = dsp.font.family;
  std::string const& asked = dsp.font.name;
  if (!asked.empty() && asked != dsp.font.family && asked.find(',') == std::string::npos)
    families += (families.empty() ? "" : ",") + asked;
  families += families.empty() ? "monospace" : ",monospace";
  sf->desc = pango_font_description_new();
  pango_font_description_set_family(sf->desc, families.c_str());
  pango_font_description_set_weight(sf->desc, PangoWeight(dsp.draw.weight));
  pango_font_description_set_style(sf->desc,
                                   dsp.draw.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  pango_font_description_set_absolute_size(sf->desc, sy * PANGO_SCALE);
  // Pango, given a stretched context, stretches the glyphs but not their advances: the
  // context keeps the stretch of a 1:2 cell, the way text of that shape has always been
  // drawn, and any other width is a stretch of that line as a whole, so that advances grow
  // with the glyphs.
  sf->xscale = sx2 / sy;
  sf->stretch = sx / sx2;
  sf->language = dsp.font.language;
  sf->plain = dsp.font.plain;
  return sf;
}

bool dsp_plaintext(dsp_sized const& f, char const* s) {
  if (!f.shaped) return true;
  auto const* p = reinterpret_cast<unsigned char const*>(s);
  while (*p)
    if (!dsp_plainchar(f.shaped->plain, dsp_u8next(p))) return false;
  return true;
}

double dsp_textwidth(dsp_sized const& f, char const* s) {
  if (dsp_plaintext(f, s)) {
    cairo_text_extents_t te;
    cairo_scaled_font_text_extents(f.font, s, &te);
    return te.x_advance;
  }
  return dsp_layout(*f.shaped, s).width * f.shaped->stretch;
}

void dsp_textspan(dsp_sized const& f, char const* s, double& top, double& bottom) {
  top = 0;
  bottom = double(f.h);
  if (dsp_plaintext(f, s)) return;
  dsp_line const& l = dsp_layout(*f.shaped, s);
  if (l.inkbottom <= l.inktop) return;  // nothing inked: spaces
  top = std::fmin(top, f.ascent + l.inktop);
  bottom = std::fmax(bottom, f.ascent + l.inkbottom);
}

namespace {

// Past this many device pixels to the em, glyphs are no longer drawn from images of their
// own: FreeType cannot rasterise the widest (a stretched 'e' 1,500 pixels to the em puts the
// context into an error state for good), and an image of a glyph 4,096 pixels high takes
// longer to make than a frame lasts, however little of it shows. Outlines are filled
// instead, at the cost of the target's pixels they cover; colour glyphs (emoji), which
// have no outline, are drawn at this size and enlarged.
constexpr double dsp_bigem = 512;

// How many device pixels one unit of cr's user space spans across and down.
void dsp_devscale(cairo_t* cr, double& sx, double& sy) {
  double ux = 1, uy = 0, vx = 0, vy = 1;
  cairo_user_to_device_distance(cr, &ux, &uy);
  cairo_user_to_device_distance(cr, &vx, &vy);
  double dx = 1, dy = 1;
  cairo_surface_get_device_scale(cairo_get_target(cr), &dx, &dy);
  sx = std::hypot(ux, uy) * dx;
  sy = std::hypot(vx, vy) * dy;
}

bool dsp_bigfont(cairo_t* cr, cairo_scaled_font_t* sf) {
  cairo_matrix_t fm;
  cairo_scaled_font_get_font_matrix(sf, &fm);
  double sx, sy;
  dsp_devscale(cr, sx, sy);
  return std::hypot(fm.xx, fm.yx) * sx > dsp_bigem || std::hypot(fm.xy, fm.yy) * sy > dsp_bigem;
}

bool dsp_colourfont(cairo_scaled_font_t* sf) {
  FT_Face face = cairo_ft_scaled_font_lock_face(sf);
  bool colour = face && FT_HAS_COLOR(face);
  cairo_ft_scaled_font_unlock_face(sf);
  return colour;
}

// One colour glyph drawn at dsp_bigem to the em into a picture of its own, then that
// picture enlarged onto cr: the cost is the pixels it covers on the target.
void dsp_bigcolourglyph(cairo_t* cr, cairo_scaled_font_t* sf, cairo_glyph_t g) {
  cairo_text_extents_t ext;
  cairo_scaled_font_glyph_extents(sf, &g, 1, &ext);
  if (ext.width <= 0 || ext.height <= 0) return;
  cairo_matrix_t fm;
  cairo_scaled_font_get_font_matrix(sf, &fm);
  double sx, sy;
  dsp_devscale(cr, sx, sy);
  double em = std::max(std::hypot(fm.xx, fm.yx) * sx, std::hypot(fm.xy, fm.yy) * sy);
  double shrink = std::min(1.0, dsp_bigem / em), kx = sx * shrink, ky = sy * shrink;
  int w = int(std::ceil(ext.width * kx)) + 2, h = int(std::ceil(ext.height * ky)) + 2;
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* small = cairo_create(img);
  cairo_scale(small, kx, ky);
  cairo_translate(small, 1 / kx - ext.x_bearing, 1 / ky - ext.y_bearing);
  cairo_set_font_face(small, cairo_scaled_font_get_font_face(sf));
  cairo_set_font_matrix(small, &fm);
  cairo_font_options_t* opts = cairo_font_options_create();
  cairo_scaled_font_get_font_options(sf, opts);
  cairo_set_font_options(small, opts);
  cairo_font_options_destroy(opts);
  cairo_glyph_t at = {g.index, 0, 0};
  cairo_show_glyphs(small, &at, 1);
  cairo_destroy(small);
  cairo_save(cr);
  cairo_translate(cr, g.x + ext.x_bearing - 1 / kx, g.y + ext.y_bearing - 1 / ky);
  cairo_scale(cr, 1 / kx, 1 / ky);
  cairo_set_source_surface(cr, img, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_surface_destroy(img);
}

// Big glyphs of one font in the current colour: outlines filled, colour glyphs enlarged.
void dsp_bigglyphs(cairo_t* cr, cairo_scaled_font_t* sf, cairo_glyph_t const* glyphs, int n) {
  if (dsp_colourfont(sf)) {
    for (int i = 0; i < n; ++i) dsp_bigcolourglyph(cr, sf, glyphs[i]);
    return;
  }
  cairo_set_scaled_font(cr, sf);
  cairo_glyph_path(cr, glyphs, n);
  cairo_fill(cr);
}

// A laid-out line of big glyphs, run by run, as Pango would draw it, with the baseline at 0.
void dsp_biglayout(cairo_t* cr, PangoLayout* layout, double baseline) {
  PangoLayoutIter* it = pango_layout_get_iter(layout);
  std::vector<cairo_glyph_t> glyphs;
  do {
    PangoLayoutRun* run = pango_layout_iter_get_run_readonly(it);
    if (!run) continue;
    PangoRectangle logical;
    pango_layout_iter_get_run_extents(it, nullptr, &logical);
    double y = double(pango_layout_iter_get_baseline(it)) / PANGO_SCALE - baseline;
    int x = logical.x;
    glyphs.clear();
    for (int i = 0; i < run->glyphs->num_glyphs; ++i) {
      PangoGlyphInfo const& gi = run->glyphs->glyphs[i];
      if (!(gi.glyph & PANGO_GLYPH_UNKNOWN_FLAG) && gi.glyph != PANGO_GLYPH_EMPTY)
        glyphs.push_back({gi.glyph, double(x + gi.geometry.x_offset) / PANGO_SCALE,
                          y + double(gi.geometry.y_offset) / PANGO_SCALE});
      x += gi.geometry.width;
    }
    cairo_scaled_font_t* sf =
        pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(run->item->analysis.font));
    if (sf && !glyphs.empty()) dsp_bigglyphs(cr, sf, glyphs.data(), int(glyphs.size()));
  } while (pango_layout_iter_next_run(it));
  pango_layout_iter_free(it);
}

}  // namespace

double dsp_showtext(bitmap& t, dsp_sized const& f, char const* s, double x, double base) {
  cairo_t* cr = t.cr;
  if (dsp_plaintext(f, s)) {
    if (t.fontoncr != f.font) {
      cairo_set_scaled_font(cr, f.font);
      t.fontoncr = f.font;
    }
    if (dsp_bigfont(cr, f.font)) {
      cairo_glyph_t* glyphs = nullptr;
      int n = 0;
      cairo_text_extents_t te;
      cairo_scaled_font_text_extents(f.font, s, &te);
      if (cairo_scaled_font_text_to_glyphs(f.font, x, base, s, -1, &glyphs, &n, nullptr, nullptr,
                                           nullptr) == CAIRO_STATUS_SUCCESS) {
        dsp_bigglyphs(cr, f.font, glyphs, n);
        cairo_glyph_free(glyphs);
      }
      cairo_new_path(cr);
      return x + te.x_advance;
    }
    cairo_move_to(cr, x, base);
    cairo_show_text(cr, s);
    double endx, endy;
    cairo_get_current_point(cr, &endx, &endy);
    cairo_new_path(cr);
    return endx;
  }
  dsp_line const& l = dsp_layout(*f.shaped, s);
  bool const big = dsp_bigfont(cr, f.font);
  cairo_save(cr);
  cairo_translate(cr, x, base);
  cairo_scale(cr, f.shaped->xscale * f.shaped->stretch, 1);
  if (big) {
    dsp_biglayout(cr, l.layout, l.baseline);
  } else {
    cairo_move_to(cr, 0, -l.baseline);
    pango_cairo_show_layout(cr, l.layout);
  }
  cairo_restore(cr);
  cairo_new_path(cr);
  t.fontoncr = nullptr;  // Pango set fonts of its own on the way
  return x + l.width * f.shaped->stretch;
}

char const* dsp_clusterbreak(char const* p, char const* end, char const* q) {
  // Boundaries depend only on the characters near them: a few dozen bytes past q suffice,
  // and keep the cost of a break independent of the length of the line.
  char const* stop = q + std::min<long>(64, end - q);
  while (stop < end && (static_cast<unsigned char>(*stop) & 0xC0) == 0x80) ++stop;
  int len = int(stop - p), chars = int(g_utf8_strlen(p, len));
  std::vector<PangoLogAttr> attrs(size_t(chars) + 1);
  pango_get_log_attrs(p, len, -1, pango_language_get_default(), attrs.data(), chars + 1);
  char const* best = nullptr;
  char const* first = nullptr;
  char const* c = p;
  for (int i = 1; i <= chars; ++i) {
    c = g_utf8_next_char(c);
    if (!attrs[size_t(i)].is_cursor_position) continue;
    if (!first) first = c;
    if (c <= q) best = c;
  }
  if (best) return best;
  return first ? first : stop;
}
