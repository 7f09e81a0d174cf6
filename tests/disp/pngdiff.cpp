// Compares two PNG pictures pixel by pixel (RGB only): prints the size of each and how
// many pixels differ; exit 0 when they are the same size and no pixel differs. With
// --inside, B must appear pixel for pixel somewhere in A: prints where, or "not found".
#include <cairo.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

uint32_t const* row(cairo_surface_t* s, int y) {
  return reinterpret_cast<uint32_t const*>(cairo_image_surface_get_data(s) +
                                           y * cairo_image_surface_get_stride(s));
}

bool same(uint32_t a, uint32_t b) { return ((a ^ b) & 0xFFFFFF) == 0; }

// Whether b is in a with its top left corner at (x, y).
bool at(cairo_surface_t* a, cairo_surface_t* b, int x, int y) {
  int const bw = cairo_image_surface_get_width(b), bh = cairo_image_surface_get_height(b);
  for (int j = 0; j < bh; ++j)
    for (int i = 0; i < bw; ++i)
      if (!same(row(a, y + j)[x + i], row(b, j)[i])) return false;
  return true;
}

int inside(cairo_surface_t* a, cairo_surface_t* b) {
  int const w = cairo_image_surface_get_width(a), h = cairo_image_surface_get_height(a);
  int const bw = cairo_image_surface_get_width(b), bh = cairo_image_surface_get_height(b);
  for (int y = 0; y + bh <= h; ++y)
    for (int x = 0; x + bw <= w; ++x)
      if (same(row(a, y)[x], row(b, 0)[0]) && at(a, b, x, y)) {
        printf("found at %d,%d\n", x, y);
        return 0;
      }
  printf("not found\n");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  bool const find = argc == 4 && std::string(argv[1]) == "--inside";
  if (find) ++argv;
  if (argc != 3 && !find) {
    fprintf(stderr, "usage: pngdiff [--inside] A.png B.png\n");
    return 2;
  }
  cairo_surface_t* a = cairo_image_surface_create_from_png(argv[1]);
  cairo_surface_t* b = cairo_image_surface_create_from_png(argv[2]);
  if (cairo_surface_status(a) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_status(b) != CAIRO_STATUS_SUCCESS) {
    fprintf(stderr, "pngdiff: cannot read the pictures\n");
    return 2;
  }
  if (find) return inside(a, b);
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
