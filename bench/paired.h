// What the drawing benchmarks share: this thread's CPU time, medians, two contenders timed
// in turns, frame for frame, and the main that runs them on libdisp's canvas.
#pragma once
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <vector>

// This thread's CPU time in ms: on a machine shared with other work the wall clock counts
// the waits for a core, which have nothing to do with the drawing.
inline double cpums() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// Medians of a list of times.
inline double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Two contenders drawing in turns, frame for frame, so that both see the same load on a
// shared machine: the median CPU time of each and their ratio.
template <class A, class B>
void paired(benchmark::State& state, A a, B b) {
  std::vector<double> ta, tb;
  for (auto _ : state) {
    double c0 = cpums();
    a();
    double c1 = cpums();
    b();
    tb.push_back(cpums() - c1);
    ta.push_back(c1 - c0);
  }
  state.counters["ours_ms"] = median(ta);
  state.counters["theirs_ms"] = median(tb);
  state.counters["ratio"] = median(ta) / median(tb);
}

// The main of a drawing benchmark: libdisp's canvas without a window, on the real clock.
inline int benchmain(int argc, char** argv) {
  setenv("DISP_HEADLESS", "1", 1);
  unsetenv("DISP_CLOCK");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
