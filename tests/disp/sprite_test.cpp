// Sprites, see-through colours and blend modes on the headless canvas: the exact transforms
// pixel for pixel, drawsprite against drawbmp, smoothed edges by the antialiasing switch,
// each blend mode and alpha colours on known pixels, the arguments refused, and JPEG files
// whole and damaged.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// jpeglib.h wants FILE and size_t declared before it.
#include <jpeglib.h>

#include "platform/disp/disp.h"

namespace {

// A 3 x 2 source whose every pixel has a colour of its own: (i, j) is 0x10 * (i + 1) red,
// 0x10 * (j + 1) green and 0x55 blue, so a pixel drawn anywhere tells where it came from.
unsigned long texel(long i, long j) {
  return 0x10UL * (i + 1) << 16 | 0x10UL * (j + 1) << 8 | 0x55;
}
constexpr long sw = 3, sh = 2;
constexpr unsigned long bg = 0x000000;

class Sprites : public ::testing::Test {
 protected:
  bitmap* src = nullptr;
  static void SetUpTestSuite() { setenv("DISP_HEADLESS", "1", 1); }
  void SetUp() override {
    ASSERT_TRUE(CreateWin42(64, 48));
    src = CreateBMP191(sw, sh, 0);
    for (long j = 0; j < sh; ++j)
      for (long i = 0; i < sw; ++i) SetPixel149(src, qe_u(i), qe_u(j), texel(i, j));
    GetError38();
  }
  void TearDown() override {
    ReleaseBMP195();
    CloseWin46();
  }
};

// The exact cases: source pixel (i, j) lands as the n x n box with its top-left at
// (x0 + xi * i + xj * j, y0 + yi * i + yj * j); everything else stays background.
struct exactcase {
  char const* name;
  disp_sprite how;
  long x0, xi, xj, y0, yi, yj, n;
};

TEST_F(Sprites, ExactTransformsPlacePixelsWherePixelArtExpectsThem) {
  using s = disp_sprite;
  exactcase const cases[] = {
      {"plain at (10, 5)", s{.x = 10, .y = 5}, 10, 1, 0, 5, 0, 1, 1},
      {"a whole turn is no turn", s{.x = 10, .y = 5, .degrees = 360}, 10, 1, 0, 5, 0, 1, 1},
      // Clockwise about the origin (0, 0), which lands at (20, 10): x goes down, y left.
      {"90 degrees", s{.x = 20, .y = 10, .degrees = 90}, 19, 0, -1, 10, 1, 0, 1},
      {"-270 degrees is 90", s{.x = 20, .y = 10, .degrees = -270}, 19, 0, -1, 10, 1, 0, 1},
      {"180 degrees about the centre",
       s{.x = 20, .y = 10, .degrees = 180, .originx = 1.5, .originy = 1}, 21, -1, 0, 10, 0, -1, 1},
      {"flipx in place", s{.x = 10, .y = 5, .flipx = true}, 12, -1, 0, 5, 0, 1, 1},
      {"flipy in place", s{.x = 10, .y = 5, .flipy = true}, 10, 1, 0, 6, 0, -1, 1},
      {"scale 2", s{.x = 10, .y = 5, .scalex = 2, .scaley = 2}, 10, 2, 0, 5, 0, 2, 2},
      {"scale 2 about the centre",
       s{.x = 20, .y = 20, .scalex = 2, .scaley = 2, .originx = 1.5, .originy = 1}, 17, 2, 0, 18, 0,
       2, 2},
      {"90 degrees, scale 2, flipx",
       s{.x = 20, .y = 10, .degrees = 90, .scalex = 2, .scaley = 2, .flipx = true}, 18, 0, -2, 14,
       -2, 0, 2},
  };
  bitmap* win = GetWin72();
  for (exactcase const& c : cases) {
    Clear163(bg);
    disp_drawsprite(win, src, &c.how);
    EXPECT_EQ(GetError38(), 0u) << c.name;
    std::vector<unsigned long> want(64 * 48, bg);
    for (long j = 0; j < sh; ++j)
      for (long i = 0; i < sw; ++i) {
        long const x = c.x0 + c.xi * i + c.xj * j, y = c.y0 + c.yi * i + c.yj * j;
        for (long dy = 0; dy < c.n; ++dy)
          for (long dx = 0; dx < c.n; ++dx) want[size_t((y + dy) * 64 + x + dx)] = texel(i, j);
      }
    int wrong = 0;
    for (long y = 0; y < 48; ++y)
      for (long x = 0; x < 64; ++x)
        if (GetPixel148(qe_u(x), qe_u(y)) != want[size_t(y * 64 + x)] && ++wrong <= 3)
          ADD_FAILURE() << c.name << ": at " << x << "," << y << " got " << std::hex
                        << GetPixel148(qe_u(x), qe_u(y)) << " want " << want[size_t(y * 64 + x)];
  }
}

// Unturned and unscaled, drawsprite is drawbmp: a part of a sprite with alpha, partly off
// the picture, gives the same pixels on the window and on a bitmap.
TEST_F(Sprites, PlainSpriteGivesDrawbmpsPixels) {
  bitmap* a = disp_createbmpalpha(8, 8);
  Circle185(a, 4, 4, 3, 0x80FF00, 0x2040FF);  // antialiased: edges of every alpha
  bitmap* one = CreateBMP191(64, 48, 0x303030);
  bitmap* two = CreateBMP191(64, 48, 0x303030);
  for (long dx : {5L, -3L, 60L}) {
    DrawBMP200(one, a, qe_u(dx), 7, 0, 0, 1, 2, 6, 5);
    disp_sprite how = {.x = double(dx) + 2,
                       .y = 9,
                       .scalex = 1,
                       .originx = 2,
                       .originy = 2,
                       .sx = 1,
                       .sy = 2,
                       .sw = 6,
                       .sh = 5};
    disp_drawsprite(two, a, &how);
  }
  for (long y = 0; y < 48; ++y)
    for (long x = 0; x < 64; ++x)
      ASSERT_EQ(GetPixel147(one, qe_u(x), qe_u(y)), GetPixel147(two, qe_u(x), qe_u(y)))
          << x << "," << y;
}

// A turned part of a bitmap, smoothed, draws as a bitmap with alpha holding only that part:
// texels around it never bleed into its soft edges, whether the part is copied (drawn
// about its own size, or without alpha) or read where it lies (drawn much smaller).
TEST_F(Sprites, TurnedPartDrawsAsThatPartAlone) {
  struct partcase {
    char const* name;
    bool alpha;
    double scale;
  };
  partcase const cases[] = {
      {"opaque", false, 1.0},
      {"opaque, small", false, 0.3},
      {"alpha", true, 1.0},
      {"alpha, small", true, 0.3},
  };
  // A part bigger than 64 x 64 texels: drawn small, it is read where it lies.
  constexpr long pw = 72, ph = 60, px = 9, py = 7, bw = pw + 20, bh = ph + 16, tw = 160, th = 120;
  for (partcase const& c : cases) {
    bitmap* big = c.alpha ? disp_createbmpalpha(bw, bh) : CreateBMP191(bw, bh, 0);
    bitmap* alone = disp_createbmpalpha(pw, ph);
    disp_setbmpcoloralpha(big, true);
    disp_setbmpcoloralpha(alone, true);
    // The surroundings, opaque magenta.
    Bar157(big, 0, 0, bw, py, 1, 0xFFFF00FF);
    Bar157(big, 0, py + ph, bw, bh - py - ph, 1, 0xFFFF00FF);
    Bar157(big, 0, py, px, ph, 1, 0xFFFF00FF);
    Bar157(big, px + pw, py, bw - px - pw, ph, 1, 0xFFFF00FF);
    for (long j = 0; j < ph; ++j)
      for (long i = 0; i < pw; ++i) {
        unsigned long const a = c.alpha ? 0x40 + 0x30 * ((i + j) % 6) : 0xFF;
        unsigned long const colour = a << 24 | texel(i % 3, j % 2);
        Bar157(big, qe_u(i + px), qe_u(j + py), 1, 1, 1, colour);
        Bar157(alone, qe_u(i), qe_u(j), 1, 1, 1, colour);
      }
    bitmap* one = CreateBMP191(tw, th, 0x303030);
    bitmap* two = CreateBMP191(tw, th, 0x303030);
    disp_sprite how = {.x = tw / 2,
                       .y = th / 2,
                       .degrees = 30,
                       .scalex = c.scale,
                       .scaley = c.scale,
                       .originx = pw / 2,
                       .originy = ph / 2};
    disp_drawsprite(one, alone, &how);
    how.sx = px, how.sy = py, how.sw = pw, how.sh = ph;
    disp_drawsprite(two, big, &how);
    int wrong = 0, inked = 0;
    for (long y = 0; y < th; ++y)
      for (long x = 0; x < tw; ++x) {
        unsigned long const want = GetPixel147(one, qe_u(x), qe_u(y));
        inked += want != 0x303030;
        if (GetPixel147(two, qe_u(x), qe_u(y)) != want && ++wrong <= 3)
          ADD_FAILURE() << c.name << ": at " << x << "," << y << " got " << std::hex
                        << GetPixel147(two, qe_u(x), qe_u(y)) << " want " << want;
      }
    EXPECT_GT(inked, c.scale < 1 ? 300 : 4000) << c.name;
  }
}

// Any other turn: smoothed edges with antialiasing on, only the sprite's own colour and the
// background with it off; the middle is the sprite's colour either way.
TEST_F(Sprites, TurnedEdgesFollowTheAntialiasSwitch) {
  bitmap* square = CreateBMP191(16, 16, 0xFF0000);
  for (bool aa : {true, false}) {
    disp_setantialias(aa);
    Clear163(0);
    disp_sprite how = {.x = 32, .y = 24, .degrees = 45, .originx = 8, .originy = 8};
    disp_drawspriteonwin(square, &how);
    int blends = 0, reds = 0;
    for (long y = 0; y < 48; ++y)
      for (long x = 0; x < 64; ++x) {
        unsigned long const p = GetPixel148(qe_u(x), qe_u(y));
        reds += p == 0xFF0000;
        blends += p != 0 && p != 0xFF0000;
      }
    EXPECT_EQ(GetPixel148(32, 24), 0xFF0000u);
    // A 16 x 16 square turned 45 degrees covers about 256 pixels, reaching 11 from the middle.
    EXPECT_NEAR(reds + blends * 0.5, 256, 24) << "aa " << aa;
    EXPECT_EQ(GetPixel148(32, 24 - 10) != 0, true) << "a corner points up";
    EXPECT_EQ(GetPixel148(32 - 9, 24 - 9), 0u) << "the old corner is empty";
    if (aa)
      EXPECT_GT(blends, 20);
    else
      EXPECT_EQ(blends, 0);
  }
  disp_setantialias(true);
}

// Each blend mode, on known pixels, by every way of drawing: a filled bar, an unscaled
// drawbmp (pixman), a scaled one and a quarter-turned sprite (the library's own loops).
TEST_F(Sprites, BlendModesGiveTheirColoursOnKnownPixels) {
  constexpr unsigned long dest = 0x804020, colour = 0x40A0FF;
  struct blendcase {
    unsigned long mode, want;
  };
  blendcase const cases[] = {
      {DISP_BLEND_NORMAL, 0x40A0FF},
      {DISP_BLEND_ADD, 0xC0E0FF},       // summed, held at 0xFF
      {DISP_BLEND_MULTIPLY, 0x202820},  // 0x80 * 0x40 / 0xFF = 0x20 ...
  };
  bitmap* solid = CreateBMP191(4, 4, colour);
  bitmap* t = CreateBMP191(64, 48, dest);
  for (blendcase const& c : cases) {
    disp_setbmpblend(t, c.mode);
    Clear161(t, dest);  // clear replaces, whatever the mode
    EXPECT_EQ(GetPixel147(t, 1, 1), dest) << c.mode;
    Bar157(t, 0, 0, 4, 4, 1, colour);
    DrawBMP206(t, solid, 10, 0);
    DrawBMP204(t, solid, 20, 0, 8, 8);
    disp_sprite how = {.x = 40, .degrees = 90};
    disp_drawsprite(t, solid, &how);
    for (long x : {1L, 11L, 25L, 38L})
      EXPECT_EQ(GetPixel147(t, qe_u(x), 2), c.want) << "mode " << c.mode << " at x " << x;
    EXPECT_EQ(GetPixel147(t, 50, 20), dest) << "untouched";
  }
  // A half-transparent sprite pixel over dest in each mode, through pixman and the loops.
  bitmap* half = disp_createbmpalpha(2, 2);
  disp_setbmpcoloralpha(half, true);
  Bar157(half, 0, 0, 2, 2, 1, 0x80FF0000);  // red at half alpha: premultiplied 0x80800000
  blendcase const halves[] = {
      {DISP_BLEND_NORMAL, 0xC02010},  // 0x80 + 0x80 * 0x7F / 0xFF ...
      {DISP_BLEND_ADD, 0xFF4020},
      {DISP_BLEND_MULTIPLY, 0x802010},  // 0x80 * 0x80 / 0xFF + 0x80 * 0x7F / 0xFF
  };
  for (blendcase const& c : halves) {
    disp_setbmpblend(t, c.mode);
    Clear161(t, dest);
    DrawBMP206(t, half, 0, 0);
    DrawBMP204(t, half, 4, 0, 4, 4);
    for (long x : {0L, 5L})
      EXPECT_EQ(GetPixel147(t, qe_u(x), 1), c.want) << "mode " << c.mode << " at x " << x;
  }
}

// With the switch on, a colour's top byte is its opacity for shapes, lines and text; off
// (the default), the top byte is ignored as it always was.
TEST_F(Sprites, AlphaColoursSeeThroughOnlyWhenSwitchedOn) {
  struct alphacase {
    bool on;
    unsigned long colour, want;
  };
  alphacase const cases[] = {
      {false, 0x80FF0000, 0xFF0000},                                // off: opaque red, as before
      {false, 0x00FF0000, 0xFF0000}, {true, 0xFFFF0000, 0xFF0000},  // on: 0xFF is opaque
      {true, 0x80FF0000, 0x804040},  // half red over 0x0080 80: 0xFF * 0.5 + 0x80 * 0.5 ...
      {true, 0x00FF0000, 0x008080},  // invisible
  };
  for (alphacase const& c : cases) {
    disp_setcoloralpha(c.on);
    Clear163(0x008080);
    Bar159(2, 2, 10, 10, c.colour);   // a filled bar
    Line155(20, 5, 10, 0, c.colour);  // a line
    disp_setantialias(false);         // the hard-edged way too
    Bar159(40, 2, 10, 10, c.colour);
    disp_setantialias(true);
    for (long x : {5L, 25L, 45L}) {
      unsigned long const got = GetPixel148(qe_u(x), 5);
      for (int sh : {0, 8, 16})
        EXPECT_NEAR(double(got >> sh & 255), double(c.want >> sh & 255), 1.0)
            << std::hex << c.colour << (c.on ? " on" : " off") << std::dec << " at x " << x;
    }
  }
  disp_setcoloralpha(false);
}

// What is refused is told (error 2 and a text); nothing is drawn for it.
TEST_F(Sprites, RefusedArgumentsAreErrorsNotSilence) {
  bitmap* win = GetWin72();
  disp_sprite const ok = {.x = 4, .y = 4};
  struct refused {
    char const* name;
    std::function<void()> call;
  };
  auto with = [&](std::function<void(disp_sprite&)> change) {
    disp_sprite s = ok;
    change(s);
    return [=, this] { disp_drawsprite(win, src, &s); };
  };
  refused const cases[] = {
      {"drawbmp with a negative width", [&] { DrawBMP214(src, 4, 4, qe_u(-3L), 2); }},
      {"drawbmp with a negative height", [&] { DrawBMP214(src, 4, 4, 3, qe_u(-2L)); }},
      {"drawbmp with a negative source width",
       [&] { DrawBMP210(src, 4, 4, 0, 0, 0, 0, qe_u(-2L), 1); }},
      {"a null description", [&] { disp_drawsprite(win, src, nullptr); }},
      {"a NaN angle", with([](disp_sprite& s) { s.degrees = NAN; })},
      {"an infinite x", with([](disp_sprite& s) { s.x = INFINITY; })},
      {"a part outside", with([](disp_sprite& s) { s.sx = 3; })},
      {"a negative part", with([](disp_sprite& s) { s.sw = -1; })},
      {"a huge scale", with([](disp_sprite& s) { s.scalex = 1e6; })},
      {"onto itself", [&] { disp_drawsprite(src, src, &ok); }},
      {"blend mode 3", [&] { disp_setblend(3); }},
  };
  for (refused const& c : cases) {
    Clear163(bg);
    c.call();
    EXPECT_EQ(GetError38(), 2u) << c.name;
    EXPECT_NE(std::string(disp_errortext()), "") << c.name;
    EXPECT_EQ(GetPixel148(4, 4), bg) << c.name;
  }
  disp_drawspriteonwin(src, &ok);  // the description itself was fine
  EXPECT_EQ(GetError38(), 0u);
  EXPECT_EQ(GetPixel148(4, 4), texel(0, 0));
}

}  // namespace

