// Off-screen bitmaps: the registry of live ones, making, copying and releasing them, drawing
// one onto another (placed, scaled, cut from a source rectangle, with a colour key), mixing
// and blurring them; and the window's own picture and native handles (GetWin72..GetDraw77).
// A bitmap with alpha is drawn blended over its destination.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <new>

#include "platform/disp/draw/pixels.h"
#include "platform/disp/internal.h"

namespace {

constexpr unsigned long dsp_maxside = 16384;
// Released records kept before their memory is freed: a stale pointer can only come back
// as a new bitmap after this many more releases.
constexpr size_t dsp_keepretired = 4096;
// As in the shapes' outline and fill places, 1 stands for "no colour": no colour key.
constexpr unsigned long dsp_nokey = 1;

// The same drawing settings as the window's picture.
void dsp_bmpcontext(bitmap& b) {
  b.cr = cairo_create(b.surface);
  dsp_initcontext(b);
}

void dsp_fill(bitmap& b, unsigned long colour) {
  dsp_pixels px = dsp_pixelsof(b);
  uint32_t const v = uint32_t(colour & 0xFFFFFF) | dsp_opaque(b);
  for (int y = 0; y < px.h; ++y) std::fill_n(px.row(y), px.w, v);
  dsp_changed(b);
}

// Copies the pixels of `from` into `to`, which has the same size.
void dsp_copypixels(bitmap& to, bitmap& from) {
  dsp_pixels d = dsp_pixelsof(to), s = dsp_pixelsof(from);
  for (int y = 0; y < d.h; ++y) memcpy(d.row(y), s.row(y), size_t(d.w) * 4);
  dsp_changed(to);
}

// What a bitmap made from another takes over: background, pen and brush. The cached
// colour and font of the context are the new bitmap's own.
void dsp_copysettings(bitmap& to, bitmap const& from) {
  to.bg = from.bg;
  to.pen = from.pen;
  to.pencolour = from.pencolour;
  to.brushcolour = from.brushcolour;
  to.fontpin = from.fontpin;
  cairo_set_line_width(to.cr, to.pen);
}

unsigned long dsp_keyof(bitmap const* b) {
  return b == &dsp.canvas ? dsp_nokey : static_cast<dsp_picture const*>(b)->key;
}

// A registered off-screen bitmap: the record from the registry's own pointer.
dsp_picture* dsp_picof(bitmap* b) {
  return b != &dsp.canvas && dsp_isbitmap(b) ? static_cast<dsp_picture*>(b) : nullptr;
}

// The bitmaps that CreateBMP and LoadBMP hand out become the one that DrawBMP219.. draw.
bitmap* dsp_made(dsp_picture* p) {
  std::lock_guard<std::mutex> hold(dsp.pictures.lock);
  if (p) dsp.pictures.last = p;
  return p;
}

// The window's picture, or null while no window is open.
bitmap* dsp_window() { return dsp_isbitmap(&dsp.canvas) ? &dsp.canvas : nullptr; }

// What a DrawBMP call asks for: the source rectangle (sx, sy, sw, sh), where it goes in the
// destination (dx, dy, dw, dh) and the colour left out.
struct dsp_blit {
  double sx, sy, sw, sh, dx, dy, dw, dh;
  unsigned long key;
  bool keyed;
};

// The arguments of the DrawBMP forms, as dsp_drawbmp below reads them; false when the
// source rectangle starts past the source.
bool dsp_blitof(bitmap const* src, std::initializer_list<unsigned long> args, dsp_blit& b) {
  unsigned long v[9] = {};
  size_t n = 0;
  for (unsigned long a : args) v[n++] = a;
  auto given = [&](size_t i) { return n > i && v[i] != 0; };
  b.sx = n > 4 ? double(v[4]) : 0, b.sy = n > 5 ? double(v[5]) : 0;
  if (b.sx >= src->w || b.sy >= src->h) return false;
  b.sw = given(6) ? double(v[6]) : src->w - b.sx;
  b.sh = given(7) ? double(v[7]) : src->h - b.sy;
  b.dw = given(2)   ? double(v[2])
         : given(3) ? std::max(1.0, std::round(double(v[3]) * b.sw / b.sh))
                    : b.sw;
  b.dh = given(3)   ? double(v[3])
         : given(2) ? std::max(1.0, std::round(double(v[2]) * b.sh / b.sw))
                    : b.sh;
  b.dx = n > 0 ? double(long(v[0])) : 0, b.dy = n > 1 ? double(long(v[1])) : 0;
  b.key = (n > 8 ? v[8] : dsp_keyof(src)) & 0xFFFFFF;
  b.keyed = b.key != dsp_nokey;
  return true;
}

// A width or height written as a small negative number (-32 meant as a mirror image)
// arrives as a huge unsigned one and would draw the first column or row smeared across the
// picture: from -16384 to -2 it is refused as an error instead (mirroring is drawsprite's
// flipx and flipy). ~0 (-1), the largest size there is, still enlarges as it always did.
bool dsp_negativesize(std::initializer_list<unsigned long> args, char const* entry) {
  static char const* const names[] = {"", "", "width",        "height",
                                      "", "", "source width", "source height"};
  size_t i = 0;
  for (unsigned long a : args) {
    if (i < 8 && *names[i] && long(a) < -1 && long(a) >= -long(dsp_maxside)) {
      dsp_fail(dsp_earg, entry, "the %s %ld is negative (flipx and flipy of drawsprite mirror)",
               names[i], long(a));
      return true;
    }
    ++i;
  }
  return false;
}

// The source column (or row) of each destination one from `from` to `to`, the destination
// span starting at d with size dsize and the source one at s with size `size`; stops at
// the first that falls past the source's edge (`limit`).
std::vector<int> dsp_pixelmap(int from, int to, double d, double s, double size, double dsize,
                              int limit) {
  std::vector<int> m;
  m.reserve(size_t(to - from));
  for (int i = from; i < to; ++i) {
    double u = s + std::floor((i - d + 0.5) * size / dsize);
    if (u >= limit) break;
    m.push_back(int(u));
  }
  return m;
}

// Copies the mapped pixels into dest from (x0, y0) on. May throw std::bad_alloc.
void dsp_copymapped(bitmap* dest, bitmap* src, dsp_blit const& b, std::vector<int> const& xmap,
                    std::vector<int> const& ymap, int x0, int y0) {
  dsp_pixels const d = dsp_pixelsof(*dest), s = dsp_pixelsof(*src);
  uint32_t const* sbase = s.p;
  std::ptrdiff_t sstride = s.stride;
  int yfirst = 0;
  // Drawing a bitmap onto itself reads from a copy of the rows it uses, so that rows
  // already written never feed later ones.
  std::vector<uint32_t> copy;
  if (dest == src) {
    yfirst = ymap.front();
    int const rows = ymap.back() - yfirst + 1;
    copy.resize(size_t(rows) * size_t(s.w));
    for (int r = 0; r < rows; ++r)
      memcpy(&copy[size_t(r) * size_t(s.w)], s.row(yfirst + r), size_t(s.w) * 4);
    sbase = copy.data();
    sstride = s.w;
  }
  // A source with alpha is blended; one without, copied (made opaque where dest has alpha).
  bool const blend = dsp_hasalpha(*src), keepd = !dsp_hasalpha(*dest);
  uint32_t const opaque = blend ? 0 : dsp_opaque(*dest);
  unsigned const mode = dest->blend;
  // Unscaled and unkeyed, a blend goes through pixman, many pixels at a time.
  if ((blend || mode != dsp_blendnormal) && !b.keyed && dest != src && b.dw == b.sw &&
      b.dh == b.sh && xmap.back() - xmap.front() == int(xmap.size()) - 1 &&
      ymap.back() - ymap.front() == int(ymap.size()) - 1 &&
      dsp_composite(d, !keepd, s, blend, mode, xmap[0], ymap[0], int(xmap.size()), int(ymap.size()),
                    x0, y0)) {
    dsp_changed(*dest, x0, y0, int(xmap.size()), int(ymap.size()));
    return;
  }
  // Unscaled, unkeyed and unblended: whole rows at once, when the columns are consecutive
  // (they are unless positions so far out that doubles lose whole pixels).
  bool const straight = !b.keyed && !blend && !opaque && mode == dsp_blendnormal && b.dw == b.sw &&
                        xmap.back() - xmap.front() == int(xmap.size()) - 1;
  for (size_t j = 0; j < ymap.size(); ++j) {
    uint32_t const* srow = sbase + std::ptrdiff_t(ymap[j] - yfirst) * sstride;
    uint32_t* drow = d.row(y0 + int(j)) + x0;
    if (straight) {
      memcpy(drow, srow + xmap[0], xmap.size() * 4);
      continue;
    }
    for (size_t i = 0; i < xmap.size(); ++i) {
      uint32_t const p = srow[xmap[i]];
      if (b.keyed && (p & 0xFFFFFF) == b.key) continue;
      if (mode != dsp_blendnormal)
        drow[i] = dsp_blendpx(mode, blend ? p : p | 0xFF000000u, drow[i], keepd);
      else
        drow[i] = blend ? dsp_over(p, drow[i], keepd) : p | opaque;
    }
  }
  dsp_changed(*dest, x0, y0, int(xmap.size()), int(ymap.size()));
}

// Draws `src` onto `dest`. The trailing arguments, each optional from the right: dx, dy
// (where the source's top-left lands; taken as signed), dw, dh (destination size), sx, sy,
// sw, sh (source rectangle), key (colour left out). A size of 0 or an omitted one takes its
// natural value: the source rectangle's size, or, when only the other side is given, the
// size that keeps the rectangle's proportions. Each destination pixel takes the source pixel
// under its centre (nearest neighbour), so unscaled draws copy exactly.
void dsp_drawbmpof(char const* entry, bitmap* dest, bitmap* src,
                   std::initializer_list<unsigned long> args) {
  dsp_setup();
  if (!dsp_liveof(dest, entry) || !dsp_liveof(src, entry)) return;
  dsp_blit b;
  if (dsp_negativesize(args, entry) || !dsp_blitof(src, args, b)) return;
  // Destination pixels X with dx <= X < dx + dw, clipped to the destination, each mapped to
  // its source column; columns past the source's edge are left alone (they come last).
  double const fx0 = std::ceil(std::max(0.0, b.dx)),
               fx1 = std::ceil(std::min(double(dest->w), b.dx + b.dw));
  double const fy0 = std::ceil(std::max(0.0, b.dy)),
               fy1 = std::ceil(std::min(double(dest->h), b.dy + b.dh));
  if (!(fx0 < fx1 && fy0 < fy1)) return;
  int const x0 = int(fx0), y0 = int(fy0);
  try {
    std::vector<int> const xmap = dsp_pixelmap(x0, int(fx1), b.dx, b.sx, b.sw, b.dw, src->w);
    std::vector<int> const ymap = dsp_pixelmap(y0, int(fy1), b.dy, b.sy, b.sh, b.dh, src->h);
    if (xmap.empty() || ymap.empty()) return;
    dsp_copymapped(dest, src, b, xmap, ymap, x0, y0);
  } catch (std::bad_alloc const&) {
    dsp_warn("DrawBMP: out of memory");
  }
}

// The entry's own name goes with it, for its failures.
#define dsp_drawbmp(dest, src, ...) dsp_drawbmpof(__func__, dest, src, __VA_ARGS__)

}  // namespace

