// Writes what the X server shows of a window as PNG: the picture a compositor nested in
// Xvfb put on its output, for comparison with the library's own frame dumps.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: xgrab WINDOW FILE.png\n");
    return 2;
  }
  Display* d = XOpenDisplay(nullptr);
  if (!d) return 1;
  Window w = Window(strtoul(argv[1], nullptr, 0));
  XWindowAttributes a;
  if (!XGetWindowAttributes(d, w, &a)) return 1;
  XImage* img = XGetImage(d, w, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
  if (!img) return 1;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, a.width, a.height);
  unsigned char* data = cairo_image_surface_get_data(s);
  int const stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < a.height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + std::ptrdiff_t(y) * stride);
    for (int x = 0; x < a.width; ++x) row[x] = uint32_t(XGetPixel(img, x, y) & 0xFFFFFF);
  }
  cairo_surface_mark_dirty(s);
  int const rc = cairo_surface_write_to_png(s, argv[2]) == CAIRO_STATUS_SUCCESS ? 0 : 1;
  cairo_surface_destroy(s);
  XDestroyImage(img);
  XCloseDisplay(d);
  return rc;
}
