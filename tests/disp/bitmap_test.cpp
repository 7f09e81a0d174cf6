// libdisp's bitmaps and bit buffers on the headless backend: BMP files written and read
// back (hand-made files of every supported kind, damaged ones), bitmaps drawn onto each
// other, mixed and blurred, bit buffers, and what released or foreign pointers do.
#include <cairo.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/disp/disp.h"

namespace {

using bytes = std::vector<uint8_t>;

std::string scratch(char const* name) {
  char const* dir = getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/disp_bitmap_test." + std::to_string(getpid()) +
         "." + name;
}

std::string put(bytes const& b, char const* name = "in.bmp") {
  std::string path = scratch(name);
  FILE* f = fopen(path.c_str(), "wb");
  if (b.size()) fwrite(b.data(), 1, b.size(), f);
  fclose(f);
  return path;
}

// Pixels of a bitmap read straight from its surface, independent of the bit buffers.
cairo_surface_t* surf(bitmap* b) { return cairo_get_target(static_cast<cairo_t*>(GetDraw76(b))); }
unsigned long at(bitmap* b, int x, int y) {
  cairo_surface_t* s = surf(b);
  cairo_surface_flush(s);
  auto row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
  return reinterpret_cast<uint32_t const*>(row)[x] & 0xFFFFFF;
}
void set(bitmap* b, int x, int y, uint32_t c) {
  cairo_surface_t* s = surf(b);
  cairo_surface_flush(s);
  auto row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
  reinterpret_cast<uint32_t*>(row)[x] = c;
  cairo_surface_mark_dirty(s);
}
int width(bitmap* b) { return cairo_image_surface_get_width(surf(b)); }
int height(bitmap* b) { return cairo_image_surface_get_height(surf(b)); }

// A bitmap whose every pixel differs: colour from its position.
uint32_t pattern(int x, int y) {
  return uint32_t(x * 37 + y * 11) << 16 | uint32_t(x * 5 + y * 91) << 8 | uint32_t(x ^ y * 3);
}
bitmap* patterned(unsigned long w, unsigned long h) {
  bitmap* b = CreateBMP192(w, h);
  for (int y = 0; y < int(h); ++y)
    for (int x = 0; x < int(w); ++x) set(b, x, y, pattern(x, y) & 0xFFFFFF);
  return b;
}

// Little-endian BMP writing for the hand-made files.
void le(bytes& b, uint64_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

// A BMP with a 40-byte (or longer, zero-padded) header. `extra` follows the header (masks,
// palette), then the pixel rows as given.
bytes bmp(int32_t w, int32_t h, int bpp, uint32_t compression, bytes const& extra,
          bytes const& rows, uint32_t used = 0, uint32_t hsize = 40) {
  bytes b = {'B', 'M'};
  uint32_t off = 14 + hsize + uint32_t(extra.size());
  le(b, off + rows.size(), 4);
  le(b, 0, 4);
  le(b, off, 4);
  le(b, hsize, 4);
  le(b, uint32_t(w), 4);
  le(b, uint32_t(h), 4);
  le(b, 1, 2);
  le(b, uint64_t(bpp), 2);
  le(b, compression, 4);
  le(b, rows.size(), 4);
  le(b, 2835, 4);
  le(b, 2835, 4);
  le(b, used, 4);
  le(b, 0, 4);
  b.resize(14 + hsize, 0);
  b.insert(b.end(), extra.begin(), extra.end());
  b.insert(b.end(), rows.begin(), rows.end());
  return b;
}

// Field offsets in the file, for damaging one.
constexpr size_t offbits = 10, hwidth = 18, hheight = 22, hcomp = 30;
void poke(bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

// 3 x 2 at 24 bits, bottom-up: the first row stored is the bottom one; rows padded to 12.
bytes bmp24() {
  bytes rows = {
      0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0, 0, 0,  // bottom: red green blue
      0x10, 0x20, 0x30, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0, 0, 0,  // top
  };
  return bmp(3, 2, 24, 0, {}, rows);
}

class Bitmaps : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("DISP_HEADLESS", "1", 1);
    ASSERT_TRUE(CreateWin42(200, 150));
  }
  void SetUp() override {
    if (!IsWin47()) {
      ASSERT_TRUE(CreateWin42(200, 150));
    }
    Clear164();
  }
  void TearDown() override {
    ReleaseBMP195();
    for (char const* n : {"in.bmp", "out.bmp"}) unlink(scratch(n).c_str());
  }
};

// ---- BMP files ---------------------------------------------------------------------------

TEST_F(Bitmaps, SaveThenLoadRoundTripsExactlyAtEveryRowPadding) {
  for (unsigned long w : {1ul, 2ul, 3ul, 4ul, 5ul, 17ul}) {
    bitmap* b = patterned(w, 3);
    std::string path = scratch("out.bmp");
    ASSERT_TRUE(SaveBMP198(b, path.c_str()));
    bitmap* back = LoadBMP197(path.c_str());
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(width(back), int(w));
    ASSERT_EQ(height(back), 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < int(w); ++x) ASSERT_EQ(at(back, x, y), pattern(x, y) & 0xFFFFFF);
  }
}

TEST_F(Bitmaps, SavedFileIsPlain24BitBottomUp) {
  bitmap* b = CreateBMP191(2, 2, 0x112233);
  set(b, 0, 1, 0xAABBCC);  // bottom left: the first pixel stored
  std::string path = scratch("out.bmp");
  ASSERT_TRUE(SaveBMP198(b, path.c_str()));
  FILE* f = fopen(path.c_str(), "rb");
  bytes got(100);
  got.resize(fread(got.data(), 1, got.size(), f));
  fclose(f);
  ASSERT_EQ(got.size(), 54u + 2 * 8);
  EXPECT_EQ(got[28], 24);
  EXPECT_EQ(got[54], 0xCC);
  EXPECT_EQ(got[55], 0xBB);
  EXPECT_EQ(got[56], 0xAA);
  EXPECT_EQ(got[57], 0x33);
}

TEST_F(Bitmaps, SaveFailsOnBadPathOrBitmap) {
  bitmap* b = CreateBMP192(2, 2);
  EXPECT_FALSE(SaveBMP198(b, "/nonexistent-dir/x.bmp"));
  EXPECT_FALSE(SaveBMP198(b, nullptr));
  EXPECT_FALSE(SaveBMP198(nullptr, scratch("out.bmp").c_str()));
  if (access("/dev/full", W_OK) == 0) {
    EXPECT_FALSE(SaveBMP198(b, "/dev/full"));
  }
}

TEST_F(Bitmaps, Loads24BitBottomUp) {
  bitmap* b = LoadBMP197(put(bmp24()).c_str());
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(width(b), 3);
  EXPECT_EQ(height(b), 2);
  EXPECT_EQ(at(b, 0, 1), 0xFF0000u);
  EXPECT_EQ(at(b, 1, 1), 0x00FF00u);
  EXPECT_EQ(at(b, 2, 1), 0x0000FFu);
  EXPECT_EQ(at(b, 0, 0), 0x302010u);
  EXPECT_EQ(at(b, 1, 0), 0xFFFFFFu);
  EXPECT_EQ(at(b, 2, 0), 0x000000u);
}

TEST_F(Bitmaps, Loads32BitTopDownIgnoringTheFourthByte) {
  bytes rows = {0x01, 0x02, 0x03, 0xFF, 0x04, 0x05, 0x06, 0x00,   // top
                0x07, 0x08, 0x09, 0x80, 0x0A, 0x0B, 0x0C, 0x11};  // bottom
  bitmap* b = LoadBMP197(put(bmp(2, -2, 32, 0, {}, rows)).c_str());
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(at(b, 0, 0), 0x030201u);
  EXPECT_EQ(at(b, 1, 0), 0x060504u);
  EXPECT_EQ(at(b, 0, 1), 0x090807u);
  EXPECT_EQ(at(b, 1, 1), 0x0C0B0Au);
}

TEST_F(Bitmaps, LoadsPalettedAtOneFourAndEightBits) {
  bytes pal = {0x00, 0x00, 0xFF, 0, 0xFF, 0x00, 0x00, 0, 0x00, 0xFF, 0x00, 0};  // red blue green
  // 8 bits: 3 x 2, indexes bottom row 0 1 2, top row 2 1 0; index 7 is past the palette.
  bytes rows8 = {0, 1, 2, 0, 2, 1, 7, 0};
  bitmap* b8 = LoadBMP197(put(bmp(3, 2, 8, 0, pal, rows8, 3)).c_str());
  ASSERT_NE(b8, nullptr);
  EXPECT_EQ(at(b8, 0, 1), 0xFF0000u);
  EXPECT_EQ(at(b8, 1, 1), 0x0000FFu);
  EXPECT_EQ(at(b8, 2, 1), 0x00FF00u);
  EXPECT_EQ(at(b8, 0, 0), 0x00FF00u);
  EXPECT_EQ(at(b8, 2, 0), 0x000000u) << "an index past the palette reads black";
  // 4 bits: 3 x 1, high nibble first: indexes 1 2 0.
  bitmap* b4 = LoadBMP197(put(bmp(3, 1, 4, 0, pal, {0x12, 0x00, 0, 0}, 3)).c_str());
  ASSERT_NE(b4, nullptr);
  EXPECT_EQ(at(b4, 0, 0), 0x0000FFu);
  EXPECT_EQ(at(b4, 1, 0), 0x00FF00u);
  EXPECT_EQ(at(b4, 2, 0), 0xFF0000u);
  // 1 bit: 10 x 1, most significant bit first; no count given: the two entries that fit.
  bytes pal1 = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0};
  bitmap* b1 = LoadBMP197(put(bmp(10, 1, 1, 0, pal1, {0xA0, 0x40, 0, 0})).c_str());
  ASSERT_NE(b1, nullptr);
  unsigned long const want[10] = {0xFFFFFF, 0, 0xFFFFFF, 0, 0, 0, 0, 0, 0, 0xFFFFFF};
  for (int x = 0; x < 10; ++x) EXPECT_EQ(at(b1, x, 0), want[x]) << x;
}

