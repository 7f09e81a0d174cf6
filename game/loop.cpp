// The spine of the program. `ftimestep` only ever advances by whole steps, so the rules
// run identically on every machine; frames show the state after the last step.
#include "game/loop.h"

#include "facade/facade.h"
#include "game/ball.h"
#include "game/camera.h"
#include "game/check.h"
#include "game/course.h"
#include "game/keys.h"
#include "game/replay.h"
#include "game/state.h"
#include "game/stats.h"
#include "render/scene.h"
#include "sound/cues.h"

namespace {

// The stretch of the background music that repeats: once it has played past the end, it
// goes back to the start (seconds).
constexpr double musicloopend = 82.33;
constexpr double musicloopstart = 27.49;

}  // namespace

bool init() {
  randomize();
  initsound();
  bool opened = initwin();
  initreplay();
  initgame();
  return opened;
}

bool initwin() {
  bool opened = createwin(w, h);
  settitle("quib_en");
  setpenwidth(2);
  setfontname("Consolas");
  framedraw = 60;
  framestep = 120;
  ftimedraw = gettimer();
  ftimestep = gettimer();
  fpsb = false;
  return opened;
}

void initgame() {
  loopstp = 5;
  scrp = {0, 0};
  loopcn = 20;
  scrrot = 0;
  spdmul = 1;
  spd = 2;
  initloop();
  initball();
  spaceb = false;
  initb = false;
  autob = false;
  linec = loopj;
  linep = -loop[loopj].r;
  notegame();
}

void step() {
  movescr();
  moveline();
  if (initb) initgame();
  if (autob) autogame();
  if ((isloop() != -1 && ball.side == -1) || istri() || isline()) kill();
  if (spaceb) space();
  int j = loopj;
  if (!(loop[j].x < loop[nextslot(j)].x)) addloop();
  notestep();
  checkstep();
}

void runstep() {
  step();
  ftimestep += 1 / framestep;
}

bool pass() {
  if (isquitasked()) closewin();
  if (isplayedout() || !iswin()) return false;
  setaudioloop(musicloopend, musicloopstart);
  if (isnextmsg()) {
    // In a replay the player's own keys would change the run; Esc still quits.
    if (!isreplaying()) {
      act();
    } else if (iskey(key_esc)) {
      closewin();
    }
  } else {
    delay(1);
  }
  // Every missed step runs, however long the stall; during a step `ftimestep` is the
  // start of its period. A replay paces its steps on a clock of its own (its `ftimestep`
  // goes on from the recorded one) and hands the recorded keys and frames over first.
  if (isreplaying()) {
    while (isreplaystepdue() && feedreplay()) runstep();
    return true;
  }
  while (gettimer() > ftimestep + 1 / framestep) runstep();
  // Frames missed during a stall are skipped; the drawing clock stays on its grid. A
  // replay draws where the recording did instead.
  if (gettimer() > ftimedraw + 1 / framedraw) {
    while (gettimer() > ftimedraw + 1 / framedraw) ftimedraw += 1 / framedraw;
    drawall();
    noteframe();
  }
  return true;
}

void run() {
  while (pass()) {
  }
}