// Far off, tiny or wildly turned sprites are no faults: nothing outside the picture is
// touched, no error is set, and a turn is a turn whatever its size.
TEST_F(Sprites, FarTinyAndWildSpritesAreHarmless) {
  struct oddcase {
    char const* name;
    disp_sprite how;
    bool drawn;
  };
  oddcase const cases[] = {
      {"far right", {.x = 1e15, .y = 5}, false},
      {"far left, turned", {.x = -1e15, .y = 5, .degrees = 33}, false},
      {"far, its origin as far: at 0", {.x = 1e12, .y = 5, .originx = 1e12}, true},
      {"tinier than a pixel's hundredth", {.x = 10, .y = 10, .scalex = 1e-5}, false},
      {"turned 1e300 degrees", {.x = 10, .y = 10, .degrees = 1e300}, true},
      {"huge and turned",
       {.x = 32,
        .y = 24,
        .degrees = 10,
        .scalex = 4000,
        .scaley = 4000,
        .originx = 1.5,
        .originy = 1},
       true},
  };
  for (oddcase const& c : cases) {
    Clear163(bg);
    disp_drawspriteonwin(src, &c.how);
    EXPECT_EQ(GetError38(), 0u) << c.name;
    int inked = 0;
    for (long y = 0; y < 48; ++y)
      for (long x = 0; x < 64; ++x) inked += GetPixel148(qe_u(x), qe_u(y)) != bg;
    EXPECT_EQ(inked > 0, c.drawn) << c.name;
  }
}

