// quibicon: renders quib's icon with libdisp, headless, into the PNGs and the SVG that
// are installed (dist/icons/), or checks that the committed ones are still what the code
// draws. Usage: quibicon write DIR | quibicon check DIR
#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "facade/facade.h"
#include "render/icon.h"

namespace {

constexpr long sizes[] = {48, 128, 256};
constexpr long svgsize = 256;
// Antialiasing may differ by a step or two between cairo versions; a changed design
// differs by far more.
constexpr int tolerance = 8;

// The icon with transparency: drawn once on black and once on white. Where the two agree
// the icon is opaque; the difference is how much background shows through, and the
// picture on black is already the colour times its coverage, as cairo's ARGB32 wants.
cairo_surface_t* rendericon(long size) {
  bitmap* onblack = createbmp(size, size, 0x000000);
  bitmap* onwhite = createbmp(size, size, 0xFFFFFF);
  if (onblack == nullptr || onwhite == nullptr) return nullptr;
  drawicon(onblack, size);
  drawicon(onwhite, size);
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(size), int(size));
  unsigned char* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  for (long y = 0; y < size; ++y) {
    auto row = reinterpret_cast<uint32_t*>(data + y * stride);
    for (long x = 0; x < size; ++x) {
      unsigned long k = getpixel(onblack, x, y), w = getpixel(onwhite, x, y);
      int through = 0;
      for (int shift : {0, 8, 16}) through += int((w >> shift) & 0xFF) - int((k >> shift) & 0xFF);
      uint32_t a = uint32_t(255 - std::min(255, std::max(0, (through + 1) / 3)));
      uint32_t px = a << 24;
      for (int shift : {0, 8, 16}) px |= std::min<uint32_t>((k >> shift) & 0xFF, a) << shift;
      row[x] = px;
    }
  }
  cairo_surface_mark_dirty(s);
  releasebmp(onblack);
  releasebmp(onwhite);
  return s;
}

// The same shapes as vector graphics, on the pixel grid of the 256-pixel PNG.
std::string svgicon() {
  iconshape shapes[iconshapemax];
  int n = iconshapes(shapes);
  std::ostringstream o;
  o << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    << "<!-- quib's icon: a ball on its loop. Written by tools/icon from render/icon.cpp. -->\n"
    << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << svgsize << "\" height=\"" << svgsize
    << "\" viewBox=\"0 0 " << svgsize << ' ' << svgsize << "\">\n";
  for (int i = 0; i < n; ++i) {
    iconshape p = iconpixels(shapes[i], svgsize);
    char colour[8];
    std::snprintf(colour, sizeof colour, "#%06lX", p.colour & 0xFFFFFF);
    // libdisp centres a shape's points on the middle of their pixels.
    if (p.kind == icondisc) {
      o << "  <circle cx=\"" << p.x[0] + 0.5 << "\" cy=\"" << p.y[0] + 0.5 << "\" r=\"" << p.r
        << "\" fill=\"" << colour << "\"/>\n";
    } else {
      o << "  <polygon points=\"";
      for (int j = 0; j < 3; ++j) o << (j ? " " : "") << p.x[j] + 0.5 << ',' << p.y[j] + 0.5;
      o << "\" fill=\"" << colour << "\"/>\n";
    }
  }
  o << "</svg>\n";
  return o.str();
}

std::string pngname(std::string const& dir, long size) {
  return dir + "/quib-" + std::to_string(size) + ".png";
}

// Whether the PNG at path holds the icon drawn now, within the tolerance.
bool samepng(cairo_surface_t* now, std::string const& path) {
  cairo_surface_t* old = cairo_image_surface_create_from_png(path.c_str());
  bool same = cairo_surface_status(old) == CAIRO_STATUS_SUCCESS &&
              cairo_image_surface_get_format(old) == CAIRO_FORMAT_ARGB32 &&
              cairo_image_surface_get_width(old) == cairo_image_surface_get_width(now) &&
              cairo_image_surface_get_height(old) == cairo_image_surface_get_height(now);
  if (same) {
    int w = cairo_image_surface_get_width(now), h = cairo_image_surface_get_height(now);
    for (int y = 0; y < h && same; ++y) {
      auto a = cairo_image_surface_get_data(now) + y * cairo_image_surface_get_stride(now);
      auto b = cairo_image_surface_get_data(old) + y * cairo_image_surface_get_stride(old);
      for (int i = 0; i < 4 * w && same; ++i) same = std::abs(int(a[i]) - int(b[i])) <= tolerance;
    }
  }
  cairo_surface_destroy(old);
  return same;
}

std::string readfile(std::string const& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream o;
  o << f.rdbuf();
  return o.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "write") != 0 && std::strcmp(argv[1], "check") != 0)) {
    std::fprintf(stderr, "usage: quibicon write DIR | quibicon check DIR\n");
    return 2;
  }
  bool write = std::strcmp(argv[1], "write") == 0;
  std::string dir = argv[2];
  setenv("DISP_HEADLESS", "1", 1);  // bitmaps only: no window, no display needed
  int stale = 0;
  for (long size : sizes) {
    cairo_surface_t* s = rendericon(size);
    if (s == nullptr) {
      std::fprintf(stderr, "quibicon: cannot make a %ld-pixel bitmap\n", size);
      return 1;
    }
    std::string path = pngname(dir, size);
    if (write) {
      if (cairo_surface_write_to_png(s, path.c_str()) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "quibicon: cannot write %s\n", path.c_str());
        return 1;
      }
    } else if (!samepng(s, path)) {
      std::fprintf(stderr, "quibicon: %s is not what render/icon.cpp draws\n", path.c_str());
      ++stale;
    }
    cairo_surface_destroy(s);
  }
  std::string svg = svgicon(), path = dir + "/quib.svg";
  if (write) {
    std::ofstream(path, std::ios::binary) << svg;
  } else if (readfile(path) != svg) {
    std::fprintf(stderr, "quibicon: %s is not what render/icon.cpp draws\n", path.c_str());
    ++stale;
  }
  if (stale > 0)
    std::fprintf(stderr, "quibicon: rewrite them with: quibicon write %s\n", dir.c_str());
  return stale > 0 ? 1 : 0;
}
