// A small program on libdisp for the scaling test under Xvfb: draws a frame of blue bars
// along the canvas's edges, a red disc at its centre and a green one at (100, 100), and
// prints what it is told: mouse moves, resize messages (with the size GetWidth56 answers
// while the message is current), key presses and full-screen changes. Argument: the style.
#include <cstdio>
#include <cstdlib>

#include "platform/disp/disp.h"

int main(int argc, char** argv) {
  unsigned long const style = argc > 1 ? strtoul(argv[1], nullptr, 10) : 0;
  if (!CreateWin41(800, 600, style)) return 1;
  SetTitle51("disp_scale_probe");
  SetBGColor79(0x202020);
  double next = GetTimeR49(), end = next + 30;
  bool ready = false;
  int full = -1;
  while (IsWin47() && GetTimeR49() < end) {
    if (IsNextMsg254()) {
      if (IsMsg257(0x200)) printf("mouse %ld %ld\n", GetMouseWinX288(), GetMouseWinY289());
      if (IsMsg257(0x005)) printf("size %lu %lu\n", GetWidth56(), GetHeight57());
      if (unsigned long vk = GetKey262()) printf("key %lu\n", vk);
      if (IsKey260(27)) CloseWin46();
      fflush(stdout);
    } else {
      Delay28(1);
    }
    if (IsWin47() && GetTimeR49() >= next) {
      next += 1.0 / 60;
      long const w = long(GetWidth56()), h = long(GetHeight57());
      Clear164();
      Bar159(0, 0, w, 8, 0x0000FF);
      Bar159(0, h - 8, w, 8, 0x0000FF);
      Bar159(0, 0, 8, h, 0x0000FF);
      Bar159(w - 8, 0, 8, h, 0x0000FF);
      Circle187(w / 2, h / 2, 50, 0xFF0000);
      Circle187(100, 100, 20, 0x00FF00);
      FreshWin45();
      if (int f = int(disp_isfullscreen()); f != full) {
        printf("fullscreen %d\n", f);
        full = f;
      }
      if (!ready) printf("ready\n");
      ready = true;
      fflush(stdout);
    }
  }
  printf("closed %d\n", int(IsWin47()));
  return 0;
}
