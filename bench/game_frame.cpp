// Cost of the game's own work per frame and per step, on the real libraries with the
// headless canvas: drawall on a busy and on a typical scene, a bare frame, and step.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "facade/facade.h"
#include "game/ball.h"
#include "game/course.h"
#include "game/loop.h"
#include "game/state.h"
#include "render/scene.h"

namespace {

void openheadless() {
  static bool opened = [] {
    setenv("DISP_HEADLESS", "1", 1);
    setenv("DISP_CLOCK", "virtual", 1);
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
void busyscene() {
  openheadless();
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
void typicalscene() {
  openheadless();
  initgame();
  for (int i = 0; i < 6; ++i) addloop();
  jump(3);
  scrp = {loop[3].x, loop[3].y};
  linep = loop[3].x - loop[3].r - 100;
  fpsb = false;
}

void BM_DrawallBusy(benchmark::State& state) {
  busyscene();
  for (auto _ : state) drawall();
}
BENCHMARK(BM_DrawallBusy)->Repetitions(9)->ReportAggregatesOnly()->Unit(benchmark::kMicrosecond);

void BM_DrawallTypicalLevel0(benchmark::State& state) {
  typicalscene();
  for (auto _ : state) drawall();
}
BENCHMARK(BM_DrawallTypicalLevel0)
    ->Repetitions(9)
    ->ReportAggregatesOnly()
    ->Unit(benchmark::kMicrosecond);

void BM_BareFrame(benchmark::State& state) {
  openheadless();
  for (auto _ : state) {
    clear();
    freshwin();
  }
}
BENCHMARK(BM_BareFrame)->Repetitions(9)->ReportAggregatesOnly()->Unit(benchmark::kMicrosecond);

// Auto-play keeps the ball alive and jumping, so steps include flips, jumps and new loops.
void BM_Step(benchmark::State& state) {
  openheadless();
  initgame();
  autob = true;
  for (auto _ : state) {
    step();
    ftimestep += 1 / framestep;
    if (!ball.live || initb) {
      initgame();
      autob = true;
    }
  }
}
BENCHMARK(BM_Step)->Repetitions(9)->ReportAggregatesOnly();

}  // namespace

BENCHMARK_MAIN();
