// The canvas shown at another output size, headless: DISP_SIZE renders the same logical
// picture at the output's own resolution (crisp, not an enlarged bitmap), letterboxed in the
// background colour, while every entry keeps answering in logical pixels. Each case runs
// this program again as a child, as the environment is read once per process.
#include <cairo.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/disp/disp.h"
#include "tests/disp/child.h"

namespace {

constexpr unsigned bg = 0x102030, ball = 0xFFFFFF, loop = 0xFF0000;

// ---- Scenarios: what the child runs ---------------------------------------------------

// A frame like the game's: a loop drawn with a 2-pixel pen, the ball, a digit.
void drawscene() {
  SetBGColor79(bg);
  Clear164();
  SetPenWidth82(2);
  Circle186(400, 300, 150, loop, 1);
  Circle187(250, 200, 20, ball);
  DrawTextXY121("7", 390, 290, 0x00FF00);
}

int scene() {
  if (!CreateWin42(800, 600)) return 1;
  drawscene();
  FreshWin45();
  printf("%lu %lu\n", GetWidth56(), GetHeight57());
  return 0;
}

// Every check prints its name when it fails; the parent expects none.
int logical() {
  if (!CreateWin42(800, 600)) return 1;
  int bad = 0;
  auto check = [&](bool ok, char const* what) { bad += ok ? 0 : printf("%s\n", what) > 0; };
  auto px = [](unsigned x, unsigned y) { return GetPixel148(x, y); };
  drawscene();
  check(GetWidth56() == 800 && GetHeight57() == 600, "size");
  check(px(250, 200) == ball && px(250, 250) == bg, "ball");
  check(px(800, 0) == 0 && px(0, 600) == 0, "outside");
  // Every pixel of a block written one by one reads back, whatever the scale's rounding.
  auto colour = [](unsigned x, unsigned y) { return (x * 0x010203 + y * 0x030100) & 0xFFFFFF; };
  for (unsigned y = 500; y < 530; ++y)
    for (unsigned x = 10; x < 40; ++x) SetPixel150(x, y, colour(x, y));
  int wrong = 0;
  for (unsigned y = 500; y < 530; ++y)
    for (unsigned x = 10; x < 40; ++x) wrong += px(x, y) != colour(x, y);
  check(wrong == 0, "set and get pixel");
  SetPixel150(799, 599, 0x123456);
  check(px(799, 599) == 0x123456, "last pixel");
  // Copies of the window are logical, and so are bitmaps drawn on it and bit buffers.
  bitmap* copy = CreateBMP193();
  check(GetPixel147(copy, 250, 200) == ball && GetPixel147(copy, 799, 599) == 0x123456, "copy");
  DrawBMP216(CreateBMP191(10, 10, 0x00FF00), 100, 100);
  check(px(100, 100) == 0x00FF00 && px(109, 109) == 0x00FF00, "drawn bitmap");
  check(px(99, 100) == bg && px(110, 109) == bg && px(250, 200) == ball, "beside the bitmap");
  bitbuf* bb = CreateBB233(GetWin72());
  check(GetBBPixel152(bb, 250, 200) == ball, "bit buffer");
  SetBBPixel153(bb, 600, 100, 0x0000FF);
  SetBB236(bb);
  check(px(600, 100) == 0x0000FF && px(250, 200) == ball, "bit buffer written back");
  FreshWin45();  // the shot the parent looks at
  BlurBMPBox231(GetWin72(), 2);
  check(px(700, 500) == bg, "blurred background");
  ReleaseBB234(bb);
  ReleaseBMP195();
  return bad;
}

// Full screen headless: a fixed canvas is shown on the 1920 x 1080 screen; a resizable one
// takes the screen's size and gets its own back.
int fullscreen() {
  if (!CreateWin42(800, 600)) return 1;
  printf("%d", int(disp_isfullscreen()));
  drawscene();
  FreshWin45();
  disp_setfullscreen(false);
  printf(" %d %lu", int(disp_isfullscreen()), GetWidth56());
  Delay28(100);
  FreshWin45();
  if (!CreateWin41(640, 480, 1)) return 1;
  disp_setfullscreen(true);
  printf(" %d %lux%lu", int(disp_isfullscreen()), GetWidth56(), GetHeight57());
  disp_setfullscreen(false);
  printf(" %d %lux%lu\n", int(disp_isfullscreen()), GetWidth56(), GetHeight57());
  return 0;
}

std::map<std::string, std::function<int()>> const scenarios = {
    {"scene", scene}, {"logical", logical}, {"fullscreen", fullscreen}};

// ---- The parent's side ------------------------------------------------------------------

// A PNG's pixels, 0x00RRGGBB.
struct image {
  int w = 0, h = 0;
  std::vector<uint32_t> px;
  uint32_t at(int x, int y) const { return px[size_t(y) * size_t(w) + size_t(x)] & 0xFFFFFF; }
};

// A PNG file's pixels, enlarged `factor` times the way a bitmap is enlarged: bilinear
// filtering, as a compositor would.
image loadpng(std::string const& path, int factor = 1) {
  cairo_surface_t* src = cairo_image_surface_create_from_png(path.c_str());
  image im;
  im.w = cairo_image_surface_get_width(src) * factor;
  im.h = cairo_image_surface_get_height(src) * factor;
  cairo_surface_t* dst = cairo_image_surface_create(CAIRO_FORMAT_RGB24, im.w, im.h);
  cairo_t* cr = cairo_create(dst);
  cairo_scale(cr, factor, factor);
  cairo_set_source_surface(cr, src, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(dst);
  for (int y = 0; y < im.h; ++y) {
    auto const* row = reinterpret_cast<uint32_t const*>(cairo_image_surface_get_data(dst) +
                                                        y * cairo_image_surface_get_stride(dst));
    im.px.insert(im.px.end(), row, row + im.w);
  }
  cairo_surface_destroy(dst);
  cairo_surface_destroy(src);
  return im;
}

// The ball's pixels inside a box (device pixels): wholly covered, and partly covered (its
// antialiased rim), judged by the blue channel, which the loop and the text lack.
struct coverage {
  int full = 0, partial = 0;
};
coverage ballcover(image const& im, int x0, int y0, int x1, int y1) {
  coverage c;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      double const f = (double(im.at(x, y) & 0xFF) - 0x30) / (0xFF - 0x30);
      if (f > 0.98)
        ++c.full;
      else if (f > 0.02)
        ++c.partial;
    }
  return c;
}

// The loop's outline crossing a row: the run of pixels that are mostly red.
int outlinewidth(image const& im, int y, int x0, int x1) {
  int n = 0;
  for (int x = x0; x < x1; ++x) n += ((im.at(x, y) >> 16) & 0xFF) > 0x88;
  return n;
}

// The library's own lines on stderr (a sanitizer build adds its summaries there).
std::vector<std::string> displines(child::result const& r) {
  std::vector<std::string> v;
  for (std::string const& l : r.errlines())
    if (l.rfind("disp: ", 0) == 0) v.push_back(l);
  return v;
}

class Scale : public ::testing::Test {
 protected:
  std::string dir;
  void SetUp() override {
    char tmpl[] = "/tmp/disp_scale.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
  }
  void TearDown() override {
    std::string cmd = "rm -rf '" + dir + "'";
    EXPECT_EQ(system(cmd.c_str()), 0);
  }
  // Runs a scenario headless on the virtual clock with `env` added and one frame written to
  // `shot` (in the scratch folder) at the first FreshWin45.
  child::result run(char const* scenario, std::vector<std::string> env, std::string shot) {
    env.push_back("DISP_HEADLESS=1");
    env.push_back("DISP_CLOCK=virtual");
    env.push_back("DISP_SHOT=0:" + dir + "/" + shot);
    return child::run(scenario, child::environment({"DISP_", "SDL_"}, env), dir);
  }
  image shot(std::string const& name) { return loadpng(dir + "/" + name); }
};

// Twice the output size: the ball covers four times the pixels, but its antialiased rim
// only doubles (it is a line, drawn sharp at the new resolution), where an enlarged 800 x
// 600 bitmap would have a rim four times as big and blurred. The 2-pixel outline is 4.
TEST_F(Scale, DoubleSizeIsDrawnCrispNotEnlarged) {
  auto r1 = run("scene", {}, "1x.png");
  auto r2 = run("scene", {"DISP_SIZE=1600x1200"}, "2x.png");
  ASSERT_EQ(r1.status, 0) << r1.err;
  ASSERT_EQ(r2.status, 0) << r2.err;
  EXPECT_EQ(r2.out, "800 600\n");  // the program still sees its own canvas
  EXPECT_TRUE(displines(r2).empty()) << r2.err;
  image const a = shot("1x.png"), b = shot("2x.png"), blurred = loadpng(dir + "/1x.png", 2);
  ASSERT_EQ(a.w, 800);
  ASSERT_EQ(b.w, 1600);
  ASSERT_EQ(b.h, 1200);
  coverage const c1 = ballcover(a, 220, 170, 280, 230), c2 = ballcover(b, 440, 340, 560, 460),
                 cb = ballcover(blurred, 440, 340, 560, 460);
  ASSERT_GT(c1.full, 1000);
  ASSERT_GT(c1.partial, 50);
  double const area = double(c2.full + c2.partial) / (c1.full + c1.partial);
  EXPECT_NEAR(area, 4.0, 0.3);
  double const rim = double(c2.partial) / c1.partial;
  EXPECT_GT(rim, 1.5);
  EXPECT_LT(rim, 2.7) << "the rim grew like an enlarged bitmap's";
  EXPECT_GT(double(cb.partial) / c1.partial, 3.0) << "the blurred reference is not blurred";
  // The loop's left side crosses the centre row at x = 250 (500 at 2x).
  EXPECT_EQ(outlinewidth(a, 300, 240, 260), 2);
  EXPECT_EQ(outlinewidth(b, 601, 480, 520), 4);
}

// An output of another shape: the canvas is centred at its largest whole fit, and the rest
// is the background colour; at scale 1 the picture is the default frame exactly.
TEST_F(Scale, OtherShapesGetBarsInTheBackgroundColour) {
  ASSERT_EQ(run("scene", {}, "plain.png").status, 0);
  auto wide = run("scene", {"DISP_SIZE=1000x600"}, "wide.png");
  auto tall = run("scene", {"DISP_SIZE=800x700"}, "tall.png");
  ASSERT_EQ(wide.status, 0) << wide.err;
  ASSERT_EQ(tall.status, 0) << tall.err;
  image const p = shot("plain.png"), w = shot("wide.png"), t = shot("tall.png");
  ASSERT_EQ(w.w, 1000);
  ASSERT_EQ(w.h, 600);
  ASSERT_EQ(t.h, 700);
  int barpixels = 0, wrong = 0;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 1000; ++x) {
      bool const bar = x < 100 || x >= 900;
      barpixels += bar;
      wrong += bar ? w.at(x, y) != bg : w.at(x, y) != p.at(x - 100, y);
    }
  EXPECT_EQ(barpixels, 200 * 600);
  EXPECT_EQ(wrong, 0) << "bars not in the background colour, or the picture changed";
  wrong = 0;
  for (int y = 0; y < 700; ++y)
    for (int x = 0; x < 800; ++x)
      wrong += y < 50 || y >= 650 ? t.at(x, y) != bg : t.at(x, y) != p.at(x, y - 50);
  EXPECT_EQ(wrong, 0);
}

