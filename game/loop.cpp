// The spine of the program. `ftimestep` only ever advances by whole steps, so the rules
// run identically on every machine; frames show the state after the last step.
#include "game/loop.h"

#include "facade/facade.h"
#include "game/ball.h"
#include "game/camera.h"
#include "game/course.h"
#include "game/check.h"
#include "game/keys.h"
#include "game/replay.h"
#include "game/state.h"
#include "game/stats.h"
#include "render/scene.h"
#include "sound/cues.h"

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

bool pass() {
  if (isquitasked()) closewin();
  if (!iswin()) return false;
  setaudioloop(82.33, 27.49);
  if (isnextmsg()) {
    act();
  } else {
    delay(1);
  }
  // Every missed step runs, however long the stall; during a step `ftimestep` is the
  // start of its period.
  while (gettimer() > ftimestep + 1 / framestep) {
    step();
    ftimestep += 1 / framestep;
  }
  // Frames missed during a stall are skipped; the drawing clock stays on its grid.
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
