// Text: fonts found through fontconfig (the family asked for, else the system's monospace
// face), sized by character width and cell height, drawn through cairo-ft. The face and
// the scaled fonts of the last few sizes are cached: the game draws a dozen numbers a frame.
#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <cmath>

#include "platform/disp/internal.h"

namespace {

constexpr size_t dsp_maxsizes = 8;

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

// The face for a family name, falling back to the system's monospace face: fontconfig
// picks the first family of the list that is installed.
cairo_font_face_t* dsp_findface(std::string const& name) {
  FcPattern* pat = FcPatternCreate();
  if (!name.empty())
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<FcChar8 const*>(name.c_str()));
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<FcChar8 const*>("monospace"));
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult res;
  FcPattern* match = FcFontMatch(nullptr, pat, &res);
  FcPatternDestroy(pat);
  if (!match) {
    dsp_warn("no font found for \"%s\" nor for monospace; text will not show", name.c_str());
    return nullptr;
  }
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
  double sx = dsp.font.w / dsp.font.advance, sy = dsp.font.h / dsp.font.cell;
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
  sizes.insert(sizes.begin(), dsp_sized{dsp.font.w, dsp.font.h, sf, dsp.font.ascent * sy});
  return dsp.font.current = &sizes[0];
}

}  // namespace

// Text as valid UTF-8: cairo refuses anything else and leaves the drawing context in an
// error state. Plain ASCII passes through untouched; bytes that do not form UTF-8 are
// taken as Latin-1, the code page of the game's texts.
char const* dsp_utf8(char const* s, std::string& buf) {
  if (!s) return "";
  unsigned char const* p = reinterpret_cast<unsigned char const*>(s);
  bool ascii = true;
  for (unsigned char const* q = p; *q; ++q)
    if (*q >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) return s;
  buf.clear();
  while (*p) {
    int n = *p < 0x80             ? 1
            : (*p & 0xE0) == 0xC0 ? 2
            : (*p & 0xF0) == 0xE0 ? 3
            : (*p & 0xF8) == 0xF0 ? 4
                                  : 0;
    bool ok = n > 0;
    for (int i = 1; ok && i < n; ++i) ok = (p[i] & 0xC0) == 0x80;
    if (ok && n > 1) {
      // Reject overlong forms, surrogates and values past U+10FFFF.
      uint32_t c = n == 2 ? (p[0] & 0x1F) : n == 3 ? (p[0] & 0x0F) : (p[0] & 0x07);
      for (int i = 1; i < n; ++i) c = (c << 6) | (p[i] & 0x3F);
      uint32_t const least[5] = {0, 0, 0x80, 0x800, 0x10000};
      ok = c >= least[n] && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
    }
    if (ok) {
      buf.append(reinterpret_cast<char const*>(p), size_t(n));
      p += n;
    } else {
      buf.push_back(char(0xC0 | (*p >> 6)));
      buf.push_back(char(0x80 | (*p & 0x3F)));
      ++p;
    }
  }
  return buf.c_str();
}

void dsp_loadface() {
  if (dsp.font.face) return;
  dsp.font.face = dsp_findface(dsp.font.name);
  if (dsp.font.face) dsp_measureface();
}

// ---- Entries -------------------------------------------------------------------------

qr_v SetFontName113(qe_s name) {
  dsp_setup();
  std::string want = name ? name : "";
  if (dsp.font.face && want == dsp.font.name) return;
  dsp_dropsizes();
  if (dsp.font.face) cairo_font_face_destroy(dsp.font.face);
  dsp.font.face = nullptr;
  dsp.font.name = want;
}

// Sizes are kept within 1..4096 pixels; a size of 0 would make a singular font matrix.
qr_v SetFontSize107(qe_u w, qe_u h) {
  dsp_setup();
  auto clamp = [](qe_u v) { return unsigned(v < 1 ? 1 : v > 4096 ? 4096 : v); };
  if (clamp(w) == dsp.font.w && clamp(h) == dsp.font.h) return;
  dsp.font.w = clamp(w);
  dsp.font.h = clamp(h);
  dsp.font.current = nullptr;
}

qr_u GetStringWidth115(qe_s s) {
  dsp_setup();
  dsp_sized const* f = dsp_sizedfont();
  if (!f) return 0;
  std::string buf;
  cairo_text_extents_t te;
  cairo_scaled_font_text_extents(f->font, dsp_utf8(s, buf), &te);
  return te.x_advance > 0 ? qr_u(std::lround(te.x_advance)) : 0;
}

// The height of a line of text is the cell height, whatever its characters.
qr_u GetStringHeight116(qe_s) {
  dsp_setup();
  return dsp_sizedfont() ? dsp.font.h : 0;
}

qr_v DrawTextXY121(qe_s s, qe_l left, qe_l top, qe_u colour) {
  dsp_setup();
  cairo_t* cr = dsp.canvas.cr;
  if (!cr || !s || !*s) return;
  dsp_sized const* f = dsp_sizedfont();
  if (!f) return;
  // Off the canvas: above, below or right of it. Left of it needs the width; let cairo
  // clip those, they are rare.
  if (left > dsp.win.w || top > dsp.win.h || top + long(f->h) < 0 || left < -4194304) return;
  if (dsp.canvas.fontoncr != f->font) {
    cairo_set_scaled_font(cr, f->font);
    dsp.canvas.fontoncr = f->font;
  }
  std::string buf;
  cairo_move_to(cr, double(left), double(top) + f->ascent);
  dsp_colour(colour);
  cairo_show_text(cr, dsp_utf8(s, buf));
  cairo_new_path(cr);
}
