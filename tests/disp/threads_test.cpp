// Drawing from threads: workers that each make, draw on, blur and release bitmaps of their
// own get exactly the pixels one thread alone gets, while the main thread draws on the
// window and closes it under them. Run under ASan, a shared scratch buffer or an unguarded
// registry shows up as a use after free; in the release build, as wrong pixels.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "platform/disp/disp.h"

namespace {

constexpr int kW = 96, kH = 64;

// One scene: shapes through cairo and the ring cache, plain lines, text through cairo and
// through Pango (the shared font cache), both blurs. Returns a hash of the final pixels.
uint64_t scene(int variant) {
  bitmap* b = CreateBMP192(kW, kH);
  if (!b) return 0;
  Circle185(b, 40, 30, 10 + variant % 16, 0xFF2020, 0x20FF20);
  Bar157(b, 5, 5, 30, 12, 0xFFFFFF, 0x2040C0);
  Line154(b, 0, 0, kW - 1, kH - 1, 0x123456);
  DrawTextXY119(b, "12:34", 2, 40, 0xFFFF00);
  DrawTextXY119(b, "안녕 مرحبا", 40, 2, 0xFFFFFF);
  BlurBMPBox230(b, 3, 2);
  BlurBMPGau232(b, 1.5);
  uint64_t h = 1469598103934665603ull;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) h = (h ^ GetPixel147(b, x, y)) * 1099511628211ull;
  ReleaseBMP194(b);
  return h;
}

struct worker {
  int variant = 0;
  uint64_t got = 0;
  bool same = true;
};

std::atomic<int> running{0};

void work(void* user) {
  auto& w = *static_cast<worker*>(user);
  for (int i = 0; i < 40; ++i) {
    uint64_t h = scene(w.variant);
    if (i > 0 && h != w.got) w.same = false;
    w.got = h;
  }
  --running;
}

TEST(Threads, WorkersDrawingOnTheirOwnBitmapsGetWhatOneThreadGets) {
  ASSERT_TRUE(CreateWin42(160, 120));
  std::vector<worker> workers(8);
  std::vector<uint64_t> want;
  for (size_t i = 0; i < workers.size(); ++i) {
    workers[i].variant = int(i);
    want.push_back(scene(int(i)));
  }
  running = int(workers.size());
  for (worker& w : workers) ASSERT_NE(disp_newthreadwith(work, &w), 0ul);
  // The window is drawn on, then closed, while they work: their bitmaps are no part of it.
  for (int frame = 0; running > 0; ++frame) {
    if (IsWin47()) {
      Circle186(80, 60, 20 + frame % 20, 0xFFFFFF, 0x404040);
      DrawTextXY121("main 안녕", 4, 4, 0xFFFFFF);
      FreshWin45();
      if (frame == 3) CloseWin46();
    }
    Delay28(1);
  }
  for (size_t i = 0; i < workers.size(); ++i) {
    EXPECT_TRUE(workers[i].same) << "worker " << i << " saw its pixels change";
    EXPECT_EQ(workers[i].got, want[i]) << "worker " << i;
  }
}

}  // namespace
