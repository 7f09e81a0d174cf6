// Bit buffers: a bitmap's pixels copied into plain memory as 0x00RRGGBB words, to be read
// and changed pixel by pixel without going through the drawing context, then written back.
#include <algorithm>
#include <new>

#include "platform/disp/internal.h"

namespace {

// Released buffers kept before their memory is freed (see the same for bitmaps).
constexpr size_t dsp_keepretired = 4096;

dsp_pixels dsp_pixelsof(bitbuf& bb) { return {bb.px.data(), bb.w, bb.h, bb.w}; }

// The buffer's bitmap, when both still live; the area the two have in common then goes
// in `w`, `h` (the window's picture may have changed size since the buffer was made).
bitmap* dsp_bitmapof(bitbuf* bb, int& w, int& h, char const* entry) {
  if (!dsp_bblive(bb, entry)) return nullptr;
  if (!bb->from || !dsp_isbitmap(bb->from)) {
    dsp_fail(dsp_earg, entry, "the bit buffer's bitmap was released");
    return nullptr;
  }
  bitmap* b = const_cast<bitmap*>(bb->from);
  w = std::min(bb->w, b->w);
  h = std::min(bb->h, b->h);
  return b;
}

// Copies the buffer's bitmap into it, over the area the two have in common.
void dsp_readbb(bitbuf* bb, char const* entry) {
  int w, h;
  bitmap* b = dsp_bitmapof(bb, w, h, entry);
  if (!b) return;
  dsp_pixels const s = dsp_pixelsof(*b);
  for (int y = 0; y < h; ++y) {
    uint32_t const* from = s.row(y);
    uint32_t* to = &bb->px[size_t(y) * size_t(bb->w)];
    for (int x = 0; x < w; ++x) to[x] = from[x] & 0xFFFFFF;
  }
}

}  // namespace

bool dsp_isbitbuf(bitbuf const* bb) {
  if (!bb) return false;
  std::lock_guard<std::mutex> hold(dsp.pictures.lock);
  return dsp.pictures.bufs.count(const_cast<bitbuf*>(bb)) != 0;
}

// A buffer of b's size holding a copy of its pixels; null for a bitmap that is not live or
// when memory runs out.
qr_bb CreateBB233(qe_b b) {
  dsp_setup();
  if (!dsp_islive(b)) return nullptr;
  bitbuf* bb = nullptr;
  try {
    bb = new bitbuf;
    bb->px.resize(size_t(b->w) * size_t(b->h));
    std::lock_guard<std::mutex> hold(dsp.pictures.lock);
    dsp.pictures.bufs.insert(bb);
  } catch (std::bad_alloc const&) {
    dsp_warn("cannot make a %dx%d bit buffer: out of memory", b->w, b->h);
    delete bb;
    return nullptr;
  }
  bb->from = b;
  bb->w = b->w;
  bb->h = b->h;
  dsp_readbb(bb, __func__);
  return bb;
}

qr_v ReleaseBB234(qe_bb bb) {
  dsp_setup();
  if (!dsp_isbblive(bb)) return;
  dsp_pictures& reg = dsp.pictures;
  std::lock_guard<std::mutex> hold(reg.lock);
  if (reg.bufs.erase(bb) == 0) return;  // another thread released it meanwhile
  bb->from = nullptr;
  bb->w = bb->h = 0;
  std::vector<uint32_t>().swap(bb->px);
  reg.retiredbb.push_back(bb);
  if (reg.retiredbb.size() > dsp_keepretired) {
    delete reg.retiredbb.front();
    reg.retiredbb.pop_front();
  }
}

// Bitmap to buffer.
qr_v GetBB235(qe_bb bb) {
  dsp_setup();
  dsp_readbb(bb, __func__);
}

// Buffer to bitmap.
qr_v SetBB236(qe_bb bb) {
  dsp_setup();
  int w, h;
  bitmap* b = dsp_bitmapof(bb, w, h, __func__);
  if (!b) return;
  dsp_pixels const d = dsp_pixelsof(*b);
  uint32_t const opaque = dsp_opaque(*b);  // a buffer holds colours: they come back opaque
  for (int y = 0; y < h; ++y) {
    uint32_t const* from = &bb->px[size_t(y) * size_t(bb->w)];
    if (!opaque) {
      std::copy_n(from, w, d.row(y));
      continue;
    }
    for (int x = 0; x < w; ++x) d.row(y)[x] = from[x] | opaque;
  }
  dsp_changed(*b);
}

// dest = the mean of a and b, over the area the three have in common.
qr_v MixBB237(qe_bb dest, qe_bb a, qe_bb b) {
  dsp_setup();
  if (!dsp_isbblive(dest) || !dsp_isbblive(a) || !dsp_isbblive(b)) return;
  int const w = std::min({dest->w, a->w, b->w}), h = std::min({dest->h, a->h, b->h});
  dsp_pixels pd = dsp_pixelsof(*dest), pa = dsp_pixelsof(*a), pb = dsp_pixelsof(*b);
  pd.w = pa.w = pb.w = w;
  pd.h = pa.h = pb.h = h;
  dsp_mixpixels(pd, pa, pb);
}

qr_v BlurBBBox238(qe_bb bb, qe_u rx, qe_u ry) {
  dsp_setup();
  if (!dsp_isbblive(bb)) return;
  try {
    dsp_boxblur(dsp_pixelsof(*bb), rx, ry);
  } catch (std::bad_alloc const&) {
    dsp_warn("BlurBBBox: out of memory");
  }
}

qr_v BlurBBGau239(qe_bb bb, qe_d sigma) {
  dsp_setup();
  if (!dsp_isbblive(bb)) return;
  try {
    dsp_gaussblur(dsp_pixelsof(*bb), sigma);
  } catch (std::bad_alloc const&) {
    dsp_warn("BlurBBGau: out of memory");
  }
}

qr_u GetBBPixel152(qe_bb bb, qe_u x, qe_u y) {
  dsp_setup();
  if (!dsp_isbblive(bb) || x >= qe_u(bb->w) || y >= qe_u(bb->h)) return 0;
  return bb->px[y * qe_u(bb->w) + x];
}

qr_v SetBBPixel153(qe_bb bb, qe_u x, qe_u y, qe_u colour) {
  dsp_setup();
  if (!dsp_isbblive(bb) || x >= qe_u(bb->w) || y >= qe_u(bb->h)) return;
  bb->px[y * qe_u(bb->w) + x] = uint32_t(colour & 0xFFFFFF);
}
