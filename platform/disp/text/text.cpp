// Fonts: found through fontconfig (the family, weight and slant asked for, else the
// system's monospace face), sized by character width and cell height, measured. The face
// and the scaled fonts of the last few sizes are cached: the game draws a dozen numbers a
// frame. Drawing text is textdraw.cpp's.
#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/disp/internal.h"

namespace {

constexpr size_t dsp_maxsizes = 8;
// The widest em a font is scaled to, in pixels.
constexpr double dsp_maxem = 16384;
// The longest font family name passed on to fontconfig, in bytes.
constexpr size_t dsp_fontnamemax = 255;

}  // namespace

cairo_font_options_t* dsp_fontoptions() {
  static cairo_font_options_t* opts = [] {
    cairo_font_options_t* o = cairo_font_options_create();
    cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
    // Unhinted metrics scale linearly, so the cell comes out at exactly the size asked for.
    cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_SLIGHT);
    return o;
  }();
  return opts;
}

namespace {

// The face for a family name, weight and slant, falling back to the system's monospace
// face: fontconfig picks the first family of the list that is installed, and makes bold
// or slanted glyphs itself where the family has no such face.
cairo_font_face_t* dsp_findface(std::string const& name) {
  FcPattern* pat = FcPatternCreate();
  if (!name.empty())
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<FcChar8 const*>(name.c_str()));
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<FcChar8 const*>("monospace"));
  FcPatternAddInteger(pat, FC_WEIGHT, FcWeightFromOpenType(int(dsp.draw.weight)));
  FcPatternAddInteger(pat, FC_SLANT, dsp.draw.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult res;
  FcPattern* match = FcFontMatch(nullptr, pat, &res);
  FcPatternDestroy(pat);
  if (!match) {
    dsp_warn("no font found for \"%s\" nor for monospace; text will not show",
             dsp_quote(name).c_str());
    return nullptr;
  }
  // What the face covers of the simple characters, and its family for Pango.
  dsp.font.plain.reset();
  FcCharSet* cover = nullptr;
  if (FcPatternGetCharSet(match, FC_CHARSET, 0, &cover) == FcResultMatch)
    for (FcChar32 c = 0; c < dsp.font.plain.size(); ++c)
      dsp.font.plain[c] = FcCharSetHasChar(cover, c) != 0;
  FcChar8* family = nullptr;
  dsp.font.family.clear();
  if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch)
    dsp.font.family = reinterpret_cast<char const*>(family);
  cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match);
  FcPatternDestroy(match);  // the face holds its own reference
  if (cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS) {
    cairo_font_face_destroy(face);
    return nullptr;
  }
  return face;
}

// Measures the face at a size of 64 pixels: the advance of '0' (the game's characters are
// digits, all of one width even in proportional faces) and the cell, ascent + descent.
void dsp_measureface() {
  cairo_matrix_t fm, ctm;
  cairo_matrix_init_scale(&fm, 64, 64);
  cairo_matrix_init_identity(&ctm);
  cairo_scaled_font_t* sf = cairo_scaled_font_create(dsp.font.face, &fm, &ctm, dsp_fontoptions());
  cairo_font_extents_t fe;
  cairo_text_extents_t te;
  cairo_scaled_font_extents(sf, &fe);
  cairo_scaled_font_text_extents(sf, "0", &te);
  bool ok = cairo_scaled_font_status(sf) == CAIRO_STATUS_SUCCESS && te.x_advance > 0 &&
            fe.ascent + fe.descent > 0;
  dsp.font.advance = ok ? te.x_advance / 64 : 0.6;
  dsp.font.cell = ok ? (fe.ascent + fe.descent) / 64 : 1.2;
  dsp.font.ascent = ok ? fe.ascent / 64 : 0.95;
  cairo_scaled_font_destroy(sf);
}

void dsp_dropsizes() {
  for (dsp_sized& s : dsp.font.sizes) cairo_scaled_font_destroy(s.font);
  dsp.font.sizes.clear();
  dsp.font.current = nullptr;
  dsp.canvas.fontoncr = nullptr;
}

