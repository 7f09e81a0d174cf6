// Entry point of quib: start up, run the main loop until the window is gone.
#include "facade/facade.h"
#include "game/loop.h"
#include "game/stats.h"
#include "render/icon.h"

int main() {
  // Without a window there is no game: the display library has said why on stderr,
  // and the exit status says it failed.
  if (!init()) return 1;
  initicon();
  run();
  writestats();
  return isdisplaylost() ? 1 : 0;  // the display library has said so on stderr
}