namespace {

// A w x h JPEG of a known picture (red rising to the right, green down, blue 0x40), made
// with libjpeg here so no picture file is kept for the test.
std::vector<uint8_t> jpegof(int w, int h) {
  jpeg_compress_struct c;
  jpeg_error_mgr e;
  c.err = jpeg_std_error(&e);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = JDIMENSION(w), c.image_height = JDIMENSION(h);
  c.input_components = 3, c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 95, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<unsigned char> row(size_t(w) * 3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      row[size_t(x) * 3] = (unsigned char)(x * 255 / (w - 1));
      row[size_t(x) * 3 + 1] = (unsigned char)(y * 255 / (h - 1));
      row[size_t(x) * 3 + 2] = 0x40;
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::vector<uint8_t> b(out, out + size);
  free(out);
  return b;
}

std::string putfile(std::vector<uint8_t> const& b, std::string const& name) {
  std::string path = ::testing::TempDir() + "sprite_test." + name;
  FILE* f = fopen(path.c_str(), "wb");
  if (!b.empty()) fwrite(b.data(), 1, b.size(), f);
  fclose(f);
  return path;
}

// Where the start-of-frame segment's height (then width) sits in a JPEG of ours.
size_t sofsize(std::vector<uint8_t> const& b) {
  for (size_t i = 0; i + 9 < b.size(); ++i)
    if (b[i] == 0xFF && b[i + 1] == 0xC0) return i + 5;
  return 0;
}

}  // namespace

TEST_F(Sprites, JpegLoadsAndDamagedJpegsFailAsFileErrors) {
  std::vector<uint8_t> const good = jpegof(40, 30);
  bitmap* p = disp_loadjpeg(putfile(good, "good.jpg").c_str());
  ASSERT_NE(p, nullptr) << disp_errortext();
  EXPECT_EQ(GetError38(), 0u);
  struct probe {
    unsigned long x, y;
  };
  for (probe at : {probe{0, 0}, probe{39, 0}, probe{20, 15}, probe{39, 29}}) {
    unsigned long const got = GetPixel147(p, at.x, at.y);
    unsigned long const want = (at.x * 255 / 39) << 16 | (at.y * 255 / 29) << 8 | 0x40;
    for (int sh : {0, 8, 16})
      EXPECT_NEAR(double(got >> sh & 255), double(want >> sh & 255), 12) << at.x << "," << at.y;
  }
  struct damaged {
    char const* name;
    std::function<void(std::vector<uint8_t>&)> spoil;
  };
  damaged const cases[] = {
      {"cut in half", [](std::vector<uint8_t>& b) { b.resize(b.size() / 2); }},
      {"cut after the header", [&](std::vector<uint8_t>& b) { b.resize(sofsize(good) + 12); }},
      {"a Huffman table of too many codes",
       [](std::vector<uint8_t>& b) {
         for (size_t i = 0; i + 8 < b.size(); ++i)
           if (b[i] == 0xFF && b[i + 1] == 0xC4) {
             b[i + 5] = 0xFF, b[i + 6] = 0xFF;  // 255 codes of length 1 and of length 2
             break;
           }
       }},
      {"20000 pixels wide",
       [](std::vector<uint8_t>& b) {
         b[sofsize(b) + 2] = 20000 >> 8, b[sofsize(b) + 3] = 20000 & 255;
       }},
      {"8192 x 16384, past 64 M pixels",
       [](std::vector<uint8_t>& b) {
         size_t const at = sofsize(b);
         b[at] = 0x40, b[at + 1] = 0, b[at + 2] = 0x20, b[at + 3] = 0;
       }},
      {"no height", [](std::vector<uint8_t>& b) { b[sofsize(b)] = 0, b[sofsize(b) + 1] = 0; }},
      {"a PNG signature", [](std::vector<uint8_t>& b) { b[0] = 0x89, b[1] = 'P', b[2] = 'N'; }},
      {"empty", [](std::vector<uint8_t>& b) { b.clear(); }},
  };
  for (damaged const& c : cases) {
    std::vector<uint8_t> b = good;
    c.spoil(b);
    EXPECT_EQ(disp_loadjpeg(putfile(b, "bad.jpg").c_str()), nullptr) << c.name;
    EXPECT_EQ(GetError38(), 3u) << c.name;
    EXPECT_NE(std::string(disp_errortext()).find("loadjpeg: cannot load"), std::string::npos)
        << c.name << ": " << disp_errortext();
  }
}