// The scaled font of the current size: characters `w` wide, cells `h` high.
dsp_sized const* dsp_sizedfont() {
  if (dsp.font.current) return dsp.font.current;
  dsp_loadface();
  if (!dsp.font.face) return nullptr;
  auto& sizes = dsp.font.sizes;
  for (size_t i = 0; i < sizes.size(); ++i) {
    if (sizes[i].w == dsp.font.w && sizes[i].h == dsp.font.h) {
      std::swap(sizes[i], sizes[0]);  // keep the most used near the front
      return dsp.font.current = &sizes[0];
    }
  }
  // Width 0 is the face's own proportions at that height. The stretch is kept within what
  // FreeType can scale to (65,535 pixels to the em), which only a face whose '0' is a
  // sliver of its em could reach.
  double sy = dsp.font.h / dsp.font.cell;
  double sx = dsp.font.w ? dsp.font.w / dsp.font.advance : sy;
  if (sx > dsp_maxem) {
    dsp_warn("font size %u x %u: the width is kept to %.0f pixels to the em", dsp.font.w,
             dsp.font.h, dsp_maxem);
    sx = dsp_maxem;
  }
  double sx2 = dsp.font.h / 2.0 / dsp.font.advance;  // the width of a 1:2 cell
  cairo_matrix_t fm, ctm;
  cairo_matrix_init_scale(&fm, sx, sy);
  cairo_matrix_init_identity(&ctm);
  cairo_scaled_font_t* sf = cairo_scaled_font_create(dsp.font.face, &fm, &ctm, dsp_fontoptions());
  if (cairo_scaled_font_status(sf) != CAIRO_STATUS_SUCCESS) {
    cairo_scaled_font_destroy(sf);
    return nullptr;
  }
  if (sizes.size() == dsp_maxsizes) {
    cairo_scaled_font_destroy(sizes.back().font);
    if (dsp.canvas.fontoncr == sizes.back().font) dsp.canvas.fontoncr = nullptr;
    sizes.pop_back();
  }
  sizes.insert(sizes.begin(), dsp_sized{dsp.font.w, dsp.font.h, sf, dsp.font.ascent * sy,
                                        dsp_shapedfor(sx, sy, sx2)});
  return dsp.font.current = &sizes[0];
}

}  // namespace

void dsp_loadface() {
  if (dsp.font.face) return;
  dsp.font.face = dsp_findface(dsp.font.name);
  if (dsp.font.face) dsp_measureface();
}

void dsp_fontfailed() {
  for (dsp_sized const& s : dsp.font.sizes)
    if (cairo_scaled_font_status(s.font) != CAIRO_STATUS_SUCCESS) {
      dsp_dropsizes();
      return;
    }
}

dsp_fontpin::~dsp_fontpin() {
  if (sized.font) cairo_scaled_font_destroy(sized.font);
}

dsp_textstyle dsp_style(bitmap& t) {
  if (dsp_fontpin const* p = t.fontpin.get())
    return {p->sized.font ? &p->sized : nullptr, p->underline, p->strikeout};
  return {dsp_sizedfont(), dsp.draw.underline, dsp.draw.strikeout};
}

namespace {

// The family, weight or slant changed: the face is found again when next needed.
void dsp_dropface() {
  dsp_dropsizes();
  if (dsp.font.face) cairo_font_face_destroy(dsp.font.face);
  dsp.font.face = nullptr;
}

// Sizes are kept within 1..4096 pixels; a size of 0 would make a singular font matrix.
unsigned dsp_fontclamp(qe_u v) { return unsigned(v < 1 ? 1 : v > 4096 ? 4096 : v); }

void dsp_fontsize(unsigned w, unsigned h) {
  if (w == dsp.font.w && h == dsp.font.h) return;
  dsp.font.w = w;
  dsp.font.h = h;
  dsp.font.current = nullptr;
}

}  // namespace

void dsp_fontschanged() {
  dsp_dropface();
  dsp_pangochanged();
}

void dsp_setlanguage(std::string const& tag) {
  if (tag == dsp.font.language) return;
  dsp_dropsizes();  // the Pango side of each size holds the hint
  dsp.font.language = tag;
}

// ---- Entries -------------------------------------------------------------------------

// Text on b keeps the font of this moment, whatever the settings become later; a second
// call takes the settings of its own moment.
qr_v SetFont103(qe_b b) {
  dsp_setup();
  std::lock_guard<std::recursive_mutex> hold(dsp.font.lock);
  bitmap* t = dsp_target(b);
  if (!t) return;
  auto pin = std::make_shared<dsp_fontpin>();
  if (dsp_sized const* f = dsp_sizedfont()) {
    pin->sized = *f;
    cairo_scaled_font_reference(pin->sized.font);
  }
  pin->underline = dsp.draw.underline;
  pin->strikeout = dsp.draw.strikeout;
  t->fontpin = std::move(pin);
}

// Back to the font the library starts with; the window's text follows the settings again.
qr_v SetFont104() {
  dsp_setup();
  std::lock_guard<std::recursive_mutex> hold(dsp.font.lock);
  if (dsp.font.name != "Consolas" || dsp.draw.weight != 400 || dsp.draw.italic) {
    dsp_dropface();
    dsp.font.name = "Consolas";
    dsp.draw.weight = 400;
    dsp.draw.italic = false;
  }
  dsp_fontsize(10, 20);
  dsp_setlanguage("");
  dsp.draw.underline = dsp.draw.strikeout = false;
  dsp.canvas.fontpin.reset();
}

qr_v SetFontWidth105(qe_u w) {
  dsp_setup();
  std::lock_guard<std::recursive_mutex> hold(dsp.font.lock);
  dsp_fontsize(dsp_fontclamp(w), dsp.font.h);
}

qr_v SetFontHeight106(qe_u h) {
  dsp_setup();
  std::lock_guard<std::recursive_mutex> hold(dsp.font.lock);
  dsp_fontsize(dsp.font.w, dsp_fontclamp(h));
}