void dsp_release(dsp_picture* p) {
  dsp_pictures& reg = dsp.pictures;
  std::lock_guard<std::mutex> hold(reg.lock);
  if (reg.bitmaps.erase(p) == 0) return;  // another thread released it meanwhile
  if (reg.last == p) reg.last = nullptr;
  if (reg.screen == p) reg.screen = nullptr;
  for (bitbuf* bb : reg.bufs)
    if (bb->from == p) bb->from = nullptr;
  cairo_destroy(p->cr);
  cairo_surface_destroy(p->surface);
  p->cr = nullptr;
  p->surface = nullptr;
  p->w = p->h = 0;
  reg.retiredbmp.push_back(p);
  if (reg.retiredbmp.size() > dsp_keepretired) {
    delete reg.retiredbmp.front();
    reg.retiredbmp.pop_front();
  }
}

void dsp_drawpart(char const* entry, bitmap* dest, bitmap* src, long dx, long dy, long sx, long sy,
                  long sw, long sh) {
  dsp_drawbmpof(entry, dest, src,
                {qe_u(dx), qe_u(dy), 0, 0, qe_u(sx), qe_u(sy), qe_u(sw), qe_u(sh)});
}

// ---- Registry ------------------------------------------------------------------------

bool dsp_isbitmap(bitmap const* b) {
  if (!b) return false;
  if (b == &dsp.canvas) return dsp.canvas.surface && dsp.canvas.cr;
  std::lock_guard<std::mutex> hold(dsp.pictures.lock);
  return dsp.pictures.bitmaps.count(const_cast<bitmap*>(b)) != 0;
}

