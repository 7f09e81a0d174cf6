// Text in every script: characters the face lacks come from fontconfig's fallback fonts,
// HarfBuzz shapes Arabic, Devanagari and the like, and mixed directions are ordered. Text
// the face covers with simple characters keeps cairo's direct path, pixel for pixel.
#include <pango/pangocairo.h>

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
  std::string text;
  double width = 0;                  // advance in pixels, x scale applied
  double baseline = 0;               // from the top of the layout, in pixels
  double inktop = 0, inkbottom = 0;  // rows inked, from the baseline
  ~dsp_line() {
    if (layout) g_object_unref(layout);
    if (ctx) g_object_unref(ctx);
    if (desc) pango_font_description_free(desc);
  }
};

// One per thread: Pango's objects are not to be shared between threads.
dsp_line& dsp_layout(dsp_shapedfont const& sf, char const* s) {
  thread_local dsp_line line;
  if (!line.ctx) {
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
      line.text == s)
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

std::shared_ptr<dsp_shapedfont const> dsp_shapedfor(double sx, double sy) {
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
  sf->xscale = sx / sy;
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
  return dsp_layout(*f.shaped, s).width;
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

double dsp_showtext(bitmap& t, dsp_sized const& f, char const* s, double x, double base) {
  cairo_t* cr = t.cr;
  if (dsp_plaintext(f, s)) {
    if (t.fontoncr != f.font) {
      cairo_set_scaled_font(cr, f.font);
      t.fontoncr = f.font;
    }
    cairo_move_to(cr, x, base);
    cairo_show_text(cr, s);
    double endx, endy;
    cairo_get_current_point(cr, &endx, &endy);
    cairo_new_path(cr);
    return endx;
  }
  dsp_line const& l = dsp_layout(*f.shaped, s);
  cairo_save(cr);
  cairo_translate(cr, x, base);
  cairo_scale(cr, f.shaped->xscale, 1);
  cairo_move_to(cr, 0, -l.baseline);
  pango_cairo_show_layout(cr, l.layout);
  cairo_restore(cr);
  cairo_new_path(cr);
  t.fontoncr = nullptr;  // Pango set fonts of its own on the way
  return x + l.width;
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
