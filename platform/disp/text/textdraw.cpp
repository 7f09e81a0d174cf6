// Drawing text on any target. Each target has a text cursor: DrawText goes on where the last
// text ended, the ln forms go to the start of the next line afterwards, the XY forms put the
// cursor first, and the w forms wrap their lines at the target's right edge.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "platform/disp/internal.h"

namespace {

// A background colour of 1 (bits above the low 24 ignored) draws no box behind the text.
constexpr unsigned long dsp_nobox = 1;
// Beyond this many pixels cairo's fixed-point coordinates overflow.
constexpr long dsp_far = 4194304;

// Positions are kept within +-2^40 pixels, far off any target, so that moving the cursor
// on from there can never overflow.
inline long dsp_clamp(long v) {
  constexpr long lim = 1L << 40;
  return v < -lim ? -lim : v > lim ? lim : v;
}

// The forms without colours take their position unsigned: beyond the range of long it is
// far right of or below any target.
inline long dsp_upos(unsigned long v) {
  return v > static_cast<unsigned long>(LONG_MAX) ? LONG_MAX : long(v);
}

inline bool dsp_hasbox(unsigned long bg) { return (bg & 0xFFFFFF) != dsp_nobox; }

double dsp_advance(dsp_sized const* f, char const* s) { return dsp_textwidth(*f, s); }

// Fills the box in the colour, cut to just outside the target so that far corners stay
// within cairo's range.
void dsp_fillbox(bitmap& t, double x0, double y0, double w, double h, unsigned long colour) {
  double x1 = std::fmin(x0 + w, t.w + 2.0), y1 = std::fmin(y0 + h, t.h + 2.0);
  x0 = std::fmax(x0, -2.0), y0 = std::fmax(y0, -2.0);
  if (x1 <= x0 || y1 <= y0) return;
  cairo_rectangle(t.cr, x0, y0, x1 - x0, y1 - y0);
  dsp_colour(t, colour);
  cairo_fill(t.cr);
}

// The length in bytes of the UTF-8 character at q (the text is valid UTF-8).
long dsp_charlen(char const* q, char const* end) {
  long n = dsp_u8len(reinterpret_cast<unsigned char const*>(q));
  return std::min(std::max(n, 1L), long(end - q));
}

void dsp_newline(bitmap& t, dsp_textstyle const& st) {
  t.textx = t.textleft;
  t.texty += long(st.f ? st.f->h : dsp.font.h);
}

// Draws one line of valid UTF-8 at the cursor, cell top-left there and baseline an ascent
// below, and moves the cursor to its end.
void dsp_run(bitmap& t, dsp_textstyle const& st, char const* s, unsigned long fg,
             unsigned long bg) {
  dsp_sized const* f = st.f;
  if (!*s) return;
  long left = t.textx, top = t.texty;
  bool box = dsp_hasbox(bg);
  // Off the target (above, below or right of it, or so far out cairo cannot place it):
  // only the cursor moves. Left of it needs the width; cairo clips those, they are rare.
  if (left > t.w || top > t.h || top + long(f->h) < 0 || left < -dsp_far || top < -dsp_far) {
    t.textx = left + std::lround(dsp_advance(f, s));
    return;
  }
  cairo_t* cr = t.cr;
  if (box) dsp_fillbox(t, double(left), double(top), dsp_advance(f, s), double(f->h), bg);
  dsp_colour(t, fg);
  double endx = dsp_showtext(t, *f, s, double(left), double(top) + f->ascent);
  if (st.underline || st.strikeout) {
    // Lines a sixteenth of the cell thick: under the baseline, and through the middle of
    // the small letters.
    double thick = std::fmax(1, std::round(f->h / 16.0)), base = double(top) + f->ascent;
    if (st.underline)
      cairo_rectangle(cr, double(left), base + std::round(f->h / 16.0), endx - double(left), thick);
    if (st.strikeout)
      cairo_rectangle(cr, double(left), base - std::round(f->ascent * 0.3) - thick / 2,
                      endx - double(left), thick);
    cairo_fill(cr);
  }
  t.textx = std::lround(endx);
}

// Text on t with lines wrapped at its right edge: a line breaks at the last space that
// fits, or, for a word longer than a whole line, after the last character that fits;
// '\n' breaks a line too. Wrapped lines start at the cursor's left edge.
void dsp_wrapped(bitmap& t, dsp_textstyle const& st, char const* s, unsigned long fg,
                 unsigned long bg) {
  std::string piece;
  auto draw = [&](char const* from, char const* to, bool atbreak) {
    while (atbreak && to > from && to[-1] == ' ') --to;  // spaces at a break show nothing
    piece.assign(from, to);
    dsp_run(t, st, piece.c_str(), fg, bg);
  };
  char const* p = s;
  for (;;) {
    char const* end = std::strchr(p, '\n');
    if (!end) end = p + std::strlen(p);
    piece.assign(p, end);
    bool const shaped = !dsp_plaintext(*st.f, piece.c_str());
    while (p < end) {
      double room = double(t.w) - double(t.textx), width = 0;
      char const* q = p;
      char const* space = nullptr;  // the last space that fits
      if (!shaped) {
        while (q < end) {
          char one[5] = {};
          std::memcpy(one, q, size_t(dsp_charlen(q, end)));
          double adv = dsp_advance(st.f, one);
          if (width + adv > room + 1e-6) break;
          if (*q == ' ') space = q;
          q += dsp_charlen(q, end);
          width += adv;
        }
      } else {
        // Shaping joins, combines and reorders characters, so a line is seldom as wide as
        // its characters one by one (Devanagari and emoji sequences far narrower): what is
        // kept is measured whole, taking in more characters, in growing steps, while it
        // still fits.
        for (long step = 1; q < end;) {
          char const* r = q;
          for (long i = 0; i < step && r < end; ++i) r += dsp_charlen(r, end);
          piece.assign(p, r);
          if (dsp_advance(st.f, piece.c_str()) <= room + 1e-6)
            q = r, step *= 2;
          else if (step > 1)
            step /= 2;
          else
            break;
        }
        for (char const* c = p; c < q; ++c)
          if (*c == ' ') space = c;
      }
      if (q == end) {
        draw(p, end, false);
        break;
      }
      if (*q == ' ') space = q;  // what fits ends at a space: break there
      if (space && space > p) {
        draw(p, space, true);
        p = space;
      } else if (t.textx > t.textleft) {
        // The word may fit on a line of its own.
      } else {
        if (shaped)
          q = dsp_clusterbreak(p, end, q);  // a letter and its marks stay together
        else if (q == p)
          q += dsp_charlen(q, end);  // at least one character a line
        draw(p, q, true);
        p = q;
      }
      while (p < end && *p == ' ') ++p;
      dsp_newline(t, st);
    }
    if (!*end) break;
    dsp_newline(t, st);
    p = end + 1;
  }
}

// What every text form does: put the cursor (the XY forms), draw the text in the target's
// font, then go to the next line (the ln forms).
void dsp_text(bitmap* t, char const* s, bool at, long x, long y, unsigned long fg, unsigned long bg,
              bool ln, bool wrap) {
  if (!t) return;
  std::lock_guard<std::recursive_mutex> hold(dsp.font.lock);
  if (at) {
    t->textx = t->textleft = dsp_clamp(x);
    t->texty = dsp_clamp(y);
  }
  dsp_textstyle st = dsp_style(*t);
  if (st.f && s && *s) {
    std::string buf;
    char const* u = dsp_utf8(s, buf);
    if (wrap)
      dsp_wrapped(*t, st, u, fg, bg);
    else
      dsp_run(*t, st, u, fg, bg);
  }
  if (ln) dsp_newline(*t, st);
}

// The text centred in the box of w x h pixels at (left, top) and cut to it; 0 for either
// stands for the text's own width or height.
void dsp_textbox(bitmap* t, char const* s, long left, long top, unsigned long fg, unsigned long bg,
                 unsigned long w, unsigned long h) {
  if (!t) return;
  std::lock_guard<std::recursive_mutex> hold(dsp.font.lock);
  left = dsp_clamp(left);
  top = dsp_clamp(top);
  dsp_textstyle st = dsp_style(*t);
  std::string buf;
  char const* u = dsp_utf8(s, buf);
  double tw = st.f ? dsp_advance(st.f, u) : 0;
  double th = st.f ? double(st.f->h) : 0;
  double bw = w ? double(std::min(w, 1ul << 30)) : tw, bh = h ? double(std::min(h, 1ul << 30)) : th;
  if (dsp_hasbox(bg)) dsp_fillbox(*t, double(left), double(top), bw, bh, bg);
  if (st.f && *u) {
    double x0 = std::fmax(double(left), -2.0), y0 = std::fmax(double(top), -2.0);
    double x1 = std::fmin(double(left) + bw, t->w + 2.0),
           y1 = std::fmin(double(top) + bh, t->h + 2.0);
    if (x1 > x0 && y1 > y0) {
      cairo_rectangle(t->cr, x0, y0, x1 - x0, y1 - y0);
      cairo_clip(t->cr);
      t->textx = left + std::lround((bw - tw) / 2);
      t->texty = top + std::lround((bh - th) / 2);
      dsp_run(*t, st, u, fg, dsp_nobox);
      cairo_reset_clip(t->cr);
    }
  }
  t->textleft = left;
  t->textx = left + long(bw);
  t->texty = top;
}

inline unsigned long dsp_fg() { return dsp.draw.fg; }

}  // namespace

