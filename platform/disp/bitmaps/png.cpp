// PNG files, read and written by cairo: disp_loadpng gives a bitmap (with alpha when the
// file has any), disp_savepng writes a bitmap with its alpha. The file is untrusted: it is
// read whole and bounded first, and its size is checked before cairo decodes a pixel.
#include <cstring>
#include <vector>

#include "platform/disp/internal.h"

namespace {

// More pixels than this are refused before decoding: a few KB of compressed data can ask
// for gigabytes. 64 M pixels, 256 MiB of bitmap, as the largest BMP file we read.
constexpr uint64_t dsp_maxpngpixels = uint64_t(64) << 20;
constexpr uint32_t dsp_maxside = 16384;

// The file's bytes, handed to cairo piece by piece.
struct dsp_pngin {
  std::vector<uint8_t> const& b;
  size_t at = 0;
};

cairo_status_t dsp_pngread(void* closure, unsigned char* data, unsigned int n) {
  auto* in = static_cast<dsp_pngin*>(closure);
  if (n > in->b.size() - in->at) return CAIRO_STATUS_READ_ERROR;  // cut short
  memcpy(data, in->b.data() + in->at, n);
  in->at += n;
  return CAIRO_STATUS_SUCCESS;
}

cairo_status_t dsp_pngwrite(void* closure, unsigned char const* data, unsigned int n) {
  return dsp_writeout(*static_cast<dsp_out*>(closure), data, n) ? CAIRO_STATUS_SUCCESS
                                                                : CAIRO_STATUS_WRITE_ERROR;
}

uint32_t dsp_be32(uint8_t const* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// The signature and the header chunk, which must come first: the size, checked.
char const* dsp_pngheader(std::vector<uint8_t> const& b) {
  static uint8_t const sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (b.size() < 8 || memcmp(b.data(), sig, 8) != 0) return "not a PNG file (no PNG signature)";
  if (b.size() < 33) return "too short for a PNG header";
  if (dsp_be32(&b[8]) != 13 || memcmp(&b[12], "IHDR", 4) != 0) return "no header chunk first";
  uint32_t const w = dsp_be32(&b[16]), h = dsp_be32(&b[20]);
  if (w < 1 || h < 1) return "width or height is zero";
  if (w > dsp_maxside || h > dsp_maxside) return "larger than 16384 pixels a side";
  if (uint64_t(w) * h > dsp_maxpngpixels) return "more than 64 M pixels";
  return nullptr;
}

// cairo's reader gives an opaque image as RGB24 and any other as ARGB32 (newer versions
// may give a wider format for deep files): the bitmap has alpha unless the image is RGB24.
char const* dsp_decodepng(std::vector<uint8_t> const& b, dsp_picture*& p) {
  dsp_pngin in{b};
  cairo_surface_t* img = cairo_image_surface_create_from_png_stream(dsp_pngread, &in);
  cairo_status_t const st = cairo_surface_status(img);
  // cairo reports libpng's complaints (a bad checksum, a broken stream) as NO_MEMORY; with
  // the size bounded above, a damaged file is by far the likelier cause.
  if (st != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(img);
    return "damaged or unsupported PNG data";
  }
  int const w = cairo_image_surface_get_width(img), h = cairo_image_surface_get_height(img);
  bool const alpha = cairo_image_surface_get_format(img) != CAIRO_FORMAT_RGB24;
  p = dsp_newpicture(qe_u(w), qe_u(h), alpha);
  if (!p) {
    cairo_surface_destroy(img);
    return "out of memory";
  }
  // Copied, not painted through the bitmap's own context, so no setting of it applies.
  cairo_t* cr = cairo_create(p->surface);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, img, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(img);
  cairo_surface_flush(p->surface);
  return nullptr;
}

}  // namespace

qr_b disp_loadpng(qe_s path) {
  dsp_extension ext;
  dsp_setup();
  if (!path) {
    dsp_seterror(dsp_earg, "loadpng: the path is null");
    return nullptr;
  }
  std::vector<uint8_t> bytes;
  dsp_picture* p = nullptr;
  char const* why = dsp_readfile(path, bytes);
  if (!why) why = dsp_pngheader(bytes);
  if (!why) why = dsp_decodepng(bytes, p);
  if (why) {
    dsp_loadfailed("disp_loadpng", "loadpng", path, why);
    return nullptr;
  }
  dsp.pictures.last = p;  // what the short DrawBMP forms draw, as after LoadBMP
  return p;
}

// As SaveBMP198: an existing file is replaced, and a write that fails leaves no
// half-written file behind. A bitmap with alpha keeps it; one without is saved opaque.
qr_bool disp_savepng(qe_b b, qe_s path) {
  dsp_extension ext;
  dsp_setup();
  if (!dsp_isbitmap(b) || !path) {
    dsp_seterror(dsp_earg, path ? "savepng: not a live bitmap" : "savepng: the path is null");
    return false;
  }
  dsp_out out;
  if (!dsp_openout(out, path, false)) return dsp_outfail(out, "disp_savepng", "savepng", false);
  // The logical pixels: a window's picture shown scaled is saved at its own size.
  dsp_pixels const px = dsp_pixelsof(*b);
  cairo_surface_t* view = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(px.p),
      dsp_hasalpha(*b) ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, px.w, px.h, int(px.stride * 4));
  cairo_status_t st = cairo_surface_status(view);
  if (st == CAIRO_STATUS_SUCCESS) st = cairo_surface_write_to_png_stream(view, dsp_pngwrite, &out);
  cairo_surface_destroy(view);
  if (st != CAIRO_STATUS_SUCCESS && out.why.empty()) out.why = cairo_status_to_string(st);
  if (!dsp_closeout(out)) return dsp_outfail(out, "disp_savepng", "savepng", true);
  return true;
}
