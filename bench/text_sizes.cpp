// The slowest single text draw over the sizes a program may ask for: every pair of widths
// and heights from 1 to 4096, a line of five scripts with an emoji drawn plain and wrapped,
// on an 800 x 600 window shown full screen at 1920 x 1080 (so drawn 2.4 times as large),
// each size fresh (its fonts made by the draw itself). Counters: the slower draw in ms of
// this thread's CPU time, and in wall-clock time (which counts waits for a core on a busy
// machine). One size alone, in a process of its own:
// bench_text_sizes --benchmark_filter='TextDraw/4096/4096$'.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <ctime>

#include "platform/disp/disp.h"

namespace {

double cpums() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

char const* const line =
    "Hello \xec\x95\x88\xeb\x85\x95 \xe4\xbd\xa0\xe5\xa5\xbd \xd9\x85\xd8\xb1\xd8\xad\xd8\xa8\xd8"
    "\xa7 \xe0\xa4\xa8\xe0\xa4\xae\xe0\xa4\xb8\xe0\xa5\x8d\xe0\xa4\xa4\xe0\xa5\x87 "
    "\xf0\x9f\x99\x82";

// One size (state.range(0) x state.range(1)): the slower of a plain and a wrapped draw.
void TextDraw(benchmark::State& state) {
  unsigned long const w = static_cast<unsigned long>(state.range(0));
  unsigned long const h = static_cast<unsigned long>(state.range(1));
  double worst = 0, worstwall = 0;
  for (auto _ : state) {
    SetFontSize107(w, h);
    for (bool wrapped : {false, true}) {
      Clear164();
      long const top = 300 - long(h) / 2;
      double const t0 = cpums();
      auto const wall0 = std::chrono::steady_clock::now();
      if (wrapped)
        DrawTextXYw136(line, 0, top, 0xFFFFFF);
      else
        DrawTextXY121(line, 0, top, 0xFFFFFF);
      double const ms = cpums() - t0;
      std::chrono::duration<double, std::milli> const wall =
          std::chrono::steady_clock::now() - wall0;
      if (ms > worst) worst = ms;
      if (wall.count() > worstwall) worstwall = wall.count();
    }
  }
  state.counters["cpu_ms"] = worst;
  state.counters["wall_ms"] = worstwall;
}
BENCHMARK(TextDraw)
    ->ArgsProduct({{1, 40, 400, 1000, 2000, 4096}, {1, 40, 400, 1000, 2000, 4096}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("DISP_HEADLESS", "1", 0);
  setenv("DISP_SIZE", "1920x1080", 0);
  CreateWin41(800, 600, 1);  // resizable: the picture keeps its size, shown scaled
  // The first text of a run starts fontconfig and Pango, whatever its size: not counted.
  DrawTextXY121("0 \xec\x95\x88", 0, 0, 0xFFFFFF);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