// getpixel, setpixel, copies, bitmaps drawn on the window and bit buffers all work in the
// program's 800 x 600 pixels at scales up, down and not whole.
TEST_F(Scale, EntriesAnswerInLogicalPixels) {
  for (char const* size : {"1600x1200", "1280x720", "400x300", "1000x601"}) {
    SCOPED_TRACE(size);
    auto r = run("logical", {std::string("DISP_SIZE=") + size}, "logical.png");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(displines(r).empty()) << r.err;
  }
  // At 2x a written pixel fills its whole 2 x 2 block, and the bitmap its 20 x 20.
  auto r = run("logical", {"DISP_SIZE=1600x1200"}, "2x.png");
  ASSERT_EQ(r.status, 0) << r.out;
  image const b = shot("2x.png");
  for (int y = 200; y < 220; ++y)
    for (int x = 200; x < 220; ++x) ASSERT_EQ(b.at(x, y), 0x00FF00u) << x << "," << y;
  EXPECT_EQ(b.at(199, 205), bg);
  EXPECT_EQ(b.at(1598, 1198), 0x123456u);
  EXPECT_EQ(b.at(1599, 1199), 0x123456u);
  EXPECT_EQ(b.at(1200, 200), 0x0000FFu);
  EXPECT_EQ(b.at(1201, 201), 0x0000FFu);
}

