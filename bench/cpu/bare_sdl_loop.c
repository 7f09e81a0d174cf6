// The floor of the game's loop: the bare SDL program of bare_sdl.c, but waiting the way
// the game's main loop must, in pauses of 1 ms (on a millisecond grid), with a frame
// whenever the 60 Hz drawing clock is due. What it costs above bare_sdl is the price of
// the 1,000 wake-ups a second alone, before any drawing or sound.
#include <SDL2/SDL.h>
#include "pace.h"
int main(int argc, char** argv) {
  int secs = atoi(argv[1]);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_Window* w = SDL_CreateWindow("bare", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 800, 600,
                                   SDL_WINDOW_SHOWN);
  if (!w) return 1;
  double cpu0 = 0, t0 = 0, start = now_s(), draw = start;
  long frames = 0;
  struct timespec tick;
  clock_gettime(CLOCK_MONOTONIC, &tick);
  int measuring = 0;
  while (now_s() < start + secs + 1) {
    if (!measuring && now_s() >= start + 1) {
      measuring = 1;
      cpu0 = cpu_s();
      t0 = now_s();
      frames = 0;
    }
    SDL_Event ev;
    while (SDL_PollEvent(&ev)) {
    }
    tick.tv_nsec += 1000000;
    if (tick.tv_nsec >= 1000000000L) {
      tick.tv_nsec -= 1000000000L;
      tick.tv_sec++;
    }
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &tick, NULL);
    if (now_s() > draw + 1.0 / 60) {
      while (now_s() > draw + 1.0 / 60) draw += 1.0 / 60;
      SDL_Surface* s = SDL_GetWindowSurface(w);
      SDL_FillRect(s, NULL, 0);
      SDL_UpdateWindowSurface(w);
      ++frames;
    }
  }
  report(cpu0, t0, frames);
  return 0;
}
