// Cost of a game frame when the 800 x 600 canvas is drawn at a 1920 x 1080 output, as a
// full-screen window shows it (headless, DISP_SIZE): the busy scene, a typical one and a
// bare frame, each drawn and shown. DISP_SIZE set outside picks another output size.
#include <benchmark/benchmark.h>

#include "bench/scenes.h"
#include "render/scene.h"

namespace {

void BM_FrameBusyFullHD(benchmark::State& state) {
  openheadless("1920x1080");
  busyscene();
  for (auto _ : state) drawall();  // draws and shows the frame
}
BENCHMARK(BM_FrameBusyFullHD)
    ->Repetitions(9)
    ->ReportAggregatesOnly()
    ->Unit(benchmark::kMicrosecond);

void BM_FrameTypicalFullHD(benchmark::State& state) {
  openheadless("1920x1080");
  typicalscene();
  for (auto _ : state) drawall();  // draws and shows the frame
}
BENCHMARK(BM_FrameTypicalFullHD)
    ->Repetitions(9)
    ->ReportAggregatesOnly()
    ->Unit(benchmark::kMicrosecond);

void BM_BareFrameFullHD(benchmark::State& state) {
  openheadless("1920x1080");
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
