// Fonts and sizes: the width of a size stretches text in every script alike, width 0 keeps
// the face's proportions, a font file is used by the family it holds, the language hint
// picks regional forms, and no size breaks drawing for what follows it.
#include <cairo.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/disp/drawkit.h"

namespace {

using namespace drawkit;

struct sample {
  char const* script;
  char const* text;
};
sample const scripts[] = {
    {"Latin", "Hello quib"},
    {"Hangul", "\xec\x95\x88\xeb\x85\x95\xed\x95\x98\xec\x84\xb8\xec\x9a\x94"},
    {"Arabic",
     "\xd9\x85\xd8\xb1\xd8\xad\xd8\xa8\xd8\xa7 \xd8\xa8\xd8\xa7\xd9\x84\xd8\xb9\xd8\xa7"
     "\xd9\x84\xd9\x85"},
    {"Devanagari",
     "\xe0\xa4\xa8\xe0\xa4\xae\xe0\xa4\xb8\xe0\xa5\x8d\xe0\xa4\xa4\xe0\xa5\x87 "
     "\xe0\xa4\xa6\xe0\xa5\x81\xe0\xa4\xa8\xe0\xa4\xbf\xe0\xa4\xaf\xe0\xa4\xbe"},
};

// The columns of a target that hold ink, left to right, and how far apart the inked runs
// are: text whose glyphs shrank inside unchanged advances leaves wide empty columns.
struct columns {
  long first = -1, last = -1, empty = 0;  // empty columns between first and last
};
columns inkcolumns(bitmap* b, long y0, long y1, long w) {
  columns c;
  for (long x = 0; x < w; ++x) {
    bool ink = inked(b, x, y0, x + 1, y1) > 0;
    if (ink) {
      if (c.first < 0) c.first = x;
      c.last = x;
    }
  }
  for (long x = c.first; x >= 0 && x <= c.last; ++x) c.empty += inked(b, x, y0, x + 1, y1) == 0;
  return c;
}

// At 10 x 40, 20 x 40 and 40 x 40, text in every script is as wide as its advance says, and
// grows with the width as much as plain Latin does: glyphs and their advances are
// stretched alike, on the direct path and the shaped one.
TEST_F(Window, WidthStretchesEveryScriptAlike) {
  unsigned const widths[] = {10, 20, 40};
  for (sample const& s : scripts) {
    long advance[3] = {}, ink[3] = {};
    double gaps[3] = {};
    for (int i = 0; i < 3; ++i) {
      SetFontSize107(widths[i], 40);
      advance[i] = long(GetStringWidth115(s.text));
      offscreen off(1600, 100);
      DrawTextXY119(off.b, s.text, 10, 20, white);
      columns c = inkcolumns(off.b, 0, 100, 1600);
      ink[i] = c.last - c.first + 1;
      gaps[i] = double(c.empty) / double(ink[i]);
    }
    if (ink[1] <= 0) {
      ADD_FAILURE() << s.script << ": nothing drawn";
      continue;
    }
    // The advance grows in proportion to the width (the 1:2 size is drawn as it always was).
    EXPECT_NEAR(double(advance[2]) / double(advance[0]), 4.0, 0.25) << s.script;
    EXPECT_NEAR(double(advance[1]) / double(advance[0]), 2.0, 0.15) << s.script;
    for (int i = 0; i < 3; ++i) {
      // The ink spans its advance: neither spread out with gaps nor piled up past its end.
      double fill = double(ink[i]) / double(advance[i]);
      EXPECT_GT(fill, 0.8) << s.script << " at " << widths[i] << " x 40";
      EXPECT_LT(fill, 1.1) << s.script << " at " << widths[i] << " x 40";
      // The share of empty columns inside the text stays what it is at 1:2.
      EXPECT_NEAR(gaps[i], gaps[1], 0.08) << s.script << " at " << widths[i] << " x 40";
    }
  }
  // Latin drawn on the shaped path (with a Hangul letter after it) advances as on the
  // direct one, within the face's own difference at 1:2.
  for (unsigned w : widths) {
    SetFontSize107(w, 40);
    double plain = double(GetStringWidth115("Hello quib"));
    double hangul = double(GetStringWidth115("\xec\x95\x88"));
    double shaped = double(GetStringWidth115("Hello quib\xec\x95\x88")) - hangul;
    EXPECT_NEAR(shaped / plain, 1.0, 0.05) << w << " x 40";
  }
}

// Width 0 is the face's own proportions: as wide at 40 high as twice at 20 high, and wider
// than the one-pixel width setfontwidth(0) keeps.
TEST_F(Window, WidthZeroKeepsTheFacesProportions) {
  SetFontSize107(0, 20);
  long const at20 = long(GetStringWidth115("0000000000"));
  SetFontSize107(0, 40);
  long const at40 = long(GetStringWidth115("0000000000"));
  EXPECT_GT(at20, 50);
  EXPECT_NEAR(double(at40), 2.0 * double(at20), 2);
  DrawTextXY121("0", 100, 100, white);
  box b = inkbox(GetWin72(), white, 0, 0, 800, 600);
  EXPECT_GT(b.x1 - b.x0, 8);  // a glyph, not a hairline
}

// A copy of an installed face under a family name no system has, made by rewriting the
// name in the file's name table (same length; FreeType does not check the checksums).
std::string renamedfont(std::filesystem::path const& dir) {
  std::ifstream in("/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf", std::ios::binary);
  if (!in) return "";
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto swap = [&](std::string const& from, std::string const& to) {
    for (size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at))
      bytes.replace(at, from.size(), to);
  };
  auto wide = [](std::string const& s) {
    std::string w;
    for (char c : s) w += std::string(1, '\0') + c;
    return w;
  };
  swap("DejaVu Serif", "Quibtest Ser");
  swap(wide("DejaVu Serif"), wide("Quibtest Ser"));
  std::string path = (dir / "quibtest.ttf").string();
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

// A font file is used by the family name it holds; a family that is neither installed nor
// loaded is told, naming it, and text still shows; a file that holds no font is told too.
TEST_F(Window, FontFileIsUsedByItsFamilyName) {
  auto dir = std::filesystem::temp_directory_path() / ("quib-fonts-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::string const path = renamedfont(dir);
  if (path.empty()) GTEST_SKIP() << "fonts-dejavu-core is not installed";
  std::string const notafont = (dir / "notafont.ttf").string();
  std::ofstream(notafont) << "plain text";

  SetFontSize107(20, 40);
  DrawTextXY121("Ag", 0, 0, white);
  long const mono = inked(GetWin72(), 0, 0, 200, 60);
  GetError38();
  SetFontName113("Quibtest Ser");
  EXPECT_EQ(GetError38(), 3u);
  EXPECT_NE(std::string(disp_errortext()).find("\"Quibtest Ser\""), std::string::npos)
      << disp_errortext();
  struct {
    char const* path;
    unsigned long code;
    char const* family;
  } const files[] = {
      {path.c_str(), 0, "Quibtest Ser"},
      {"/no/such/font.ttf", 3, ""},
      {notafont.c_str(), 3, ""},
      {nullptr, 2, ""},
  };
  for (auto const& f : files) {
    GetError38();
    EXPECT_STREQ(disp_loadfont(f.path), f.family) << (f.path ? f.path : "null");
    EXPECT_EQ(GetError38(), f.code) << (f.path ? f.path : "null");
  }
  SetFontName113("Quibtest Ser");
  EXPECT_EQ(GetError38(), 0u);
  Clear164();
  DrawTextXY121("Ag", 0, 0, white);
  long const serif = inked(GetWin72(), 0, 0, 200, 60);
  EXPECT_GT(serif, 0);
  EXPECT_NE(serif, mono);  // another face
  std::filesystem::remove_all(dir);
}

// The language hint picks a region's forms: the ideographic full stop sits in the corner
// in mainland Chinese and in the middle in Taiwan's. A tag with other characters
// than letters, digits, '-' and '_' is refused.
TEST_F(Window, LanguageHintPicksRegionalForms) {
  SetFontSize107(40, 80);
  auto dot = [](char const* tag) {
    disp_setfontlanguage(tag);
    offscreen off(100, 100);
    DrawTextXY119(off.b, "\xe3\x80\x82", 0, 0, white);
    return inkbox(off.b, white, 0, 0, 100, 100);
  };
  box hans = dot("zh-CN"), hant = dot("zh-TW");
  if (hans.x1 < 0) GTEST_SKIP() << "no Han font installed (fonts-noto-cjk)";
  EXPECT_GT(std::abs((hans.x0 + hans.x1) - (hant.x0 + hant.x1)) / 2, 5)
      << "the full stop did not move";
  GetError38();
  disp_setfontlanguage("zh Hans!");
  EXPECT_EQ(GetError38(), 2u);
  disp_setfontlanguage(nullptr);
  EXPECT_EQ(GetError38(), 0u);
}

// No size the contract accepts leaves the window unable to draw: each big size draws its
// text (emoji and all) with no failure, and the shapes drawn after it show.
TEST_F(Window, EverySizeDrawsAndDrawingGoesOn) {
  struct {
    unsigned long w, h;
  } const sizes[] = {{4096, 1},   {1000, 40},   {2000, 40},   {4096, 40},
                     {4096, 400}, {1000, 4096}, {4096, 4096}, {1, 4096}};
  char const* const line = "e Hi \xf0\x9f\x99\x82 \xec\x95\x88 \xe0\xa4\xa8\xe0\xa4\xae";
  for (auto const& s : sizes) {
    Clear164();
    GetError38();
    SetFontSize107(s.w, s.h);
    long const top = 400 - long(s.h) * 3 / 4;  // the baseline near y = 400
    DrawTextXY121(line, -10, top, white);
    DrawTextXYw136(line, 0, 0, white);
    EXPECT_EQ(GetError38(), 0u) << s.w << " x " << s.h << ": " << disp_errortext();
    EXPECT_GT(inked(GetWin72(), 0, 0, 800, 600), 0) << s.w << " x " << s.h;
    Circle187(700, 500, 10, red);
    EXPECT_EQ(px(GetWin72(), 700, 500), red) << s.w << " x " << s.h;
  }
}

// A context that went into an error state (here by a caller's unbalanced restore on the
// context getdraw hands out) is told as the text entry's failure, and drawing goes on.
TEST_F(Window, BrokenContextIsToldAndMadeAnew) {
  for (bitmap* t : {GetWin72(), static_cast<bitmap*>(nullptr)}) {
    offscreen off(200, 100);
    bitmap* b = t ? t : off.b;
    cairo_restore(static_cast<cairo_t*>(GetDraw76(b)));
    GetError38();
    DrawTextXY119(b, "ok", 10, 10, white);
    EXPECT_EQ(GetError38(), 5u);
    EXPECT_NE(std::string(disp_errortext()).find("drawtextxy: drawing failed"), std::string::npos)
        << disp_errortext();
    DrawTextXY119(b, "ok", 10, 10, green);
    EXPECT_EQ(GetError38(), 0u);
    EXPECT_GT(inkbox(b, green, 0, 0, 200, 100).x1, 0);
  }
}

// cairo keeps a surface's error for good once a draw on it failed (here caused on purpose),
// but its pixels are still read: the window's picture survives a resize, and a bitmap
// becomes the icon. Under ASan, a pattern cairo makes for an erring surface and never frees
// shows as a leak.
TEST_F(Window, PixelsOfAnErringSurfaceAreStillRead) {
  auto spoil = [](bitmap* b) {
    cairo_surface_t* s = cairo_get_target(static_cast<cairo_t*>(GetDraw76(b)));
    cairo_surface_set_fallback_resolution(s, 0, 0);
    ASSERT_NE(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
  };
  Circle187(50, 50, 10, red);
  spoil(GetWin72());
  GetError38();
  SetSize55(820, 620);
  EXPECT_EQ(GetError38(), 0u) << disp_errortext();
  EXPECT_EQ(px(GetWin72(), 50, 50), red);
  Circle187(100, 100, 10, green);
  EXPECT_EQ(px(GetWin72(), 100, 100), green);
  offscreen small(40, 30);
  spoil(small.b);
  disp_seticon(small.b);
  EXPECT_EQ(GetError38(), 0u) << disp_errortext();
}

// Null text is a failure of the entry; the line-feed form takes none and is no failure.
TEST_F(Window, NullTextFails) {
  GetError38();
  DrawTextXY121(nullptr, 10, 10, white);
  EXPECT_EQ(GetError38(), 2u);
  EXPECT_STREQ(disp_errortext(), "drawtextxy: the text is null");
  DrawTextXY117(GetWin72(), nullptr, 10, 10, white, 1, 0, 0);
  EXPECT_EQ(GetError38(), 2u);
  DrawTextln132();
  EXPECT_EQ(GetError38(), 0u);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("DISP_HEADLESS", "1", 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