// ---- drawtextxy ----------------------------------------------------------------------

qr_v DrawTextXY117(qe_b b, qe_s s, qe_l x, qe_l y, qe_u fg, qe_u bg, qe_u w, qe_u h) {
  dsp_setup();
  dsp_textbox(dsp_target(b), s, x, y, fg, bg, w, h);
}

qr_v DrawTextXY118(qe_b b, qe_s s, qe_l x, qe_l y, qe_u fg, qe_u bg) {
  dsp_setup();
  dsp_text(dsp_target(b), s, true, x, y, fg, bg, false, false);
}

qr_v DrawTextXY119(qe_b b, qe_s s, qe_l x, qe_l y, qe_u fg) {
  dsp_setup();
  dsp_text(dsp_target(b), s, true, x, y, fg, dsp_nobox, false, false);
}

qr_v DrawTextXY120(qe_s s, qe_l x, qe_l y, qe_u fg, qe_u bg) {
  dsp_setup();
  dsp_text(dsp_win(), s, true, x, y, fg, bg, false, false);
}

qr_v DrawTextXY121(qe_s s, qe_l x, qe_l y, qe_u fg) {
  dsp_setup();
  dsp_text(dsp_win(), s, true, x, y, fg, dsp_nobox, false, false);
}

qr_v DrawTextXY122(qe_s s, qe_u x, qe_u y) {
  dsp_setup();
  dsp_text(dsp_win(), s, true, dsp_upos(x), dsp_upos(y), dsp_fg(), dsp_nobox, false, false);
}

