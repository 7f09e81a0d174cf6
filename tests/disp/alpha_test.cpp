// libdisp's bitmaps with alpha on the headless backend: PNG files made by cairo loaded and
// blended over a known background at each kind of drawbmp call, PNG round trips, damaged
// PNGs, 32-bit BMPs with an alpha mask, and drawing into a bitmap with alpha.
#include <cairo.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/disp/disp.h"

namespace {

using bytes = std::vector<uint8_t>;

std::string scratch(char const* name) {
  char const* dir = getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/disp_alpha_test." + std::to_string(getpid()) +
         "." + name;
}

std::string put(bytes const& b, char const* name) {
  std::string path = scratch(name);
  FILE* f = fopen(path.c_str(), "wb");
  if (!b.empty()) fwrite(b.data(), 1, b.size(), f);
  fclose(f);
  return path;
}

bytes slurp(std::string const& path) {
  bytes b;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return b;
  for (int c; (c = fgetc(f)) != EOF;) b.push_back(uint8_t(c));
  fclose(f);
  return b;
}

cairo_surface_t* surf(bitmap* b) { return cairo_get_target(static_cast<cairo_t*>(GetDraw76(b))); }
uint32_t word(bitmap* b, int x, int y) {
  cairo_surface_t* s = surf(b);
  cairo_surface_flush(s);
  auto row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
  return reinterpret_cast<uint32_t const*>(row)[x];
}
void setword(bitmap* b, int x, int y, uint32_t v) {
  cairo_surface_t* s = surf(b);
  cairo_surface_flush(s);
  auto row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
  reinterpret_cast<uint32_t*>(row)[x] = v;
  cairo_surface_mark_dirty(s);
}
bool hasalpha(bitmap* b) { return cairo_image_surface_get_format(surf(b)) == CAIRO_FORMAT_ARGB32; }

// A 4 x 1 sprite written by cairo itself: opaque red, red at half alpha (the antialiased
// edge), green at a quarter, nothing.
constexpr int spritew = 4;
constexpr uint32_t colours[spritew] = {0xFF0000, 0xFF0000, 0x00FF00, 0x000000};
constexpr uint32_t alphas[spritew] = {255, 128, 64, 0};
std::string spritepng() {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, spritew, 1);
  cairo_t* cr = cairo_create(s);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  for (int x = 0; x < spritew; ++x) {
    cairo_set_source_rgba(cr, (colours[x] >> 16) / 255.0, ((colours[x] >> 8) & 0xFF) / 255.0,
                          (colours[x] & 0xFF) / 255.0, alphas[x] / 255.0);
    cairo_rectangle(cr, x, 0, 1, 1);
    cairo_fill(cr);
  }
  cairo_destroy(cr);
  std::string path = scratch("sprite.png");
  EXPECT_EQ(cairo_surface_write_to_png(s, path.c_str()), CAIRO_STATUS_SUCCESS);
  cairo_surface_destroy(s);
  return path;
}

// Colour c at alpha a over background bg, channel by channel, in floating point.
bool blended(uint32_t got, uint32_t c, uint32_t a, uint32_t bg) {
  for (int sh = 0; sh <= 16; sh += 8) {
    double const want = ((c >> sh) & 0xFF) * a / 255.0 + ((bg >> sh) & 0xFF) * (255 - a) / 255.0;
    if (std::abs(double((got >> sh) & 0xFF) - want) > 1.0) return false;
  }
  return true;
}

class Alpha : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("DISP_HEADLESS", "1", 1); }
  void SetUp() override {
    ASSERT_TRUE(CreateWin42(64, 32));
    GetError38();
  }
  void TearDown() override {
    ReleaseBMP195();
    CloseWin46();
    for (char const* n : {"sprite.png", "opaque.png", "bad.png", "alpha.bmp", "bad.bmp"})
      unlink(scratch(n).c_str());
  }
};

constexpr uint32_t bg = 0x2040C0;

