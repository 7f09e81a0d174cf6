// Compares two PNG pictures pixel by pixel (RGB only): prints the size of each and how
// many pixels differ; exit 0 when they are the same size and no pixel differs.
#include <cairo.h>

#include <cstdint>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: pngdiff A.png B.png\n");
    return 2;
  }
  cairo_surface_t* a = cairo_image_surface_create_from_png(argv[1]);
  cairo_surface_t* b = cairo_image_surface_create_from_png(argv[2]);
  if (cairo_surface_status(a) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_status(b) != CAIRO_STATUS_SUCCESS) {
    fprintf(stderr, "pngdiff: cannot read the pictures\n");
    return 2;
  }
  int const w = cairo_image_surface_get_width(a), h = cairo_image_surface_get_height(a);
  int const bw = cairo_image_surface_get_width(b), bh = cairo_image_surface_get_height(b);
  long differ = 0;
  if (w == bw && h == bh)
    for (int y = 0; y < h; ++y) {
      auto const* ra = reinterpret_cast<uint32_t const*>(cairo_image_surface_get_data(a) +
                                                         y * cairo_image_surface_get_stride(a));
      auto const* rb = reinterpret_cast<uint32_t const*>(cairo_image_surface_get_data(b) +
                                                         y * cairo_image_surface_get_stride(b));
      for (int x = 0; x < w; ++x) differ += ((ra[x] ^ rb[x]) & 0xFFFFFF) != 0;
    }
  printf("%dx%d %dx%d %ld\n", w, h, bw, bh, differ);
  cairo_surface_destroy(a);
  cairo_surface_destroy(b);
  return w == bw && h == bh && differ == 0 ? 0 : 1;
}
