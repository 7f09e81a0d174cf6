// The window's icon (disp_seticon): a copy of a bitmap's pixels, handed to the backend for
// the open window and kept for every window opened later. Headless, it is only kept.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/disp/internal.h"

namespace {

// Desktops show icons at 16 to 256 pixels; a bigger bitmap is scaled down to this side
// so a huge one costs no more than a big icon in the window's properties.
constexpr int dsp_iconmax = 256;

struct {
  std::vector<uint32_t> argb;  // opaque 0xAARRGGBB, row after row
  int w = 0, h = 0;
} dsp_icon;

}  // namespace

// Gives the window the kept icon; called when a window is made, too.
void dsp_iconapply() {
  if (dsp_icon.argb.empty()) return;
  dsp_be().seticon(dsp_icon.argb.data(), dsp_icon.w, dsp_icon.h);
}

qr_v disp_seticon(qe_b b) {
  dsp_extension ext;
  dsp_setup();
  if (!dsp_isbitmap(b) || !b->surface) {
    dsp_failbitmap(__func__, b);
    return;
  }
  double k = std::min(1.0, double(dsp_iconmax) / std::max(b->w, b->h));
  int w = std::max(1, int(b->w * k + 0.5)), h = std::max(1, int(b->h * k + 0.5));
  cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  cairo_t* c = cairo_create(copy);
  cairo_scale(c, double(w) / b->w, double(h) / b->h);
  cairo_surface_t* from = dsp_readable(b->surface);
  if (from) {
    cairo_surface_flush(from);
    cairo_set_source_surface(c, from, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(c), CAIRO_FILTER_GOOD);
    cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
    cairo_paint(c);
    cairo_surface_destroy(from);
  }
  cairo_destroy(c);
  cairo_surface_flush(copy);
  if (cairo_surface_status(copy) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(copy);
    dsp_fail(dsp_enomem, "seticon", "no memory for the icon's copy");
    return;
  }
  unsigned char const* data = cairo_image_surface_get_data(copy);
  int stride = cairo_image_surface_get_stride(copy);
  std::vector<uint32_t> argb(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y) {
    auto row = reinterpret_cast<uint32_t const*>(data + std::ptrdiff_t(y) * stride);
    for (int x = 0; x < w; ++x) argb[size_t(y) * w + x] = row[x] | 0xFF000000u;
  }
  cairo_surface_destroy(copy);
  dsp_icon.argb = std::move(argb);
  dsp_icon.w = w;
  dsp_icon.h = h;
  dsp_iconapply();
}
