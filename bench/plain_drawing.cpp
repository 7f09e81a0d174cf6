// Plain drawing at volume: 10,000 lines of +-100 px and 10,000 filled circles a frame on an
// 800 x 600 picture, drawn by libdisp (antialiased and hard-edged), by SDL2's software
// renderer on a surface, and by cairo called directly. Each reports its median frame.
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/disp/disp.h"

namespace {

constexpr int W = 800, H = 600, N = 10000;

struct line {
  long x, y, dx, dy;
  unsigned long colour;
};
struct disc {
  long x, y, r;
  unsigned long colour;
};

// The same shapes for every contender, from a fixed seed.
struct shapes {
  std::vector<line> lines;
  std::vector<disc> discs;
  shapes() {
    uint64_t s = 2026;
    auto in = [&](long lo, long hi) {
      s = s * 6364136223846793005ull + 1442695040888963407ull;
      return lo + long((s >> 33) % uint64_t(hi - lo + 1));
    };
    for (int i = 0; i < N; ++i)
      lines.push_back({in(0, W - 1), in(0, H - 1), in(-100, 100), in(-100, 100),
                       (unsigned long)in(0, 0xFFFFFF)});
    for (int i = 0; i < N; ++i)
      discs.push_back({in(0, W - 1), in(0, H - 1), in(1, 20), (unsigned long)in(0, 0xFFFFFF)});
  }
};

shapes const& theshapes() {
  static shapes s;
  return s;
}

// This thread's CPU time in ms: on a machine shared with other work the wall clock counts
// the waits for a core, which have nothing to do with the drawing.
double cpums() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// Runs body once per iteration and reports the medians of its CPU and wall times in ms.
template <class F>
void timed(benchmark::State& state, F body) {
  std::vector<double> cpu, wall;
  for (auto _ : state) {
    double c0 = cpums();
    auto t0 = std::chrono::steady_clock::now();
    body();
    auto t1 = std::chrono::steady_clock::now();
    cpu.push_back(cpums() - c0);
    wall.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  std::sort(cpu.begin(), cpu.end());
  std::sort(wall.begin(), wall.end());
  state.counters["cpu_median_ms"] = cpu[cpu.size() / 2];
  state.counters["wall_median_ms"] = wall[wall.size() / 2];
}

// ---- libdisp ---------------------------------------------------------------------------

void openwin(bool aa) {
  static bool open = [] {
    CreateWin42(W, H);
    SetPenWidth82(1);
    return true;
  }();
  (void)open;
  disp_setantialias(aa);
}

void BM_LinesLibdisp(benchmark::State& state) {
  bool const aa = state.range(0) != 0;
  openwin(aa);
  auto const& s = theshapes();
  timed(state, [&] {
    Clear163(0);
    for (line const& l : s.lines) Line155(l.x, l.y, l.dx, l.dy, l.colour);
  });
  disp_setantialias(true);
}
BENCHMARK(BM_LinesLibdisp)->ArgName("aa")->Arg(0)->Arg(1)->MinTime(2.0);

void BM_DiscsLibdisp(benchmark::State& state) {
  bool const aa = state.range(0) != 0;
  openwin(aa);
  auto const& s = theshapes();
  timed(state, [&] {
    Clear163(0);
    for (disc const& d : s.discs) Circle186(d.x, d.y, d.r, 1, d.colour);
  });
  disp_setantialias(true);
}
BENCHMARK(BM_DiscsLibdisp)->ArgName("aa")->Arg(0)->Arg(1)->MinTime(2.0);

// ---- SDL2's software renderer ------------------------------------------------------------

struct sdlsoft {
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, W, H, 32, SDL_PIXELFORMAT_RGB888);
  SDL_Renderer* r = SDL_CreateSoftwareRenderer(surface);
  ~sdlsoft() {
    SDL_DestroyRenderer(r);
    SDL_FreeSurface(surface);
  }
  void colour(unsigned long c) {
    SDL_SetRenderDrawColor(r, Uint8(c >> 16), Uint8(c >> 8), Uint8(c), 255);
  }
};

void BM_LinesSDLSoftware(benchmark::State& state) {
  sdlsoft sd;
  auto const& s = theshapes();
  timed(state, [&] {
    sd.colour(0);
    SDL_RenderClear(sd.r);
    for (line const& l : s.lines) {
      sd.colour(l.colour);
      SDL_RenderDrawLine(sd.r, int(l.x), int(l.y), int(l.x + l.dx), int(l.y + l.dy));
    }
    SDL_RenderFlush(sd.r);
  });
}
BENCHMARK(BM_LinesSDLSoftware)->MinTime(2.0);

// SDL has no circles: a filled one is its rows, as spans from the midpoint circle, one
// SDL_RenderFillRects call per circle (the spans of each radius worked out once).
void BM_DiscsSDLSoftware(benchmark::State& state) {
  sdlsoft sd;
  auto const& s = theshapes();
  std::vector<std::vector<SDL_Rect>> rows(21);
  for (int r = 1; r <= 20; ++r) {
    std::vector<int> half(size_t(r) + 1, 0);
    for (int x = r, y = 0, d = 1 - r; x >= y;) {
      half[size_t(y)] = std::max(half[size_t(y)], x);
      half[size_t(x)] = std::max(half[size_t(x)], y);
      ++y;
      if (d < 0) {
        d += 2 * y + 1;
      } else {
        --x;
        d += 2 * (y - x) + 1;
      }
    }
    for (int y = -r; y <= r; ++y) {
      int hw = half[size_t(std::abs(y))];
      rows[size_t(r)].push_back({-hw, y, 2 * hw + 1, 1});
    }
  }
  std::vector<SDL_Rect> at;
  timed(state, [&] {
    sd.colour(0);
    SDL_RenderClear(sd.r);
    for (disc const& d : s.discs) {
      auto const& rs = rows[size_t(d.r)];
      at.resize(rs.size());
      for (size_t i = 0; i < rs.size(); ++i)
        at[i] = {rs[i].x + int(d.x), rs[i].y + int(d.y), rs[i].w, 1};
      sd.colour(d.colour);
      SDL_RenderFillRects(sd.r, at.data(), int(at.size()));
    }
    SDL_RenderFlush(sd.r);
  });
}
BENCHMARK(BM_DiscsSDLSoftware)->MinTime(2.0);

// ---- cairo directly ----------------------------------------------------------------------

// The floor of the antialiased path: the same strokes and fills with the settings libdisp
// uses (half-pixel tolerance, pixel centres, round caps), no library in between.
struct plaincairo {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, W, H);
  cairo_t* cr = cairo_create(s);
  plaincairo() {
    cairo_set_tolerance(cr, 0.5);
    cairo_set_line_width(cr, 1);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  }
  ~plaincairo() {
    cairo_destroy(cr);
    cairo_surface_destroy(s);
  }
  void colour(unsigned long c) {
    cairo_set_source_rgb(cr, double(c >> 16 & 255) / 255, double(c >> 8 & 255) / 255,
                         double(c & 255) / 255);
  }
};