TEST_F(Bitmaps, LoadsSixteenBitAndBitFields) {
  // 16 bits, no masks: 5-5-5. Pure red, then white.
  bitmap* a = LoadBMP197(put(bmp(2, 1, 16, 0, {}, {0x00, 0x7C, 0xFF, 0x7F})).c_str());
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(at(a, 0, 0), 0xFF0000u);
  EXPECT_EQ(at(a, 1, 0), 0xFFFFFFu);
  // 16 bits with 5-6-5 masks after the header: green 0x07E0 is full green; 0x0400 half.
  bytes m565;
  le(m565, 0xF800, 4);
  le(m565, 0x07E0, 4);
  le(m565, 0x001F, 4);
  bitmap* g = LoadBMP197(put(bmp(2, 1, 16, 3, m565, {0xE0, 0x07, 0x00, 0x04})).c_str());
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(at(g, 0, 0), 0x00FF00u);
  EXPECT_EQ(at(g, 1, 0), 0x008200u);  // 32 of 63 -> 130
  // 32 bits, masks inside a 108-byte header, blue in the top byte: B G R A order.
  bytes v4 = bmp(1, 1, 32, 3, {}, {0x44, 0x33, 0x22, 0x11}, 0, 108);
  poke(v4, 54, 0x0000FF00);  // red
  poke(v4, 58, 0x00FF0000);  // green
  poke(v4, 62, 0xFF000000);  // blue
  bitmap* c = LoadBMP197(put(v4).c_str());
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(at(c, 0, 0), 0x332211u);
}

