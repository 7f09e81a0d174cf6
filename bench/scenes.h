// The game's scenes the frame benchmarks draw, on the real libraries with the headless
// canvas: one busy, one typical. Shared by bench_game_frame and bench_game_frame_fullhd.
#pragma once
#include <cstdlib>

#include "facade/facade.h"
#include "game/ball.h"
#include "game/course.h"
#include "game/loop.h"
#include "game/state.h"

// Opens the headless window once per process. `output`: the DISP_SIZE to draw the canvas
// at (null: the canvas's own size); a DISP_SIZE set outside wins.
inline void openheadless(char const* output = nullptr) {
  static bool opened = [output] {
    setenv("DISP_HEADLESS", "1", 1);
    setenv("DISP_CLOCK", "virtual", 1);
    if (output) setenv("DISP_SIZE", output, 0);
    setenv("ALSOFT_DRIVERS", "null", 1);
    srand15(11);
    initwin();
    initgame();
    return true;
  }();
  (void)opened;
}

// A game deep into the course: every slot holds a loop, rings on the checkpoints, two
// rows of spikes, the line cutting through the loops left of the camera, the figure on.
inline void busyscene() {
  initgame();
  loopn = 500;  // level 100: double rows are likely and checkpoints carry 6 rings
  for (int i = 0; i < 15; ++i) addloop();
  jump(prevslot(loopl));
  loopinfo const& l = loop[loopj];
  scrp = {l.x, l.y};
  scrloopp = {loop[loopl].x, loop[loopl].y};
  linep = l.x - 250;
  scrrot = 0.3;
  fpsb = true;
}

// Early in a game: a few loops of level 0, the line held at the first loop.
inline void typicalscene() {
  initgame();
  for (int i = 0; i < 6; ++i) addloop();
  jump(3);
  scrp = {loop[3].x, loop[3].y};
  linep = loop[3].x - loop[3].r - 100;
  fpsb = false;
}