// ---- drawtext ------------------------------------------------------------------------

qr_v DrawText123(qe_s s, qe_u fg, qe_u bg) {
  dsp_setup();
  dsp_text(dsp_win(), s, false, 0, 0, fg, bg, false, false);
}

qr_v DrawText124(qe_s s, qe_u fg) {
  dsp_setup();
  dsp_text(dsp_win(), s, false, 0, 0, fg, dsp_nobox, false, false);
}

qr_v DrawText125(qe_s s) {
  dsp_setup();
  dsp_text(dsp_win(), s, false, 0, 0, dsp_fg(), dsp_nobox, false, false);
}

// ---- drawtextlnxy --------------------------------------------------------------------

qr_v DrawTextlnXY126(qe_s s, qe_l x, qe_l y, qe_u fg, qe_u bg) {
  dsp_setup();
  dsp_text(dsp_win(), s, true, x, y, fg, bg, true, false);
}

qr_v DrawTextlnXY127(qe_s s, qe_l x, qe_l y, qe_u fg) {
  dsp_setup();
  dsp_text(dsp_win(), s, true, x, y, fg, dsp_nobox, true, false);
}

qr_v DrawTextlnXY128(qe_s s, qe_u x, qe_u y) {
  dsp_setup();
  dsp_text(dsp_win(), s, true, dsp_upos(x), dsp_upos(y), dsp_fg(), dsp_nobox, true, false);
}