dsp_picture* dsp_newpictureof(unsigned long w, unsigned long h, bool alpha, char const* entry) {
  if (w < 1 || h < 1 || w > dsp_maxside || h > dsp_maxside) {
    dsp_fail(dsp_earg, entry, "size %lu x %lu is outside 1..%lu", w, h, dsp_maxside);
    return nullptr;
  }
  dsp_picture* p = dsp_newpicture(w, h, alpha);
  if (!p) dsp_fail(dsp_enomem, entry, "no memory for a %lu x %lu bitmap", w, h);
  return p;
}

dsp_picture* dsp_newpicture(unsigned long w, unsigned long h, bool alpha) {
  if (w < 1 || h < 1 || w > dsp_maxside || h > dsp_maxside) return nullptr;
  cairo_surface_t* s =
      cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, int(w), int(h));
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    dsp_warn("cannot make a %lux%lu bitmap: %s", w, h,
             cairo_status_to_string(cairo_surface_status(s)));
    cairo_surface_destroy(s);
    return nullptr;
  }
  dsp_picture* p = nullptr;
  try {
    p = new dsp_picture;
    std::lock_guard<std::mutex> hold(dsp.pictures.lock);
    dsp.pictures.bitmaps.insert(p);
  } catch (std::bad_alloc const&) {
    delete p;
    cairo_surface_destroy(s);
    return nullptr;
  }
  p->surface = s;
  p->w = int(w);
  p->h = int(h);
  dsp_bmpcontext(*p);
  return p;
}