TEST_F(Alpha, PngEdgeBlendsOverTheBackgroundAtEveryKindOfDraw) {
  bitmap* s = disp_loadpng(spritepng().c_str());
  ASSERT_NE(s, nullptr) << disp_errortext();
  EXPECT_TRUE(hasalpha(s));
  bitmap* win = GetWin72();
  bitmap* other = CreateBMP191(64, 32, bg);
  disp_loadpng(spritepng().c_str());  // the last made: what the short forms draw
  Clear163(bg);
  DrawBMP218(s);               // window, at (0, 0)
  DrawBMP216(s, 10, 2);        // window, placed
  DrawBMP214(s, 20, 4, 8, 2);  // window, scaled twice in both directions
  DrawBMP226(40, 6);           // the last made, placed
  DrawBMP206(other, s, 5, 7);  // another bitmap
  struct at {
    bitmap* b;
    int x, y, step;
  };
  for (at p : {at{win, 0, 0, 1}, at{win, 10, 2, 1}, at{win, 20, 4, 2}, at{win, 20, 5, 2},
               at{win, 40, 6, 1}, at{other, 5, 7, 1}}) {
    for (int i = 0; i < spritew * p.step; ++i) {
      uint32_t const got = word(p.b, p.x + i, p.y) & 0xFFFFFF;
      int const k = i / p.step;
      EXPECT_TRUE(blended(got, colours[k], alphas[k], bg))
          << std::hex << got << " at " << std::dec << p.x + i << "," << p.y;
    }
    // The pixel after the sprite is untouched.
    EXPECT_EQ(word(p.b, p.x + spritew * p.step, p.y) & 0xFFFFFF, bg);
  }
  EXPECT_EQ(word(win, 3, 0) & 0xFFFFFF, bg) << "a transparent pixel leaves the background";
  EXPECT_EQ(word(win, 0, 0) & 0xFFFFFF, 0xFF0000u) << "an opaque one replaces it";
}

TEST_F(Alpha, ColourKeyStillAppliesAndAnOpaquePngDrawsAsACopy) {
  // An opaque PNG gives a bitmap without alpha, drawn exactly as a BMP would be.
  bitmap* src = CreateBMP192(3, 1);
  SetPixel149(src, 0, 0, 0x123456);
  SetPixel149(src, 1, 0, 0xFF00FF);
  SetPixel149(src, 2, 0, 0x000001);
  std::string path = scratch("opaque.png");
  ASSERT_TRUE(disp_savepng(src, path.c_str()));
  bitmap* p = disp_loadpng(path.c_str());
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(hasalpha(p));
  Clear163(bg);
  DrawBMP209(p, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF00FF);  // keyed: magenta left out
  EXPECT_EQ(word(GetWin72(), 0, 0) & 0xFFFFFF, 0x123456u);
  EXPECT_EQ(word(GetWin72(), 1, 0) & 0xFFFFFF, bg);
  EXPECT_EQ(word(GetWin72(), 2, 0) & 0xFFFFFF, 0x000001u);
  // A plain bitmap drawn into one with alpha arrives opaque, not invisible.
  bitmap* a = disp_createbmpalpha(3, 1);
  DrawBMP208(a, src);
  EXPECT_EQ(word(a, 0, 0), 0xFF123456u);
}

TEST_F(Alpha, PngRoundTripKeepsEveryPixel) {
  // Every alpha with a spread of premultiplied colours (each channel at most its alpha).
  bitmap* a = disp_createbmpalpha(256, 4);
  ASSERT_NE(a, nullptr);
  for (uint32_t x = 0; x < 256; ++x)
    for (uint32_t y = 0; y < 4; ++y) {
      uint32_t const r = x * y / 3, g = x * (3 - y) / 3, b = x / 2;
      setword(a, int(x), int(y), x << 24 | r << 16 | g << 8 | b);
    }
  std::string path = scratch("trip.png");
  ASSERT_TRUE(disp_savepng(a, path.c_str()));
  bitmap* back = disp_loadpng(path.c_str());
  ASSERT_NE(back, nullptr);
  ASSERT_TRUE(hasalpha(back));
  int diffs = 0;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 256; ++x) diffs += word(back, x, y) != word(a, x, y);
  EXPECT_EQ(diffs, 0);
  // The window's picture round-trips too, and an existing file is replaced.
  Clear163(bg);
  SetPixel150(7, 9, 0xABCDEF);
  ASSERT_TRUE(disp_savepng(GetWin72(), path.c_str()));
  bitmap* shot = disp_loadpng(path.c_str());
  ASSERT_NE(shot, nullptr);
  EXPECT_EQ(word(shot, 7, 9) & 0xFFFFFF, 0xABCDEFu);
  EXPECT_EQ(word(shot, 8, 9) & 0xFFFFFF, bg);
  unlink(path.c_str());
}