TEST_F(Bitmaps, MalformedFilesGiveNull) {
  auto refused = [](bytes const& b) { return LoadBMP197(put(b).c_str()) == nullptr; };
  EXPECT_TRUE(refused({})) << "empty file";
  EXPECT_TRUE(refused({'B', 'M', 0, 0})) << "truncated header";
  bytes huge = bmp24();
  poke(huge, hwidth, 20000);
  EXPECT_TRUE(refused(huge)) << "huge width";
  poke(huge, hwidth, 3);
  poke(huge, hheight, 0x80000000u);
  EXPECT_TRUE(refused(huge)) << "height INT32_MIN";
  bytes zero = bmp24();
  poke(zero, hwidth, 0);
  EXPECT_TRUE(refused(zero)) << "zero width";
  bytes past = bmp24();
  poke(past, offbits, 1000);
  EXPECT_TRUE(refused(past)) << "pixel offset past the end";
  bytes inside = bmp24();
  poke(inside, offbits, 20);
  EXPECT_TRUE(refused(inside)) << "pixel offset inside the header";
  bytes pal(12, 0);
  bytes over = bmp(3, 2, 8, 0, pal, bytes(8, 0), 300);
  EXPECT_TRUE(refused(over)) << "palette larger than 256";
  bytes rle = bmp(3, 2, 8, 0, pal, bytes(8, 0), 3);
  poke(rle, hcomp, 1);
  EXPECT_TRUE(refused(rle)) << "RLE";
  EXPECT_EQ(LoadBMP197(nullptr), nullptr);
  EXPECT_EQ(LoadBMP197("/nonexistent/file.bmp"), nullptr);
  EXPECT_EQ(LoadBMP197("/tmp"), nullptr) << "a directory";
  std::string fifo = scratch("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(LoadBMP197(fifo.c_str()), nullptr) << "a FIFO, refused without waiting for a writer";
  unlink(fifo.c_str());
}

// Every prefix of a valid file is refused but the whole file (the last row may lack its
// padding), so nothing is ever read past what the file holds.
TEST_F(Bitmaps, EveryTruncationOfAFileIsRefused) {
  bytes const whole = bmp24();
  for (size_t n = 0; n < whole.size() - 3; ++n)
    EXPECT_EQ(LoadBMP197(put(bytes(whole.begin(), whole.begin() + long(n))).c_str()), nullptr)
        << n << " bytes";
  EXPECT_NE(LoadBMP197(put(bytes(whole.begin(), whole.end() - 3)).c_str()), nullptr);
}

// ---- Drawing bitmaps -------------------------------------------------------------------

TEST_F(Bitmaps, DrawPlacesTheWholeSourceUnscaled) {
  bitmap* src = patterned(5, 4);
  bitmap* dst = CreateBMP191(20, 20, 0x404040);
  DrawBMP206(dst, src, 7, 3);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) ASSERT_EQ(at(dst, 7 + x, 3 + y), pattern(x, y) & 0xFFFFFF);
  EXPECT_EQ(at(dst, 6, 3), 0x404040u);
  EXPECT_EQ(at(dst, 12, 3), 0x404040u);
  EXPECT_EQ(at(dst, 7, 7), 0x404040u);
  DrawBMP208(dst, src);  // at the origin
  EXPECT_EQ(at(dst, 0, 0), pattern(0, 0) & 0xFFFFFF);
}

