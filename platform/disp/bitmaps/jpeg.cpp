// JPEG files, read by libjpeg-turbo: disp_loadjpeg gives an opaque bitmap. As with PNG the
// file is untrusted: read whole and bounded first, its size checked before a pixel is
// decoded, its scans counted; data libjpeg finds damaged fails the load rather than
// giving a picture with grey blocks in it.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

// jpeglib.h wants FILE and size_t declared before it.
#include <jerror.h>
#include <jpeglib.h>

#include "platform/disp/internal.h"

namespace {

constexpr uint64_t dsp_maxjpegpixels = uint64_t(64) << 20;  // as for PNG: 256 MiB of bitmap
constexpr unsigned dsp_maxjpegside = 16384;
// A progressive file may hold many scans, each costing a pass over the whole picture: a
// few KB can keep a decoder busy for minutes. Real files have a dozen or so.
constexpr int dsp_maxscans = 256;

// libjpeg's error manager, with where to jump back to and the first complaint's text.
struct dsp_jpegerr {
  jpeg_error_mgr mgr;
  std::jmp_buf back;
  char why[JMSG_LENGTH_MAX];
};

[[noreturn]] void dsp_jpegfatal(j_common_ptr c) {
  auto* e = reinterpret_cast<dsp_jpegerr*>(c->err);
  (*c->err->format_message)(c, e->why);
  std::longjmp(e->back, 1);
}

// Warnings (level -1) are damaged data that libjpeg would paper over: they fail the load.
void dsp_jpegwarn(j_common_ptr c, int level) {
  if (level < 0) dsp_jpegfatal(c);
}

void dsp_jpegprogress(j_common_ptr c) {
  if (c->is_decompressor &&
      reinterpret_cast<j_decompress_ptr>(c)->input_scan_number > dsp_maxscans) {
    auto* e = reinterpret_cast<dsp_jpegerr*>(c->err);
    std::snprintf(e->why, sizeof e->why, "more than %d scans", dsp_maxscans);
    std::longjmp(e->back, 1);
  }
}

// Decodes into a new bitmap p; null on success, else why not (in `why` of the error
// manager, or a fixed text). Nothing with a destructor lives between setjmp and longjmp.
char const* dsp_decodejpeg(std::vector<uint8_t> const& b, dsp_picture*& p, dsp_jpegerr& err) {
  if (b.size() < 3 || b[0] != 0xFF || b[1] != 0xD8 || b[2] != 0xFF)
    return "not a JPEG file (no JPEG signature)";
  jpeg_decompress_struct cinfo;
  jpeg_progress_mgr progress = {};
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = dsp_jpegfatal;
  err.mgr.emit_message = dsp_jpegwarn;
  err.why[0] = 0;
  p = nullptr;
  char const* volatile fixed = nullptr;
  if (setjmp(err.back)) {
    jpeg_destroy_decompress(&cinfo);
    if (p) dsp_release(p);
    p = nullptr;
    return fixed ? fixed : err.why;
  }
  jpeg_create_decompress(&cinfo);
  progress.progress_monitor = dsp_jpegprogress;
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, b.data(), static_cast<unsigned long>(b.size()));
  jpeg_read_header(&cinfo, TRUE);
  if (cinfo.image_width > dsp_maxjpegside || cinfo.image_height > dsp_maxjpegside)
    fixed = "larger than 16384 pixels a side";
  else if (uint64_t(cinfo.image_width) * cinfo.image_height > dsp_maxjpegpixels)
    fixed = "more than 64 M pixels";
  else if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK)
    fixed = "a CMYK JPEG (only grey and colour ones are read)";
  if (fixed) std::longjmp(err.back, 1);
  cinfo.out_color_space = JCS_EXT_BGRX;  // bytes B, G, R, X: cairo's RGB24 words
  jpeg_start_decompress(&cinfo);
  p = dsp_newpicture(cinfo.output_width, cinfo.output_height, false);
  if (!p) {
    fixed = "out of memory";
    std::longjmp(err.back, 1);
  }
  cairo_surface_flush(p->surface);
  unsigned char* base = cairo_image_surface_get_data(p->surface);
  int const stride = cairo_image_surface_get_stride(p->surface);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = base + std::ptrdiff_t(cinfo.output_scanline) * stride;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  cairo_surface_mark_dirty(p->surface);
  return nullptr;
}

}  // namespace

qr_b disp_loadjpeg(qe_s path) {
  dsp_extension ext;
  dsp_setup();
  if (!path) {
    dsp_seterror(dsp_earg, "loadjpeg: the path is null");
    return nullptr;
  }
  std::vector<uint8_t> bytes;
  dsp_picture* p = nullptr;
  dsp_jpegerr err;
  char const* why = dsp_readfile(path, bytes);
  if (!why) why = dsp_decodejpeg(bytes, p, err);
  if (why) {
    std::string const text = *why ? why : "damaged JPEG data";
    dsp_loadfailed(
        "disp_loadjpeg", "loadjpeg", path,
        why == err.why ? ("damaged or unsupported JPEG data: " + text).c_str() : text.c_str());
    return nullptr;
  }
  dsp.pictures.last = p;  // what the short DrawBMP forms draw, as after LoadBMP
  return p;
}
