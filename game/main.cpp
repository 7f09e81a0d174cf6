// Entry point of quib: read the command line and the switches, start up, run the main
// loop (or a replay) until the window is gone, and say whether the run's files were written.
#include <cstdio>

#include "facade/facade.h"
#include "facade/random.h"
#include "game/check.h"
#include "game/cli.h"
#include "game/config.h"
#include "game/keys.h"
#include "game/loop.h"
#include "game/outfile.h"
#include "game/replay.h"
#include "game/stats.h"
#include "render/icon.h"

int main(int argc, char** argv) {
  keepstdfds();
  options o;
  if (int status = parseargs(argc, argv, o, stdout, stderr); status >= 0) {
    return flushstdout() ? status : exitfilelost;
  }
  if (!checksettings(stderr)) return 2;
  if (settings().seeded) fixseed(settings().seed);
  if (o.record != nullptr && !startrecord(o.record)) return 2;
  if (o.replay != nullptr && !startreplay(o.replay)) return 2;
  // From here every way out writes the statistics, even an exit() inside a library.
  writestatsatexit();
  // Without a window there is no game: the display library has said why on stderr,
  // and the exit status says it failed.
  int status = 1;
  mappad();
  if (init()) {
    initicon();
    hidecursorinfullscreen(true);  // the pointer would sit over the play field
    if (o.fullscreen) setfullscreen(true);
    catchquit();
    status = o.replay != nullptr ? runreplay() : (run(), 0);
    // The display library has said so on stderr; a violated invariant (QUIB_CHECK) fails
    // the run too.
    if (isdisplaylost()) {
      status = 1;
    } else if (checkfailures() > 0) {
      status = 3;
    }
  }
  // Both are tried; a run whose recording or statistics were lost is no success.
  bool recorded = finishrecord();
  bool written = writestats();
  if (status == 0 && (!recorded || !written || isoutputlost())) status = exitfilelost;
  return status;
}
