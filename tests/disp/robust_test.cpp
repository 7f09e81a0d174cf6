// Faults of the window entries that only show over time or after a wrong call: a refused
// size must not cost the window already open, and frame counting must not grow while the
// virtual clock stands still. Headless, on the virtual clock.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdint>
#include <cstdlib>

#include "platform/disp/disp.h"

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime, which takes over malloc (GCC installs no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

// Bytes the process holds on the heap now.
size_t heapbytes() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

TEST(Robust, EveryCreateWinFormWithARefusedSizeLeavesTheOpenWindowAlone) {
  struct {
    char const* form;
    bool (*call)();
  } const refused[] = {
      {"CreateWin39(0, 600, ...)", [] { return CreateWin39(0, 600, 0, 0, 0); }},
      {"CreateWin41(16385, 600, 1)", [] { return CreateWin41(16385, 600, 1); }},
      {"CreateWin42(0, 0)", [] { return CreateWin42(0, 0); }},
      {"CreateWin43(100000)", [] { return CreateWin43(100000); }},
  };
  ASSERT_TRUE(CreateWin42(800, 600));
  SetTitle51("kept");
  Circle187(400, 300, 10, 0x00FF00);
  for (auto const& r : refused) {
    GetError38();
    EXPECT_FALSE(r.call()) << r.form;
    EXPECT_EQ(GetError38(), 2u) << r.form;
    EXPECT_TRUE(IsWin47()) << r.form << " closed the open window";
    EXPECT_EQ(GetWidth56(), 800u) << r.form;
    EXPECT_EQ(GetHeight57(), 600u) << r.form;
    EXPECT_EQ(GetPixel148(400, 300) & 0xFFFFFF, 0x00FF00u) << r.form << " lost the picture";
  }
  // A valid size still replaces the window.
  EXPECT_TRUE(CreateWin42(320, 200));
  EXPECT_EQ(GetWidth56(), 320u);
  CloseWin46();
}

// Under the virtual clock a program that never calls Delay28 shows every frame at one
// instant; all of them are "the last second", and counting them must not cost memory.
TEST(Robust, FrameCountsStayBoundedWhileTheClockStandsStill) {
  ASSERT_TRUE(CreateWin42(8, 6));
  FreshFPS33();
  constexpr unsigned frames = 200000;
  FreshWin45();
  AddFPS34();
  size_t before = heapbytes();
  for (unsigned i = 1; i < frames; ++i) {
    FreshWin45();
    AddFPS34();
  }
  size_t grown = heapbytes() - before;
  EXPECT_LT(grown, 64u * 1024) << "bytes per frame: " << double(grown) / frames;
  EXPECT_EQ(GetFPS37(), frames);
  EXPECT_EQ(GetFPSL35(), frames);
  EXPECT_EQ(GetFPSR36(), double(frames));  // all in one instant: their count
  // They still leave the count a second later, all at once.
  Delay28(999);
  EXPECT_EQ(GetFPS37(), frames);
  Delay28(1);
  EXPECT_EQ(GetFPS37(), 0u);
  EXPECT_EQ(GetFPSL35(), 0u);
  CloseWin46();
}

// A short form (fewer arguments, the window's picture) fails as its full form does: the
// same code, told under the entry's own name.
TEST(Robust, ShortFormsTellTheirFailuresUnderTheEntrysName) {
  struct {
    char const* form;
    bool window;
    void (*call)();
    unsigned long code;
    char const* text;
  } const cases[] = {
      {"GetDraw77()", false, [] { EXPECT_EQ(GetDraw77(), nullptr); }, 1,
       "getdraw: no window is open (createwin opens one)"},
      {"CreateBMP193()", false, [] { EXPECT_EQ(CreateBMP193(), nullptr); }, 1,
       "createbmp: no window is open (createwin opens one)"},
      {"GetPos71()", false, [] { EXPECT_EQ(GetPos71(), 0u); }, 1,
       "getpos: no window is open (createwin opens one)"},
      {"CreateBMP192(0, 5)", true, [] { EXPECT_EQ(CreateBMP192(0, 5), nullptr); }, 2,
       "createbmp: size 0 x 5 is outside 1..16384"},
      {"BlurBMPBox231(null, 1)", true, [] { BlurBMPBox231(nullptr, 1); }, 2,
       "blurbmpbox: the bitmap is null"},
      {"GetDraw76(null)", true, [] { EXPECT_EQ(GetDraw76(nullptr), nullptr); }, 2,
       "getdraw: the bitmap is null"},
  };
  for (auto const& c : cases) {
    if (c.window != IsWin47()) {
      if (c.window)
        ASSERT_TRUE(CreateWin42(8, 6));
      else
        CloseWin46();
    }
    GetError38();
    c.call();
    EXPECT_EQ(GetError38(), c.code) << c.form;
    EXPECT_STREQ(disp_errortext(), c.text) << c.form;
  }
  CloseWin46();
}

}  // namespace

// The switches are read at the first entry call: set them before any test runs.
int main(int argc, char** argv) {
  setenv("DISP_HEADLESS", "1", 1);
  setenv("DISP_CLOCK", "virtual", 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