dsp_pixels dsp_pixelsof(bitmap& b) {
  cairo_surface_flush(b.surface);
  if (&b == &dsp.canvas && dsp_scaledcanvas()) return dsp_canvasview();  // logical pixels
  return {reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(b.surface)), b.w, b.h,
          cairo_image_surface_get_stride(b.surface) / 4};
}

void dsp_changed(bitmap& b) { dsp_changed(b, 0, 0, b.w, b.h); }

void dsp_changed(bitmap& b, int x, int y, int w, int h) {
  if (&b == &dsp.canvas && dsp_scaledcanvas())
    dsp_storeview(x, y, w, h);
  else if (x == 0 && y == 0 && w == b.w && h == b.h)
    cairo_surface_mark_dirty(b.surface);
  else
    cairo_surface_mark_dirty_rectangle(b.surface, x, y, w, h);
}

dsp_pictures::~dsp_pictures() {
  for (bitmap* b : bitmaps) {
    cairo_destroy(b->cr);
    cairo_surface_destroy(b->surface);
    delete static_cast<dsp_picture*>(b);
  }
  for (dsp_picture* p : retiredbmp) delete p;
  for (bitbuf* bb : bufs) delete bb;
  for (bitbuf* bb : retiredbb) delete bb;
}

// ---- Window and screen ---------------------------------------------------------------

qr_b GetWin72() {
  dsp_setup();
  return dsp_window();
}

// A copy of what the window shows; the same bitmap is refreshed at every call (a new one
// only when the window's size changed or the old one was released).
qr_b GetScr73() {
  dsp_setup();
  bitmap* win = dsp_win();
  if (!win) return nullptr;
  dsp_picture*& scr = dsp.pictures.screen;
  if (scr && (scr->w != win->w || scr->h != win->h)) dsp_release(scr);
  if (!scr) {
    scr = dsp_newpicture(qe_u(win->w), qe_u(win->h));
    if (!scr) return nullptr;
    dsp_copysettings(*scr, *win);
  }
  dsp_copypixels(*scr, *win);
  return scr;
}