TEST_F(Scale, BadSizesWarnOnceAndKeepTheDefault) {
  for (char const* v : {"abc", "0x600", "800x", "800x600x2", "99999x10", "-800x600", "800 600"}) {
    SCOPED_TRACE(v);
    auto r = run("scene", {std::string("DISP_SIZE=") + v}, "bad.png");
    ASSERT_EQ(r.status, 0);
    auto lines = displines(r);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("DISP_SIZE"), std::string::npos);
    EXPECT_EQ(shot("bad.png").w, 800);
  }
}

TEST_F(Scale, FullScreenHeadless) {
  auto r = run("fullscreen", {"DISP_FULLSCREEN=1"}, "full.png");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "1 0 800 1 1920x1080 0 640x480\n");
  image const f = shot("full.png");
  EXPECT_EQ(f.w, 1920);
  EXPECT_EQ(f.h, 1080);
  EXPECT_EQ(f.at(100, 540), bg);  // a bar: 1440 x 1080 centred
  EXPECT_EQ(f.at(240 + 450, 360), ball);
  auto off = run("fullscreen", {}, "window.png");
  EXPECT_EQ(off.out, "0 0 800 1 1920x1080 0 640x480\n");
  EXPECT_EQ(shot("window.png").w, 800);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "--scenario") == 0) {
    auto it = scenarios.find(argv[2]);
    return it == scenarios.end() ? 0 : it->second();
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
