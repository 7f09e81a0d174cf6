// Colours that see through and blend modes, per target: the switch that makes a colour's top
// byte its opacity, the mode shapes, text and bitmaps are drawn in, and rectangles of
// pixels composited by pixman in that mode (the fast way bitmaps are drawn).
#include <pixman.h>

#include "platform/disp/draw/pixels.h"
#include "platform/disp/internal.h"

static_assert(sizeof(unsigned long) > 4, "colour keys above 32 bits tell alpha colours apart");

void dsp_seealpha(bitmap& t, unsigned long argb) {
  argb &= 0xFFFFFFFFu;
  // Above 32 bits: never equal to an opaque colour's key, so switching between the two
  // always sets the source again.
  unsigned long const key = argb | 1ul << 32;
  if (key == t.source) return;
  t.source = key;
  cairo_set_source_rgba(t.cr, double((argb >> 16) & 0xFF) / 255.0,
                        double((argb >> 8) & 0xFF) / 255.0, double(argb & 0xFF) / 255.0,
                        double(argb >> 24) / 255.0);
}

cairo_operator_t dsp_cairoblend(unsigned mode) {
  switch (mode) {
    case dsp_blendadd:
      return CAIRO_OPERATOR_ADD;
    case dsp_blendmultiply:
      return CAIRO_OPERATOR_MULTIPLY;
    default:
      return CAIRO_OPERATOR_OVER;
  }
}

void dsp_paintplain(bitmap& t, unsigned long colour) {
  cairo_save(t.cr);
  cairo_set_operator(t.cr, CAIRO_OPERATOR_OVER);
  cairo_set_source_rgb(t.cr, double((colour >> 16) & 0xFF) / 255.0,
                       double((colour >> 8) & 0xFF) / 255.0, double(colour & 0xFF) / 255.0);
  cairo_paint(t.cr);
  cairo_restore(t.cr);
  t.source = ~0ul;
}

namespace {

pixman_op_t dsp_pixmanop(unsigned mode) {
  switch (mode) {
    case dsp_blendadd:
      return PIXMAN_OP_ADD;
    case dsp_blendmultiply:
      return PIXMAN_OP_MULTIPLY;
    default:
      return PIXMAN_OP_OVER;
  }
}

pixman_image_t* dsp_pixmanof(dsp_pixels p, bool alpha) {
  return pixman_image_create_bits(alpha ? PIXMAN_a8r8g8b8 : PIXMAN_x8r8g8b8, p.w, p.h, p.p,
                                  int(p.stride * 4));
}

// Like the antialiasing switch, the window's settings are kept while no window is open and
// hold for the next one.
void dsp_setcoloralpha(bitmap* t, bool on) {
  if (!t) return;
  t->coloralpha = on;
  t->source = ~0ul;  // the next colour is set afresh, read the new way
}

void dsp_setblend(bitmap* t, unsigned long mode, char const* entry) {
  if (!t) return;
  if (mode >= dsp_blends) {
    dsp_fail(dsp_earg, entry, "blend mode %lu is none of 0 (normal), 1 (add), 2 (multiply)", mode);
    return;
  }
  t->blend = unsigned(mode);
  if (t->cr) cairo_set_operator(t->cr, dsp_cairoblend(t->blend));
}

}  // namespace

bool dsp_composite(dsp_pixels d, bool dalpha, dsp_pixels s, bool salpha, unsigned mode, int sx,
                   int sy, int w, int h, int dx, int dy) {
  pixman_image_t* di = dsp_pixmanof(d, dalpha);
  pixman_image_t* si = dsp_pixmanof(s, salpha);
  bool const ok = di && si;
  if (ok) pixman_image_composite32(dsp_pixmanop(mode), si, nullptr, di, sx, sy, 0, 0, dx, dy, w, h);
  if (si) pixman_image_unref(si);
  if (di) pixman_image_unref(di);
  return ok;
}

// ---- Entries -------------------------------------------------------------------------

qr_v disp_setcoloralpha(qe_bool on) {
  dsp_extension ext;
  dsp_setup();
  dsp_setcoloralpha(&dsp.canvas, on != 0);
}

qr_v disp_setbmpcoloralpha(qe_b b, qe_bool on) {
  dsp_extension ext;
  dsp_setup();
  dsp_setcoloralpha(dsp_target(b), on != 0);
}

qr_v disp_setblend(qe_u mode) {
  dsp_extension ext;
  dsp_setup();
  dsp_setblend(&dsp.canvas, mode, __func__);
}

qr_v disp_setbmpblend(qe_b b, qe_u mode) {
  dsp_extension ext;
  dsp_setup();
  dsp_setblend(dsp_target(b), mode, __func__);
}