// Width 0 is the face's own proportions at that height (SetFontWidth105 keeps 0 as 1).
qr_v SetFontSize107(qe_u w, qe_u h) {
  dsp_setup();
  std::lock_guard<std::recursive_mutex> hold(dsp.font.lock);
  dsp_fontsize(w == 0 ? 0 : dsp_fontclamp(w), dsp_fontclamp(h));
}

// Weights as in CSS and OpenType: 100 thin .. 400 regular .. 700 bold .. 900 black. 0 is
// regular; more than 1000 is 1000.
qr_v SetFontWeight108(qe_u weight) {
  dsp_setup();
  std::lock_guard<std::recursive_mutex> hold(dsp.font.lock);
  unsigned w = weight == 0 ? 400 : weight > 1000 ? 1000 : unsigned(weight);
  if (w == dsp.draw.weight) return;
  dsp_dropface();
  dsp.draw.weight = w;
}

qr_v SetFontLtalic109(qe_u on) {
  dsp_setup();
  std::lock_guard<std::recursive_mutex> hold(dsp.font.lock);
  if ((on != 0) == dsp.draw.italic) return;
  dsp_dropface();
  dsp.draw.italic = on != 0;
}

qr_v SetFontUnderLine110(qe_u on) {
  dsp_setup();
  std::lock_guard<std::recursive_mutex> hold(dsp.font.lock);
  dsp.draw.underline = on != 0;
}

qr_v SetFontStrikeOut111(qe_u on) {
  dsp_setup();
  std::lock_guard<std::recursive_mutex> hold(dsp.font.lock);
  dsp.draw.strikeout = on != 0;
}

// Text is UTF-8, with bytes that do not form UTF-8 taken as Latin-1, whatever the
// character set asked for: there is nothing to switch.
qr_v SetFontCharSet112(qe_u) { dsp_setup(); }

// Family names are short (the longest installed ones run to some 60 bytes); fontconfig's
// matching time grows with the square of a name's length, so a longer name is cut here, on
// a whole character, before it can reach fontconfig: a 1 MiB name cost 18 s a text call.
qr_v SetFontName113(qe_s name) {
  dsp_setup();
  std::lock_guard<std::recursive_mutex> hold(dsp.font.lock);
  std::string want = name ? std::string(name, strnlen(name, dsp_fontnamemax + 1)) : "";
  if (want.size() > dsp_fontnamemax) {
    size_t cut = dsp_fontnamemax;
    while (cut > 0 && (static_cast<unsigned char>(want[cut]) & 0xC0) == 0x80) --cut;
    want.resize(cut);
  }
  // A family fontconfig does not have is told (the text still shows, in the fallback).
  if (!dsp_knownfamily(want))
    dsp_fail(dsp_efile, __func__,
             "no font of the family %s is installed or loaded (loadfont); text falls back to "
             "the monospace face",
             dsp_quoted(want.c_str()).c_str());
  if (dsp.font.face && want == dsp.font.name) return;
  dsp_dropface();
  dsp.font.name = want;
}

namespace {

// The measures of text in the font f; the font's lock is held.
unsigned long dsp_stringwidth(dsp_sized const& f, char const* s) {
  std::string buf;
  double adv = dsp_textwidth(f, dsp_utf8(s, buf));
  return adv > 0 ? qr_u(std::lround(adv)) : 0;
}

// The height of a line of text is the cell height, grown to take in any ink a fallback
// font or a stacked mark puts above or below the cell.
unsigned long dsp_stringheight(dsp_sized const& f, char const* s) {
  if (!s) return f.h;
  std::string buf;
  double top, bottom;
  dsp_textspan(f, dsp_utf8(s, buf), top, bottom);
  return qr_u(std::ceil(bottom - top - 1e-6));
}

}  // namespace

// Width in the low 16 bits, height in the high 16, each at most 65535.
qr_u GetStringSize114(qe_s s) {
  dsp_setup();
  std::lock_guard<std::recursive_mutex> hold(dsp.font.lock);
  dsp_sized const* f = dsp_sizedfont();
  if (!f) return 0;
  qr_u w = std::min<qr_u>(dsp_stringwidth(*f, s), 0xFFFF);
  qr_u h = std::min<qr_u>(dsp_stringheight(*f, s), 0xFFFF);
  return w | h << 16;
}

qr_u GetStringWidth115(qe_s s) {
  dsp_setup();
  std::lock_guard<std::recursive_mutex> hold(dsp.font.lock);
  dsp_sized const* f = dsp_sizedfont();
  return f ? dsp_stringwidth(*f, s) : 0;
}

qr_u GetStringHeight116(qe_s s) {
  dsp_setup();
  std::lock_guard<std::recursive_mutex> hold(dsp.font.lock);
  dsp_sized const* f = dsp_sizedfont();
  return f ? dsp_stringheight(*f, s) : 0;
}