TEST_F(Alpha, DamagedPngsGiveNullAndAFileError) {
  bytes const good = slurp(spritepng());
  ASSERT_GT(good.size(), 60u);
  auto refused = [](bytes const& b, char const* what) {
    GetError38();
    bitmap* p = disp_loadpng(put(b, "bad.png").c_str());
    EXPECT_EQ(p, nullptr) << what;
    EXPECT_EQ(GetError38(), 3u) << what;
    EXPECT_NE(std::string(disp_errortext()).find("loadpng: cannot load"), std::string::npos)
        << what;
  };
  refused({}, "empty");
  refused({'B', 'M', 0, 0}, "not PNG");
  for (size_t n = 8; n < good.size(); n += 7)
    refused(bytes(good.begin(), good.begin() + long(n)), "cut");
  bytes crc = good;
  crc[crc.size() - 20] ^= 0x5A;  // inside the image data: its checksum fails
  refused(crc, "checksum");
  auto withsize = [&](uint32_t w, uint32_t h) {
    bytes b = good;
    b.resize(std::max<size_t>(b.size(), 24));
    for (int i = 0; i < 4; ++i)
      b[16 + i] = uint8_t(w >> (24 - 8 * i)), b[20 + i] = uint8_t(h >> (24 - 8 * i));
    return b;
  };
  refused(withsize(0, 1), "zero width");
  refused(withsize(20000, 1), "too wide");
  refused(withsize(16384, 16384), "too many pixels");
  refused(withsize(0x80000000u, 0x80000000u), "sizes past 31 bits");
  GetError38();
  EXPECT_EQ(disp_loadpng(nullptr), nullptr);
  EXPECT_EQ(GetError38(), 2u);
  EXPECT_EQ(disp_loadpng("/"), nullptr) << "a folder";
  EXPECT_EQ(GetError38(), 3u);
}

// Masks inside a 108-byte header (B G R A order) or after a 40-byte one (ALPHABITFIELDS).
bytes bmp32(uint32_t hsize, uint32_t compression, bytes const& px) {
  bytes b = {'B', 'M'};
  auto le = [&](uint64_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(uint8_t(v >> (8 * i)));
  };
  uint32_t const masks = hsize == 40 ? 16 : 0, off = 14 + hsize + masks;
  le(off + px.size(), 4), le(0, 4), le(off, 4);
  le(hsize, 4), le(uint32_t(px.size() / 4), 4), le(1, 4), le(1, 2), le(32, 2);
  le(compression, 4), le(px.size(), 4);
  b.resize(14 + hsize, 0);
  bytes m;
  for (uint32_t v : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u})
    for (int i = 0; i < 4; ++i) m.push_back(uint8_t(v >> (8 * i)));
  if (hsize == 40)
    b.insert(b.end(), m.begin(), m.end());
  else
    std::copy(m.begin(), m.end(), b.begin() + 54);
  b.insert(b.end(), px.begin(), px.end());
  return b;
}