TEST_F(Bitmaps, DrawScalesByNearestNeighbour) {
  bitmap* src = patterned(2, 2);
  bitmap* dst = CreateBMP192(20, 20);
  DrawBMP204(dst, src, 1, 1, 6, 4);  // 3 x 2 per source pixel
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(at(dst, 1 + x, 1 + y), pattern(x / 3, y / 2) & 0xFFFFFF);
  EXPECT_EQ(at(dst, 7, 1), 0u);
  EXPECT_EQ(at(dst, 1, 5), 0u);
  // Width alone keeps the proportions: 2 x 2 at width 8 is 8 x 8.
  bitmap* d2 = CreateBMP192(20, 20);
  DrawBMP205(d2, src, 0, 0, 8);
  EXPECT_EQ(at(d2, 7, 7), pattern(1, 1) & 0xFFFFFF);
  EXPECT_EQ(at(d2, 8, 7), 0u);
  EXPECT_EQ(at(d2, 7, 8), 0u);
  // Shrinking by two takes every second pixel.
  bitmap* big = patterned(8, 8);
  bitmap* d3 = CreateBMP192(4, 4);
  DrawBMP204(d3, big, 0, 0, 4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(at(d3, x, y), pattern(2 * x + 1, 2 * y + 1) & 0xFFFFFF);
}

TEST_F(Bitmaps, DrawCutsTheSourceRectangle) {
  bitmap* src = patterned(10, 10);
  bitmap* dst = CreateBMP191(10, 10, 0x0000FF);
  DrawBMP200(dst, src, 1, 2, 0, 0, 3, 4, 2, 2);  // 2 x 2 from (3, 4), natural size
  EXPECT_EQ(at(dst, 1, 2), pattern(3, 4) & 0xFFFFFF);
  EXPECT_EQ(at(dst, 2, 3), pattern(4, 5) & 0xFFFFFF);
  EXPECT_EQ(at(dst, 3, 2), 0x0000FFu);
  EXPECT_EQ(at(dst, 1, 4), 0x0000FFu);
  // From (8, 8) with no size: the rest of the source, 2 x 2.
  DrawBMP202(dst, src, 0, 0, 0, 0, 8, 8);
  EXPECT_EQ(at(dst, 1, 1), pattern(9, 9) & 0xFFFFFF);
  EXPECT_EQ(at(dst, 2, 0), 0x0000FFu);
  // A rectangle past the source's edge draws only what the source has, unstretched.
  bitmap* d2 = CreateBMP191(10, 10, 0x0000FF);
  DrawBMP200(d2, src, 0, 0, 8, 8, 6, 6, 4, 4);  // 4 x 4 source pixels -> 8 x 8
  EXPECT_EQ(at(d2, 0, 0), pattern(6, 6) & 0xFFFFFF);
  EXPECT_EQ(at(d2, 7, 7), pattern(9, 9) & 0xFFFFFF);
  EXPECT_EQ(at(d2, 8, 8), 0x0000FFu);
  DrawBMP202(d2, src, 0, 0, 0, 0, 10, 0);  // source x past the edge: nothing
  EXPECT_EQ(at(d2, 0, 0), pattern(6, 6) & 0xFFFFFF);
}

TEST_F(Bitmaps, ColourKeyLeavesItsPixelsOut) {
  bitmap* src = CreateBMP191(2, 1, 0xFF00FF);
  set(src, 1, 0, 0x123456);
  bitmap* dst = CreateBMP191(4, 1, 0x00FF00);
  DrawBMP199(dst, src, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF00FF);
  EXPECT_EQ(at(dst, 0, 0), 0x00FF00u);
  EXPECT_EQ(at(dst, 1, 0), 0x123456u);
  DrawBMP199(dst, src, 2, 0, 0, 0, 0, 0, 0, 0, 1);  // 1: no key
  EXPECT_EQ(at(dst, 2, 0), 0xFF00FFu);
  // A key given to LoadBMP196 is the bitmap's own, used when a call names none.
  std::string path = scratch("out.bmp");
  ASSERT_TRUE(SaveBMP198(src, path.c_str()));
  bitmap* keyed = LoadBMP196(path.c_str(), 0xFF00FF);
  bitmap* d2 = CreateBMP191(2, 1, 0x00FF00);
  DrawBMP208(d2, keyed);
  EXPECT_EQ(at(d2, 0, 0), 0x00FF00u);
  EXPECT_EQ(at(d2, 1, 0), 0x123456u);
}

TEST_F(Bitmaps, NegativeAndFarPositionsClip) {
  bitmap* src = patterned(4, 4);
  bitmap* dst = CreateBMP192(4, 4);
  DrawBMP206(dst, src, qe_u(-2L), qe_u(-1L));
  EXPECT_EQ(at(dst, 0, 0), pattern(2, 1) & 0xFFFFFF);
  EXPECT_EQ(at(dst, 1, 2), pattern(3, 3) & 0xFFFFFF);
  EXPECT_EQ(at(dst, 2, 0), 0u);
  DrawBMP206(dst, src, 1000000, 5);  // wholly off: nothing, no fault
  set(src, 0, 0, 0xABCDEF);
  DrawBMP204(dst, src, 0, 0, ~0ul, ~0ul);
  EXPECT_EQ(at(dst, 3, 3), 0xABCDEFu) << "the top-left pixel, hugely enlarged";
  // So far out that doubles no longer hold every pixel: the source lies wholly off.
  bitmap* d2 = CreateBMP191(4, 4, 0x00FF00);
  long const far = 1L << 60;
  DrawBMP200(d2, src, qe_u(-far), 0, qe_u(far) * 2, 4, 0, 0, qe_u(far) * 2, 4);
  DrawBMP200(d2, src, qe_u(-far) + 1, qe_u(-far), ~0ul, ~0ul, 3, 3, ~0ul, ~0ul);
  EXPECT_EQ(at(d2, 0, 0), 0x00FF00u);
}

TEST_F(Bitmaps, DrawOntoItselfReadsTheOriginalPixels) {
  bitmap* b = patterned(6, 6);
  DrawBMP206(b, b, 1, 1);  // shifts the picture down-right by one
  for (int y = 1; y < 6; ++y)
    for (int x = 1; x < 6; ++x) ASSERT_EQ(at(b, x, y), pattern(x - 1, y - 1) & 0xFFFFFF);
}

TEST_F(Bitmaps, FormsWithoutDestinationDrawOnTheWindow) {
  bitmap* src = CreateBMP191(3, 3, 0xABCDEF);
  DrawBMP216(src, 10, 20);
  EXPECT_EQ(GetPixel148(10, 20), 0xABCDEFu);
  EXPECT_EQ(GetPixel148(12, 22), 0xABCDEFu);
  EXPECT_EQ(GetPixel148(13, 22), 0u);
  // No bitmap at all: the one made last.
  CreateBMP191(2, 2, 0x00FF00);
  DrawBMP226(50, 60);
  EXPECT_EQ(GetPixel148(51, 61), 0x00FF00u);
  DrawBMP228();
  EXPECT_EQ(GetPixel148(0, 0), 0x00FF00u);
  ReleaseBMP195();
  DrawBMP226(100, 100);  // none left: nothing
  EXPECT_EQ(GetPixel148(100, 100), 0u);
}

// ---- Making, copying, mixing, blurring --------------------------------------------------

TEST_F(Bitmaps, CreateFillsCopiesAndRefusesImpossibleSizes) {
  bitmap* a = CreateBMP191(3, 2, 0x123456);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(width(a), 3);
  EXPECT_EQ(at(a, 2, 1), 0x123456u);
  set(a, 1, 1, 0xFF0000);
  bitmap* copy = CreateBMP190(a);
  ASSERT_NE(copy, a);
  EXPECT_EQ(at(copy, 1, 1), 0xFF0000u);
  set(a, 1, 1, 0);
  EXPECT_EQ(at(copy, 1, 1), 0xFF0000u) << "a copy, not a view";
  bitmap* like = CreateBMP189(a, 4, 4, 0x00FF00);
  EXPECT_EQ(at(like, 3, 3), 0x00FF00u);
  EXPECT_EQ(at(CreateBMP192(1, 1), 0, 0), 0u);
  EXPECT_EQ(CreateBMP191(0, 5, 0), nullptr);
  EXPECT_EQ(CreateBMP191(16385, 1, 0), nullptr);
  EXPECT_EQ(CreateBMP192(1, ~0ul), nullptr);
  EXPECT_NE(CreateBMP192(16384, 1), nullptr);
}

TEST_F(Bitmaps, WindowPictureAndItsCopies) {
  bitmap* win = GetWin72();
  ASSERT_NE(win, nullptr);
  EXPECT_EQ(width(win), 200);
  EXPECT_EQ(GetHwnd75(), nullptr) << "headless: no native window";
  EXPECT_EQ(GetHwnd74(CreateBMP192(1, 1)), nullptr);
  EXPECT_EQ(GetDraw77(), GetDraw76(win));
  Circle187(5, 5, 0, 0xFF0000);
  bitmap* copy = CreateBMP193();
  bitmap* scr = GetScr73();
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(scr, nullptr);
  EXPECT_EQ(at(copy, 5, 5), 0xFF0000u);
  EXPECT_EQ(at(scr, 5, 5), 0xFF0000u);
  Clear164();
  EXPECT_EQ(at(copy, 5, 5), 0xFF0000u);
  EXPECT_EQ(GetScr73(), scr) << "the same bitmap, refreshed";
  EXPECT_EQ(at(scr, 5, 5), 0u);
  ReleaseBMP194(win);  // ignored: the window owns it
  EXPECT_EQ(GetWin72(), win);
  CloseWin46();
  EXPECT_EQ(GetWin72(), nullptr);
  EXPECT_EQ(GetScr73(), nullptr);
  EXPECT_EQ(CreateBMP193(), nullptr);
  EXPECT_EQ(GetDraw77(), nullptr);
}

TEST_F(Bitmaps, MixAveragesOverTheCommonArea) {
  bitmap* a = CreateBMP191(4, 4, 0x204060);
  bitmap* b = CreateBMP191(3, 5, 0x406081);
  bitmap* d = CreateBMP191(5, 5, 0xFFFFFF);
  MixBMP229(d, a, b);
  EXPECT_EQ(at(d, 0, 0), 0x305071u);  // 0x60 + 0x81 rounds up
  EXPECT_EQ(at(d, 2, 3), 0x305071u);
  EXPECT_EQ(at(d, 3, 0), 0xFFFFFFu);
  EXPECT_EQ(at(d, 0, 4), 0xFFFFFFu);
  MixBMP229(a, a, b);  // in place
  EXPECT_EQ(at(a, 1, 1), 0x305071u);
}

TEST_F(Bitmaps, BlurKeepsUniformUniformAndSpreadsAPoint) {
  for (int kind = 0; kind < 4; ++kind) {
    bitmap* u = CreateBMP191(30, 20, 0x7F3A01);
    // A white point, or for the widest blur a 5 x 5 square, in the middle of black.
    bitmap* p = CreateBMP192(61, 61);
    int const half = kind == 3 ? 2 : 0;
    for (int y = 30 - half; y <= 30 + half; ++y)
      for (int x = 30 - half; x <= 30 + half; ++x) set(p, x, y, 0xFFFFFF);
    auto blur = [&](bitmap* b) {
      if (kind == 0) BlurBMPBox231(b, 2);
      if (kind == 1) BlurBMPBox230(b, 3, 1);
      if (kind == 2) BlurBMPGau232(b, 1.5);
      if (kind == 3) BlurBMPGau232(b, 9);  // the three-box path
    };
    blur(u);
    blur(p);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x) ASSERT_EQ(at(u, x, y), 0x7F3A01u) << kind;
    unsigned long const c = at(p, 30, 30);
    EXPECT_LT(c, 0xFFFFFFu) << kind;
    EXPECT_GT(c & 0xFF, 0u) << kind;
    EXPECT_EQ(c & 0xFF, c >> 16) << "grey stays grey " << kind;
    int const next = 31 + half;
    EXPECT_EQ(at(p, next, 30), at(p, 60 - next, 30)) << kind;
    EXPECT_EQ(at(p, 30, next), at(p, 30, 60 - next)) << kind;
    EXPECT_GT(at(p, next, 30) & 0xFF, 0u) << kind;
    EXPECT_LE(at(p, next, 30) & 0xFF, c & 0xFF) << kind;
    EXPECT_EQ(at(p, 0, 0), 0u) << kind;
    if (kind == 1) {
      EXPECT_EQ(at(p, 30, 32), 0u) << "vertical radius 1";
      EXPECT_NE(at(p, 33, 30), 0u) << "horizontal radius 3";
    }
  }
  bitmap* b = CreateBMP191(3, 3, 0x808080);
  BlurBMPGau232(b, 0);  // nothing
  BlurBMPGau232(b, std::nan(""));
  BlurBMPBox231(b, ~0ul);
  EXPECT_EQ(at(b, 1, 1), 0x808080u);
}