// ---- drawtextln ----------------------------------------------------------------------

qr_v DrawTextln129(qe_s s, qe_u fg, qe_u bg) {
  dsp_setup();
  dsp_text(dsp_win(), s, false, 0, 0, fg, bg, true, false);
}

qr_v DrawTextln130(qe_s s, qe_u fg) {
  dsp_setup();
  dsp_text(dsp_win(), s, false, 0, 0, fg, dsp_nobox, true, false);
}

qr_v DrawTextln131(qe_s s) {
  dsp_setup();
  dsp_text(dsp_win(), s, false, 0, 0, dsp_fg(), dsp_nobox, true, false);
}

qr_v DrawTextln132() {
  dsp_setup();
  dsp_text(dsp_win(), nullptr, false, 0, 0, dsp_fg(), dsp_nobox, true, false);
}

// ---- drawtextxyw ---------------------------------------------------------------------

qr_v DrawTextXYw133(qe_b b, qe_s s, qe_l x, qe_l y, qe_u fg, qe_u bg) {
  dsp_setup();
  dsp_text(dsp_target(b), s, true, x, y, fg, bg, false, true);
}

qr_v DrawTextXYw134(qe_b b, qe_s s, qe_l x, qe_l y, qe_u fg) {
  dsp_setup();
  dsp_text(dsp_target(b), s, true, x, y, fg, dsp_nobox, false, true);
}

qr_v DrawTextXYw135(qe_s s, qe_l x, qe_l y, qe_u fg, qe_u bg) {
  dsp_setup();
  dsp_text(dsp_win(), s, true, x, y, fg, bg, false, true);
}

qr_v DrawTextXYw136(qe_s s, qe_l x, qe_l y, qe_u fg) {
  dsp_setup();
  dsp_text(dsp_win(), s, true, x, y, fg, dsp_nobox, false, true);
}

qr_v DrawTextXYw137(qe_s s, qe_u x, qe_u y) {
  dsp_setup();
  dsp_text(dsp_win(), s, true, dsp_upos(x), dsp_upos(y), dsp_fg(), dsp_nobox, false, true);
}

// ---- drawtextw -----------------------------------------------------------------------

qr_v DrawTextw138(qe_s s, qe_u fg, qe_u bg) {
  dsp_setup();
  dsp_text(dsp_win(), s, false, 0, 0, fg, bg, false, true);
}

qr_v DrawTextw139(qe_s s, qe_u fg) {
  dsp_setup();
  dsp_text(dsp_win(), s, false, 0, 0, fg, dsp_nobox, false, true);
}

qr_v DrawTextw140(qe_s s) {
  dsp_setup();
  dsp_text(dsp_win(), s, false, 0, 0, dsp_fg(), dsp_nobox, false, true);
}

// ---- drawtextlnxyw -------------------------------------------------------------------

qr_v DrawTextlnXYw141(qe_s s, qe_l x, qe_l y, qe_u fg, qe_u bg) {
  dsp_setup();
  dsp_text(dsp_win(), s, true, x, y, fg, bg, true, true);
}

qr_v DrawTextlnXYw142(qe_s s, qe_l x, qe_l y, qe_u fg) {
  dsp_setup();
  dsp_text(dsp_win(), s, true, x, y, fg, dsp_nobox, true, true);
}

qr_v DrawTextlnXYw143(qe_s s, qe_u x, qe_u y) {
  dsp_setup();
  dsp_text(dsp_win(), s, true, dsp_upos(x), dsp_upos(y), dsp_fg(), dsp_nobox, true, true);
}

// ---- drawtextlnw ---------------------------------------------------------------------

qr_v DrawTextlnw144(qe_s s, qe_u fg, qe_u bg) {
  dsp_setup();
  dsp_text(dsp_win(), s, false, 0, 0, fg, bg, true, true);
}

qr_v DrawTextlnw145(qe_s s, qe_u fg) {
  dsp_setup();
  dsp_text(dsp_win(), s, false, 0, 0, fg, dsp_nobox, true, true);
}

qr_v DrawTextlnw146(qe_s s) {
  dsp_setup();
  dsp_text(dsp_win(), s, false, 0, 0, dsp_fg(), dsp_nobox, true, true);
}