namespace {

// Only the window's picture has a native window behind it.
void* dsp_handleof(bitmap const* b) {
  return b == &dsp.canvas && dsp_isbitmap(b) ? dsp_be().handle() : nullptr;
}

// Handing out the context: the library no longer knows what colour and font are set on it,
// so it sets them afresh at its next drawing call.
void* dsp_contextof(bitmap* b, char const* entry) {
  if (!dsp_liveof(b, entry)) return nullptr;
  b->source = ~0ul;
  b->fontoncr = nullptr;
  return b->cr;
}

}  // namespace

qr_p GetHwnd74(qe_b b) {
  dsp_setup();
  return dsp_handleof(b);
}

qr_p GetHwnd75() {
  dsp_setup();
  return dsp_handleof(&dsp.canvas);
}

qr_p GetDraw76(qe_b b) {
  dsp_setup();
  return dsp_contextof(b, __func__);
}

qr_p GetDraw77() {
  dsp_setup();
  return dsp_contextof(&dsp.canvas, __func__);
}

// ---- Making and releasing ------------------------------------------------------------

// A new bitmap filled with `colour`, which is also its background; pen and brush as b's.
qr_b CreateBMP189(qe_b b, qe_u w, qe_u h, qe_u colour) {
  dsp_setup();
  if (!dsp_islive(b)) return nullptr;
  dsp_picture* p = dsp_newpictureof(w, h, false, __func__);
  if (!p) return nullptr;
  dsp_copysettings(*p, *b);
  p->bg = colour & 0xFFFFFF;
  p->key = dsp_keyof(b);
  dsp_fill(*p, colour);
  return dsp_made(p);
}

namespace {

// A copy of b: pixels, settings and colour key.
bitmap* dsp_copyof(bitmap* b, char const* entry) {
  if (!dsp_liveof(b, entry)) return nullptr;
  dsp_picture* p = dsp_newpicture(qe_u(b->w), qe_u(b->h), dsp_hasalpha(*b));
  if (!p) return nullptr;
  dsp_copysettings(*p, *b);
  p->key = dsp_keyof(b);
  dsp_copypixels(*p, *b);
  return dsp_made(p);
}

// A new bitmap filled with `colour`, which is also its background; default settings.
bitmap* dsp_filledof(unsigned long w, unsigned long h, unsigned long colour, char const* entry) {
  dsp_picture* p = dsp_newpictureof(w, h, false, entry);
  if (!p) return nullptr;
  p->bg = colour & 0xFFFFFF;
  dsp_fill(*p, colour);
  return dsp_made(p);
}

}  // namespace

qr_b CreateBMP190(qe_b b) {
  dsp_setup();
  return dsp_copyof(b, __func__);
}

qr_b CreateBMP191(qe_u w, qe_u h, qe_u colour) {
  dsp_setup();
  return dsp_filledof(w, h, colour, __func__);
}

qr_b CreateBMP192(qe_u w, qe_u h) {
  dsp_setup();
  return dsp_filledof(w, h, 0x000000, __func__);
}

// Transparent until drawn on; what is drawn into it keeps its coverage as alpha, so an
// antialiased edge blends when the bitmap is drawn.
qr_b disp_createbmpalpha(qe_u w, qe_u h) {
  dsp_extension ext;
  dsp_setup();
  return dsp_made(dsp_newpictureof(w, h, true, __func__));
}

qr_b CreateBMP193() {
  dsp_setup();
  bitmap* win = dsp_win();
  return win ? dsp_copyof(win, __func__) : nullptr;
}

// The window's picture belongs to the window: CloseWin46 drops it, ReleaseBMP ignores it.
qr_v ReleaseBMP194(qe_b b) {
  dsp_setup();
  if (dsp_picture* p = dsp_picof(b))
    dsp_release(p);
  else if (b != &dsp.canvas)
    dsp_failbitmap(__func__, b);
}

qr_v ReleaseBMP195() {
  dsp_setup();
  std::vector<bitmap*> all;
  {
    std::lock_guard<std::mutex> hold(dsp.pictures.lock);
    all.assign(dsp.pictures.bitmaps.begin(), dsp.pictures.bitmaps.end());
  }
  for (bitmap* b : all) dsp_release(static_cast<dsp_picture*>(b));
}

// ---- Drawing one bitmap onto another -------------------------------------------------

