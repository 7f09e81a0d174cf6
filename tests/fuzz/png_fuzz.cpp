// Feeds arbitrary bytes to libdisp's PNG loader as a file. Whatever loads is drawn blended
// onto the headless window and into a bitmap with alpha in several ways, saved as PNG and
// loaded again (which must give back exactly the same pixels), then released.
#include <cairo.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/disp/disp.h"

namespace {

std::string in, out;  // scratch files of this fuzzing process, rewritten for every input

bool put(uint8_t const* data, size_t size) {
  int fd = open(in.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = write(fd, data, size) == ssize_t(size);
  close(fd);
  return ok;
}

cairo_surface_t* surf(bitmap* b) { return cairo_get_target(static_cast<cairo_t*>(GetDraw76(b))); }

// Saving and loading again gives the same pixels, alpha included, word for word.
void roundtrip(bitmap* b) {
  if (!disp_savepng(b, out.c_str())) abort();
  bitmap* back = disp_loadpng(out.c_str());
  if (!back) abort();
  cairo_surface_t *x = surf(b), *y = surf(back);
  cairo_surface_flush(x);
  cairo_surface_flush(y);
  int const w = cairo_image_surface_get_width(x), h = cairo_image_surface_get_height(x);
  if (w != cairo_image_surface_get_width(y) || h != cairo_image_surface_get_height(y)) abort();
  bool const alpha = cairo_image_surface_get_format(x) == CAIRO_FORMAT_ARGB32;
  uint32_t const mask = alpha ? 0xFFFFFFFFu : 0xFFFFFFu;
  for (int r = 0; r < h; ++r) {
    auto const* px = reinterpret_cast<uint32_t const*>(cairo_image_surface_get_data(x) +
                                                       r * cairo_image_surface_get_stride(x));
    auto const* py = reinterpret_cast<uint32_t const*>(cairo_image_surface_get_data(y) +
                                                       r * cairo_image_surface_get_stride(y));
    for (int c = 0; c < w; ++c)
      if ((px[c] & mask) != (py[c] & mask)) abort();
  }
  ReleaseBMP194(back);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("DISP_HEADLESS", "1", 1);
  char const* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : getenv("TMPDIR");
  std::string base = std::string(dir ? dir : "/tmp") + "/pngfuzz." + std::to_string(getpid());
  in = base + ".in.png";
  out = base + ".out.png";
  atexit([] {
    unlink(in.c_str());
    unlink(out.c_str());
  });
  if (!CreateWin42(64, 48)) abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  if (!put(data, size)) return 0;
  // The last byte, when there is one, doubles as a colour key and a drawing position.
  unsigned long const k = size ? data[size - 1] : 0;
  bitmap* b = disp_loadpng(in.c_str());
  if (!b) return 0;
  DrawBMP218(b);
  DrawBMP216(b, k % 70, qe_u(-long(k % 9)));
  DrawBMP214(b, 3, 3, 1 + k, 5);
  DrawBMP209(b, 1, 2, 7, 3, k % 5, k % 3, 2, 0, k * 0x010101);
  DrawBMP228();
  bitmap* layer = disp_createbmpalpha(40, 30);
  DrawBMP206(layer, b, k % 7, 1);
  DrawBMP204(layer, b, 2, 2, 9, 9);
  DrawBMP208(layer, layer);  // onto itself, blended
  roundtrip(b);
  roundtrip(layer);
  ReleaseBMP194(layer);
  ReleaseBMP194(b);
  return 0;
}