// ---- Bit buffers -----------------------------------------------------------------------

TEST_F(Bitmaps, BitBufferCopiesBothWays) {
  bitmap* b = patterned(7, 5);
  bitbuf* bb = CreateBB233(b);
  ASSERT_NE(bb, nullptr);
  EXPECT_EQ(GetBBPixel152(bb, 3, 2), pattern(3, 2) & 0xFFFFFF);
  EXPECT_EQ(GetBBPixel152(bb, 7, 0), 0u);
  EXPECT_EQ(GetBBPixel152(bb, 0, 5), 0u);
  SetBBPixel153(bb, 6, 4, 0xFFABCDEF);
  SetBBPixel153(bb, 7, 4, 0x123456);  // outside: ignored
  EXPECT_EQ(at(b, 6, 4), pattern(6, 4) & 0xFFFFFF) << "not written back yet";
  SetBB236(bb);
  EXPECT_EQ(at(b, 6, 4), 0xABCDEFu);
  set(b, 0, 0, 0x010203);
  GetBB235(bb);
  EXPECT_EQ(GetBBPixel152(bb, 0, 0), 0x010203u);
  for (int y = 1; y < 5; ++y)
    for (int x = 0; x < 6; ++x)
      ASSERT_EQ(GetBBPixel152(bb, qe_u(x), qe_u(y)), pattern(x, y) & 0xFFFFFF);
}