// Onto a given bitmap.
qr_v DrawBMP199(qe_b d, qe_b s, qe_u a, qe_u b, qe_u c, qe_u e, qe_u f, qe_u g, qe_u h, qe_u i,
                qe_u k) {
  dsp_drawbmp(d, s, {a, b, c, e, f, g, h, i, k});
}
qr_v DrawBMP200(qe_b d, qe_b s, qe_u a, qe_u b, qe_u c, qe_u e, qe_u f, qe_u g, qe_u h, qe_u i) {
  dsp_drawbmp(d, s, {a, b, c, e, f, g, h, i});
}
qr_v DrawBMP201(qe_b d, qe_b s, qe_u a, qe_u b, qe_u c, qe_u e, qe_u f, qe_u g, qe_u h) {
  dsp_drawbmp(d, s, {a, b, c, e, f, g, h});
}
qr_v DrawBMP202(qe_b d, qe_b s, qe_u a, qe_u b, qe_u c, qe_u e, qe_u f, qe_u g) {
  dsp_drawbmp(d, s, {a, b, c, e, f, g});
}
qr_v DrawBMP203(qe_b d, qe_b s, qe_u a, qe_u b, qe_u c, qe_u e, qe_u f) {
  dsp_drawbmp(d, s, {a, b, c, e, f});
}
qr_v DrawBMP204(qe_b d, qe_b s, qe_u a, qe_u b, qe_u c, qe_u e) { dsp_drawbmp(d, s, {a, b, c, e}); }
qr_v DrawBMP205(qe_b d, qe_b s, qe_u a, qe_u b, qe_u c) { dsp_drawbmp(d, s, {a, b, c}); }
qr_v DrawBMP206(qe_b d, qe_b s, qe_u a, qe_u b) { dsp_drawbmp(d, s, {a, b}); }
qr_v DrawBMP207(qe_b d, qe_b s, qe_u a) { dsp_drawbmp(d, s, {a}); }
qr_v DrawBMP208(qe_b d, qe_b s) { dsp_drawbmp(d, s, {}); }

// Onto the window's picture.
qr_v DrawBMP209(qe_b s, qe_u a, qe_u b, qe_u c, qe_u e, qe_u f, qe_u g, qe_u h, qe_u i, qe_u k) {
  dsp_drawbmp(&dsp.canvas, s, {a, b, c, e, f, g, h, i, k});
}
qr_v DrawBMP210(qe_b s, qe_u a, qe_u b, qe_u c, qe_u e, qe_u f, qe_u g, qe_u h, qe_u i) {
  dsp_drawbmp(&dsp.canvas, s, {a, b, c, e, f, g, h, i});
}
qr_v DrawBMP211(qe_b s, qe_u a, qe_u b, qe_u c, qe_u e, qe_u f, qe_u g, qe_u h) {
  dsp_drawbmp(&dsp.canvas, s, {a, b, c, e, f, g, h});
}
qr_v DrawBMP212(qe_b s, qe_u a, qe_u b, qe_u c, qe_u e, qe_u f, qe_u g) {
  dsp_drawbmp(&dsp.canvas, s, {a, b, c, e, f, g});
}
qr_v DrawBMP213(qe_b s, qe_u a, qe_u b, qe_u c, qe_u e, qe_u f) {
  dsp_drawbmp(&dsp.canvas, s, {a, b, c, e, f});
}
qr_v DrawBMP214(qe_b s, qe_u a, qe_u b, qe_u c, qe_u e) {
  dsp_drawbmp(&dsp.canvas, s, {a, b, c, e});
}
qr_v DrawBMP215(qe_b s, qe_u a, qe_u b, qe_u c) { dsp_drawbmp(&dsp.canvas, s, {a, b, c}); }
qr_v DrawBMP216(qe_b s, qe_u a, qe_u b) { dsp_drawbmp(&dsp.canvas, s, {a, b}); }
qr_v DrawBMP217(qe_b s, qe_u a) { dsp_drawbmp(&dsp.canvas, s, {a}); }
qr_v DrawBMP218(qe_b s) { dsp_drawbmp(&dsp.canvas, s, {}); }

