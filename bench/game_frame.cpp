// Cost of the game's own work per frame and per step, on the real libraries with the
// headless canvas: drawall on a busy and on a typical scene, a bare frame, and step.
#include <benchmark/benchmark.h>

#include "bench/scenes.h"
#include "render/scene.h"

namespace {

void BM_DrawallBusy(benchmark::State& state) {
  openheadless();
  busyscene();
  for (auto _ : state) drawall();
}
BENCHMARK(BM_DrawallBusy)->Repetitions(9)->ReportAggregatesOnly()->Unit(benchmark::kMicrosecond);

void BM_DrawallTypicalLevel0(benchmark::State& state) {
  openheadless();
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