TEST_F(Bitmaps, BitBufferMixAndBlur) {
  bitbuf* a = CreateBB233(CreateBMP191(4, 4, 0x000000));
  bitbuf* b = CreateBB233(CreateBMP191(4, 4, 0xFEFEFE));
  MixBB237(a, a, b);
  EXPECT_EQ(GetBBPixel152(a, 3, 3), 0x7F7F7Fu);
  BlurBBBox238(a, 2, 2);
  BlurBBGau239(a, 2);
  EXPECT_EQ(GetBBPixel152(a, 1, 2), 0x7F7F7Fu);
  SetBBPixel153(b, 2, 2, 0);
  BlurBBGau239(b, 1);
  EXPECT_LT(GetBBPixel152(b, 2, 1) & 0xFF, 0xFEu);
}

TEST_F(Bitmaps, WindowBitBufferSurvivesAResize) {
  bitbuf* bb = CreateBB233(GetWin72());
  ASSERT_NE(bb, nullptr);
  SetBBPixel153(bb, 150, 120, 0x00FF00);
  ASSERT_TRUE(CreateWin42(100, 100));  // smaller: only the common area is copied
  SetBB236(bb);
  GetBB235(bb);
  EXPECT_EQ(GetBBPixel152(bb, 150, 120), 0x00FF00u);
  CloseWin46();
  SetBB236(bb);  // no window: nothing
  GetBB235(bb);
  ReleaseBB234(bb);
  ASSERT_TRUE(CreateWin42(200, 150));
}