// The last bitmap made by CreateBMP or LoadBMP, onto the window's picture.
qr_v DrawBMP219(qe_u a, qe_u b, qe_u c, qe_u e, qe_u f, qe_u g, qe_u h, qe_u i, qe_u k) {
  dsp_drawbmp(&dsp.canvas, dsp.pictures.last, {a, b, c, e, f, g, h, i, k});
}
qr_v DrawBMP220(qe_u a, qe_u b, qe_u c, qe_u e, qe_u f, qe_u g, qe_u h, qe_u i) {
  dsp_drawbmp(&dsp.canvas, dsp.pictures.last, {a, b, c, e, f, g, h, i});
}
qr_v DrawBMP221(qe_u a, qe_u b, qe_u c, qe_u e, qe_u f, qe_u g, qe_u h) {
  dsp_drawbmp(&dsp.canvas, dsp.pictures.last, {a, b, c, e, f, g, h});
}
qr_v DrawBMP222(qe_u a, qe_u b, qe_u c, qe_u e, qe_u f, qe_u g) {
  dsp_drawbmp(&dsp.canvas, dsp.pictures.last, {a, b, c, e, f, g});
}
qr_v DrawBMP223(qe_u a, qe_u b, qe_u c, qe_u e, qe_u f) {
  dsp_drawbmp(&dsp.canvas, dsp.pictures.last, {a, b, c, e, f});
}
qr_v DrawBMP224(qe_u a, qe_u b, qe_u c, qe_u e) {
  dsp_drawbmp(&dsp.canvas, dsp.pictures.last, {a, b, c, e});
}
qr_v DrawBMP225(qe_u a, qe_u b, qe_u c) { dsp_drawbmp(&dsp.canvas, dsp.pictures.last, {a, b, c}); }
qr_v DrawBMP226(qe_u a, qe_u b) { dsp_drawbmp(&dsp.canvas, dsp.pictures.last, {a, b}); }
qr_v DrawBMP227(qe_u a) { dsp_drawbmp(&dsp.canvas, dsp.pictures.last, {a}); }
qr_v DrawBMP228() { dsp_drawbmp(dsp_win(), dsp.pictures.last, {}); }

// ---- Mixing and blurring -------------------------------------------------------------

// dest = the mean of a and b, pixel by pixel, over the area the three have in common
// (from the top-left corner). Any of them may be the same bitmap.
qr_v MixBMP229(qe_b dest, qe_b a, qe_b b) {
  dsp_setup();
  if (!dsp_islive(dest) || !dsp_islive(a) || !dsp_islive(b)) return;
  int const w = std::min({dest->w, a->w, b->w}), h = std::min({dest->h, a->h, b->h});
  dsp_pixels pd = dsp_pixelsof(*dest), pa = dsp_pixelsof(*a), pb = dsp_pixelsof(*b);
  pd.w = pa.w = pb.w = w;
  pd.h = pa.h = pb.h = h;
  dsp_mixpixels(pd, pa, pb, {dsp_hasalpha(*dest), dsp_hasalpha(*a), dsp_hasalpha(*b)});
  dsp_changed(*dest);
}

namespace {

// Both box-blur forms, each telling a dead bitmap under its own name.
void dsp_blurboxof(bitmap* b, unsigned long rx, unsigned long ry, char const* entry) {
  if (!dsp_liveof(b, entry)) return;
  try {
    dsp_boxblur(dsp_pixelsof(*b), rx, ry, dsp_hasalpha(*b));
  } catch (std::bad_alloc const&) {
    dsp_warn("BlurBMPBox: out of memory");
  }
  dsp_changed(*b);
}

}  // namespace

qr_v BlurBMPBox230(qe_b b, qe_u rx, qe_u ry) {
  dsp_setup();
  dsp_blurboxof(b, rx, ry, __func__);
}

qr_v BlurBMPBox231(qe_b b, qe_u r) {
  dsp_setup();
  dsp_blurboxof(b, r, r, __func__);
}

qr_v BlurBMPGau232(qe_b b, qe_d sigma) {
  dsp_setup();
  if (!dsp_islive(b)) return;
  try {
    dsp_gaussblur(dsp_pixelsof(*b), sigma, dsp_hasalpha(*b));
  } catch (std::bad_alloc const&) {
    dsp_warn("BlurBMPGau: out of memory");
  }
  dsp_changed(*b);
}
