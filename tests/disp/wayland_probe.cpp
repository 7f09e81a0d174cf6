// A small program on libdisp for the Wayland test: the scaling test's picture (blue edge
// bars, a red disc at the centre, a green one) in an 800x600 window whose pointer hides
// while full screen. For its first 60 frames the green disc and a white square move and,
// half way, the background changes, so that frames differ from each other in parts; from
// the 90th on the picture stays. Prints SDL's video driver once the first frame is shown,
// "settled" at the 90th, then key presses and full-screen changes. Ends at Esc, or after 30 s.
#include <SDL2/SDL.h>

#include <cstdio>

#include "platform/disp/disp.h"

int main() {
  if (!CreateWin42(800, 600)) return 1;
  SetTitle51("disp_wayland_probe");
  SetBGColor79(0x202020);
  disp_hidecursorinfullscreen(true);
  double next = GetTimeR49(), end = next + 30;
  bool ready = false;
  int full = -1, frames = 0;
  while (IsWin47() && GetTimeR49() < end) {
    if (IsNextMsg254()) {
      if (unsigned long vk = GetKey262()) printf("key %lu\n", vk);
      if (IsKey260(27)) CloseWin46();
      fflush(stdout);
    } else {
      Delay28(1);
    }
    if (IsWin47() && GetTimeR49() >= next) {
      next += 1.0 / 60;
      int const moved = frames < 60 ? frames : 60;
      if (frames == 30) SetBGColor79(0x203048);
      Clear164();
      Bar159(0, 0, 800, 8, 0x0000FF);
      Bar159(0, 592, 800, 8, 0x0000FF);
      Bar159(0, 0, 8, 600, 0x0000FF);
      Bar159(792, 0, 8, 600, 0x0000FF);
      Circle187(400, 300, 50, 0xFF0000);
      Circle187(100 + 4 * moved, 100, 20, 0x00FF00);
      Bar159(600 - 3 * moved, 420 + moved, 30, 30, 0xFFFFFF);
      FreshWin45();
      if (++frames == 90) printf("settled\n");
      if (int f = int(disp_isfullscreen()); f != full) {
        printf("fullscreen %d\n", f);
        full = f;
      }
      if (!ready) printf("driver %s\n", SDL_GetCurrentVideoDriver());
      ready = true;
      fflush(stdout);
    }
  }
  return 0;
}
