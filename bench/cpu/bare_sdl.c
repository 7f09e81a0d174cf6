// The floor: a bare SDL program filling and presenting 60 empty 800x600 frames a second
// through the window framebuffer (SDL_FRAMEBUFFER_ACCELERATION=0), or SDL's defaults.
#include <SDL2/SDL.h>
#include "pace.h"
int main(int argc, char** argv) {
  int secs = atoi(argv[1]);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_Window* w = SDL_CreateWindow("bare", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 800, 600,
                                   SDL_WINDOW_SHOWN);
  if (!w) return 1;
  double cpu0 = 0, t0 = 0;
  long frames = 0;
  pace_start();
  for (long i = 0; i < 60L * (secs + 1); ++i) {
    if (i == 60) {
      cpu0 = cpu_s();
      t0 = now_s();
      frames = 0;
    }
    SDL_Event ev;
    while (SDL_PollEvent(&ev)) {
    }
    SDL_Surface* s = SDL_GetWindowSurface(w);
    SDL_FillRect(s, NULL, 0);
    SDL_UpdateWindowSurface(w);
    ++frames;
    pace_wait();
  }
  report(cpu0, t0, frames);
  return 0;
}
