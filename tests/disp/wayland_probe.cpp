// A small program on libdisp for the Wayland test: the scaling test's picture (blue edge
// bars, a red disc at the centre, a green one at (100, 100)) in an 800x600 window whose
// pointer hides while full screen; prints SDL's video driver once the first frame is
// shown, then key presses and full-screen changes. Ends at Esc, or after 30 s.
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
  int full = -1;
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
      Clear164();
      Bar159(0, 0, 800, 8, 0x0000FF);
      Bar159(0, 592, 800, 8, 0x0000FF);
      Bar159(0, 0, 8, 600, 0x0000FF);
      Bar159(792, 0, 8, 600, 0x0000FF);
      Circle187(400, 300, 50, 0xFF0000);
      Circle187(100, 100, 20, 0x00FF00);
      FreshWin45();
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