// ---- Released and foreign pointers -----------------------------------------------------

TEST_F(Bitmaps, ReleasedAndForeignPointersAreHarmless) {
  bitmap* b = CreateBMP191(4, 4, 0xFFFFFF);
  bitbuf* bb = CreateBB233(b);
  ReleaseBMP194(b);
  int local = 0;
  bitmap* foreign = reinterpret_cast<bitmap*>(&local);
  for (bitmap* x : {b, foreign, static_cast<bitmap*>(nullptr)}) {
    EXPECT_EQ(CreateBMP190(x), nullptr);
    EXPECT_EQ(CreateBMP189(x, 2, 2, 0), nullptr);
    EXPECT_EQ(CreateBB233(x), nullptr);
    EXPECT_EQ(GetDraw76(x), nullptr);
    EXPECT_EQ(GetHwnd74(x), nullptr);
    EXPECT_FALSE(SaveBMP198(x, scratch("out.bmp").c_str()));
    DrawBMP218(x);
    DrawBMP208(x, x);
    DrawBMP208(GetWin72(), x);
    MixBMP229(x, x, x);
    BlurBMPBox231(x, 1);
    BlurBMPGau232(x, 1);
    ReleaseBMP194(x);
  }
  EXPECT_EQ(local, 0);
  EXPECT_EQ(GetPixel148(0, 0), 0u);
  // The buffer outlives its bitmap but no longer reaches it.
  EXPECT_EQ(GetBBPixel152(bb, 0, 0), 0xFFFFFFu);
  SetBB236(bb);
  GetBB235(bb);
  ReleaseBB234(bb);
  bitbuf* bforeign = reinterpret_cast<bitbuf*>(&local);
  for (bitbuf* x : {bb, bforeign, static_cast<bitbuf*>(nullptr)}) {
    EXPECT_EQ(GetBBPixel152(x, 0, 0), 0u);
    SetBBPixel153(x, 0, 0, 1);
    GetBB235(x);
    SetBB236(x);
    MixBB237(x, x, x);
    BlurBBBox238(x, 1, 1);
    BlurBBGau239(x, 1);
    ReleaseBB234(x);
  }
  EXPECT_EQ(local, 0);
}

TEST_F(Bitmaps, ReleaseAllReleasesEveryBitmap) {
  bitmap* a = CreateBMP192(2, 2);
  bitmap* b = LoadBMP197(put(bmp24()).c_str());
  bitmap* s = GetScr73();
  ASSERT_NE(b, nullptr);
  ReleaseBMP195();
  for (bitmap* x : {a, b, s}) EXPECT_EQ(GetDraw76(x), nullptr);
  EXPECT_NE(GetDraw77(), nullptr) << "the window's picture stays";
  // Many bitmaps made and released: no stale pointer comes back soon.
  std::vector<bitmap*> gone;
  for (int i = 0; i < 200; ++i) {
    bitmap* x = CreateBMP192(1, 1);
    for (bitmap* g : gone) ASSERT_NE(x, g);
    gone.push_back(x);
    ReleaseBMP194(x);
  }
}

}  // namespace