TEST_F(Alpha, BmpWithAnAlphaMaskLoadsPremultipliedAndBlends) {
  // Pixels stored B G R A: opaque red, white at half alpha, blue at alpha 0.
  bytes const px = {0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0xFF, 0, 0, 0};
  for (bytes const& file : {bmp32(108, 3, px), bmp32(40, 6, px)}) {
    bitmap* b = LoadBMP197(put(file, "alpha.bmp").c_str());
    ASSERT_NE(b, nullptr) << disp_errortext();
    ASSERT_TRUE(hasalpha(b));
    EXPECT_EQ(word(b, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(word(b, 1, 0), 0x80808080u);
    EXPECT_EQ(word(b, 2, 0), 0u);
    Clear163(bg);
    DrawBMP218(b);
    EXPECT_TRUE(blended(word(GetWin72(), 1, 0), 0xFFFFFF, 0x80, bg));
    EXPECT_EQ(word(GetWin72(), 2, 0) & 0xFFFFFF, bg);
  }
  // An alpha mask overlapping a colour mask is refused.
  bytes bad = bmp32(108, 3, px);
  bad[66 + 2] = 0xFF;  // alpha mask takes red's bits too
  EXPECT_EQ(LoadBMP197(put(bad, "bad.bmp").c_str()), nullptr);
}

TEST_F(Alpha, DrawingIntoABitmapWithAlphaKeepsCoverage) {
  bitmap* a = disp_createbmpalpha(32, 32);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(word(a, 0, 0), 0u) << "starts transparent";
  Circle185(a, 16, 16, 10, 0xFF0000, 0xFF0000);
  EXPECT_EQ(word(a, 16, 16), 0xFFFF0000u);
  EXPECT_EQ(word(a, 1, 1), 0u);
  // Somewhere on the antialiased rim a pixel is partly covered.
  bool partial = false;
  for (int x = 0; x < 32; ++x) {
    uint32_t const al = word(a, x, 16) >> 24;
    partial |= al > 0 && al < 255;
  }
  EXPECT_TRUE(partial);
  Clear163(bg);
  DrawBMP208(GetWin72(), a);
  EXPECT_EQ(word(GetWin72(), 1, 1) & 0xFFFFFF, bg);
  EXPECT_EQ(word(GetWin72(), 16, 16) & 0xFFFFFF, 0xFF0000u);
  // A copy keeps the alpha, and so do blurs (a soft shadow stays a shadow); bit buffers,
  // which hold colours only, leave it opaque.
  bitmap* c = CreateBMP190(a);
  EXPECT_EQ(word(c, 1, 1), 0u);
  BlurBMPBox231(c, 1);
  EXPECT_EQ(word(c, 1, 1), 0u);
  bitbuf* bb = CreateBB233(a);
  SetBB236(bb);
  EXPECT_EQ(word(a, 1, 1), 0xFF000000u);
  ReleaseBB234(bb);
}

// Blurs and mixes work on premultiplied pixels, alpha included: every result stays a valid
// premultiplied pixel (no channel above its alpha), the alpha itself is blurred, and an
// opaque picture mixed in counts as opaque. cleartransparent empties a bitmap with alpha.
TEST_F(Alpha, BlursAndMixesKeepAlphaAndClearTransparentEmptiesIt) {
  bitmap* a = disp_createbmpalpha(16, 1);
  ASSERT_NE(a, nullptr);
  SetPixel149(a, 8, 0, 0xFF8000);  // one opaque pixel in a transparent row
  EXPECT_EQ(word(a, 8, 0), 0xFFFF8000u);
  BlurBMPBox230(a, 2, 0);
  for (int x = 0; x < 16; ++x) {
    uint32_t const p = word(a, x, 0), al = p >> 24;
    EXPECT_EQ(al, x >= 6 && x <= 10 ? 51u : 0u) << x;  // 255 spread over five pixels
    for (int sh = 0; sh <= 16; sh += 8) EXPECT_LE((p >> sh) & 0xFF, al) << x;
  }
  BlurBMPGau232(a, 1.5);
  EXPECT_GT(word(a, 8, 0) >> 24, 0u);
  EXPECT_EQ(word(a, 0, 0) >> 24, 0u);

  bitmap* opaque = CreateBMP191(16, 1, 0x000000);
  bitmap* mixed = disp_createbmpalpha(16, 1);
  MixBMP229(mixed, a, opaque);
  EXPECT_EQ(word(mixed, 0, 0), 0x80000000u);  // half of transparent, half of opaque black
  EXPECT_EQ(GetError38(), 0u);

  disp_cleartransparent(a);
  EXPECT_EQ(GetError38(), 0u);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(word(a, x, 0), 0u) << x;
  disp_cleartransparent(opaque);
  EXPECT_EQ(GetError38(), 2u);
  EXPECT_EQ(word(opaque, 0, 0) & 0xFFFFFF, 0u);
}

}  // namespace
