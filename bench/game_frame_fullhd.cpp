// Cost of a game frame when the 800 x 600 canvas is drawn at a 1920 x 1080 output, as a
// full-screen window shows it (headless, DISP_SIZE): the busy scene, a typical one and a
// bare frame, each drawn and shown. DISP_SIZE set outside picks another output size.
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
    setenv("DISP_SIZE", "1920x1080", 0);
    setenv("ALSOFT_DRIVERS", "null", 1);
    srand15(11);
    initwin();
    initgame();
    return true;
  }();
  (void)opened;
}

// The same scenes as bench/game_frame.cpp: deep into the course with everything on it,
// and early in a game.
void busyscene() {
  openheadless();
  initgame();
  loopn = 500;
  for (int i = 0; i < 15; ++i) addloop();
  jump(prevslot(loopl));
  loopinfo const& l = loop[loopj];
  scrp = {l.x, l.y};
  scrloopp = {loop[loopl].x, loop[loopl].y};
  linep = l.x - 250;
  scrrot = 0.3;
  fpsb = true;
}

void typicalscene() {
  openheadless();
  initgame();
  for (int i = 0; i < 6; ++i) addloop();
  jump(3);
  scrp = {loop[3].x, loop[3].y};
  linep = loop[3].x - loop[3].r - 100;
  fpsb = false;
}

void BM_FrameBusyFullHD(benchmark::State& state) {
  busyscene();
  for (auto _ : state) drawall();  // draws and shows the frame
}
BENCHMARK(BM_FrameBusyFullHD)
    ->Repetitions(9)
    ->ReportAggregatesOnly()
    ->Unit(benchmark::kMicrosecond);

void BM_FrameTypicalFullHD(benchmark::State& state) {
  typicalscene();
  for (auto _ : state) drawall();  // draws and shows the frame
}
BENCHMARK(BM_FrameTypicalFullHD)
    ->Repetitions(9)
    ->ReportAggregatesOnly()
    ->Unit(benchmark::kMicrosecond);

void BM_BareFrameFullHD(benchmark::State& state) {
  openheadless();
  for (auto _ : state) {
    clear();
    freshwin();
  }
}
BENCHMARK(BM_BareFrameFullHD)
    ->Repetitions(9)
    ->ReportAggregatesOnly()
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
