// Entry point of quib: read the command line, start up, run the main loop (or a replay)
// until the window is gone.
#include <cstdio>

#include "facade/facade.h"
#include "game/check.h"
#include "game/cli.h"
#include "game/loop.h"
#include "game/replay.h"
#include "game/stats.h"
#include "render/icon.h"

int main(int argc, char** argv) {
  options o;
  if (int status = parseargs(argc, argv, o, stdout, stderr); status >= 0) return status;
  if (o.record != nullptr && !startrecord(o.record)) return 2;
  if (o.replay != nullptr && !startreplay(o.replay)) return 2;
  // From here every way out writes the statistics, even an exit() inside a library.
  writestatsatexit();
  // Without a window there is no game: the display library has said why on stderr,
  // and the exit status says it failed.
  if (!init()) return 1;
  initicon();
  hidecursorinfullscreen(true);  // the pointer would sit over the play field
  if (o.fullscreen) setfullscreen(true);
  catchquit();
  int status = o.replay != nullptr ? runreplay() : (run(), 0);
  if (isdisplaylost()) return 1;  // the display library has said so on stderr
  // A violated invariant (QUIB_CHECK) fails the run.
  return checkfailures() > 0 ? 3 : status;
}
