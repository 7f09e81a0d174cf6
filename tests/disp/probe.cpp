// A small program on libdisp for the window test under Xvfb: shows a red disc at the centre
// and a green one at (100, 100) at 60 frames a second, prints every key press it gets and
// closes on Esc. Gives up after 20 seconds.
#include <cstdio>

#include "platform/disp/disp.h"

int main() {
  if (!CreateWin42(800, 600)) return 1;
  SetTitle51("disp_probe");
  SetPenWidth82(2);
  double next = GetTimeR49(), end = next + 20;
  bool ready = false;
  while (IsWin47() && GetTimeR49() < end) {
    if (IsNextMsg254()) {
      for (unsigned vk = 1; vk < 256; ++vk)
        if (IsKey260(vk)) {
          printf("key %u\n", vk);
          fflush(stdout);
          if (vk == 27) CloseWin46();
        }
    } else {
      Delay28(1);
    }
    if (IsWin47() && GetTimeR49() >= next) {
      next += 1.0 / 60;
      Clear164();
      Circle187(400, 300, 50, 0xFF0000);
      Circle187(100, 100, 20, 0x00FF00);
      FreshWin45();
      if (!ready) {
        printf("ready\n");
        fflush(stdout);
        ready = true;
      }
    }
  }
  printf("closed %d\n", int(IsWin47()));
  fflush(stdout);
  return 0;
}