void BM_LinesCairoDirect(benchmark::State& state) {
  plaincairo pc;
  auto const& s = theshapes();
  timed(state, [&] {
    pc.colour(0);
    cairo_paint(pc.cr);
    for (line const& l : s.lines) {
      cairo_move_to(pc.cr, double(l.x) + 0.5, double(l.y) + 0.5);
      cairo_line_to(pc.cr, double(l.x + l.dx) + 0.5, double(l.y + l.dy) + 0.5);
      pc.colour(l.colour);
      cairo_stroke(pc.cr);
    }
    cairo_surface_flush(pc.s);
  });
}
BENCHMARK(BM_LinesCairoDirect)->MinTime(2.0);

void BM_DiscsCairoDirect(benchmark::State& state) {
  plaincairo pc;
  auto const& s = theshapes();
  timed(state, [&] {
    pc.colour(0);
    cairo_paint(pc.cr);
    for (disc const& d : s.discs) {
      cairo_arc(pc.cr, double(d.x) + 0.5, double(d.y) + 0.5, double(d.r), 0, 6.283185307179586);
      pc.colour(d.colour);
      cairo_fill(pc.cr);
    }
    cairo_surface_flush(pc.s);
  });
}
BENCHMARK(BM_DiscsCairoDirect)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  // The canvas without a window, on the real clock.
  setenv("DISP_HEADLESS", "1", 1);
  unsetenv("DISP_CLOCK");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
