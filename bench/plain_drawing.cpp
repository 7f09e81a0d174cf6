// Plain drawing at volume: 10,000 lines of +-100 px and 10,000 filled circles a frame on an
// 800 x 600 picture, drawn by libdisp (antialiased and hard-edged), by SDL2's software
// renderer on a surface, and by cairo called directly: each alone (median frame), and in
// turns with its rival (the goals, as ratios).
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "bench/paired.h"
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
  state.counters["cpu_median_ms"] = median(cpu);
  state.counters["wall_median_ms"] = median(wall);
}

// ---- libdisp ---------------------------------------------------------------------------

void openwin() {
  static bool open = [] {
    CreateWin42(W, H);
    SetPenWidth82(1);
    return true;
  }();
  (void)open;
}

void libdisplines(bool aa) {
  disp_setantialias(aa);
  Clear163(0);
  for (line const& l : theshapes().lines) Line155(l.x, l.y, l.dx, l.dy, l.colour);
  disp_setantialias(true);
}

void libdispdiscs(bool aa) {
  disp_setantialias(aa);
  Clear163(0);
  for (disc const& d : theshapes().discs) Circle186(d.x, d.y, d.r, 1, d.colour);
  disp_setantialias(true);
}

void BM_LinesLibdisp(benchmark::State& state) {
  openwin();
  timed(state, [&] { libdisplines(state.range(0) != 0); });
}
BENCHMARK(BM_LinesLibdisp)->ArgName("aa")->Arg(0)->Arg(1)->MinTime(2.0);

void BM_DiscsLibdisp(benchmark::State& state) {
  openwin();
  timed(state, [&] { libdispdiscs(state.range(0) != 0); });
}
BENCHMARK(BM_DiscsLibdisp)->ArgName("aa")->Arg(0)->Arg(1)->MinTime(2.0);

// ---- SDL2's software renderer ------------------------------------------------------------

struct sdlsoft {
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, W, H, 32, SDL_PIXELFORMAT_RGB888);
  SDL_Renderer* r = SDL_CreateSoftwareRenderer(surface);
  std::vector<std::vector<SDL_Rect>> rows;  // a filled circle's rows, by radius
  std::vector<SDL_Rect> at;
  sdlsoft();
  ~sdlsoft() {
    SDL_DestroyRenderer(r);
    SDL_FreeSurface(surface);
  }
  void colour(unsigned long c) {
    SDL_SetRenderDrawColor(r, Uint8(c >> 16), Uint8(c >> 8), Uint8(c), 255);
  }
  void lines() {
    colour(0);
    SDL_RenderClear(r);
    for (line const& l : theshapes().lines) {
      colour(l.colour);
      SDL_RenderDrawLine(r, int(l.x), int(l.y), int(l.x + l.dx), int(l.y + l.dy));
    }
    SDL_RenderFlush(r);
  }
  // SDL has no circles: a filled one is its rows, one SDL_RenderFillRects call a circle.
  void discs() {
    colour(0);
    SDL_RenderClear(r);
    for (disc const& d : theshapes().discs) {
      auto const& rs = rows[size_t(d.r)];
      at.resize(rs.size());
      for (size_t i = 0; i < rs.size(); ++i)
        at[i] = {rs[i].x + int(d.x), rs[i].y + int(d.y), rs[i].w, 1};
      colour(d.colour);
      SDL_RenderFillRects(r, at.data(), int(at.size()));
    }
    SDL_RenderFlush(r);
  }
};

// The rows of each radius worked out once, from the same midpoint circle libdisp draws.
sdlsoft::sdlsoft() : rows(21) {
  for (int rad = 1; rad <= 20; ++rad) {
    std::vector<int> half(size_t(rad) + 1, 0);
    for (int x = rad, y = 0, d = 1 - rad; x >= y;) {
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
    for (int y = -rad; y <= rad; ++y) {
      int hw = half[size_t(std::abs(y))];
      rows[size_t(rad)].push_back({-hw, y, 2 * hw + 1, 1});
    }
  }
}

void BM_LinesSDLSoftware(benchmark::State& state) {
  sdlsoft sd;
  timed(state, [&] { sd.lines(); });
}
BENCHMARK(BM_LinesSDLSoftware)->MinTime(2.0);

void BM_DiscsSDLSoftware(benchmark::State& state) {
  sdlsoft sd;
  timed(state, [&] { sd.discs(); });
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
  void lines() {
    colour(0);
    cairo_paint(cr);
    for (line const& l : theshapes().lines) {
      cairo_move_to(cr, double(l.x) + 0.5, double(l.y) + 0.5);
      cairo_line_to(cr, double(l.x + l.dx) + 0.5, double(l.y + l.dy) + 0.5);
      colour(l.colour);
      cairo_stroke(cr);
    }
    cairo_surface_flush(s);
  }
  void discs() {
    colour(0);
    cairo_paint(cr);
    for (disc const& d : theshapes().discs) {
      cairo_arc(cr, double(d.x) + 0.5, double(d.y) + 0.5, double(d.r), 0, 6.283185307179586);
      colour(d.colour);
      cairo_fill(cr);
    }
    cairo_surface_flush(s);
  }
};

void BM_LinesCairoDirect(benchmark::State& state) {
  plaincairo pc;
  timed(state, [&] { pc.lines(); });
}
BENCHMARK(BM_LinesCairoDirect)->MinTime(2.0);

void BM_DiscsCairoDirect(benchmark::State& state) {
  plaincairo pc;
  timed(state, [&] { pc.discs(); });
}
BENCHMARK(BM_DiscsCairoDirect)->MinTime(2.0);

// ---- In turns: the goals -----------------------------------------------------------------

// Hard-edged libdisp against SDL2's software renderer (goal: ratio <= 1.5).
void BM_PairLinesAliasedVsSDL(benchmark::State& state) {
  openwin();
  sdlsoft sd;
  paired(
      state, [] { libdisplines(false); }, [&] { sd.lines(); });
}
BENCHMARK(BM_PairLinesAliasedVsSDL)->MinTime(3.0);

void BM_PairDiscsAliasedVsSDL(benchmark::State& state) {
  openwin();
  sdlsoft sd;
  paired(
      state, [] { libdispdiscs(false); }, [&] { sd.discs(); });
}
BENCHMARK(BM_PairDiscsAliasedVsSDL)->MinTime(3.0);

// Antialiased libdisp against cairo called directly (goal: ratio <= 1.2).
void BM_PairLinesAntialiasedVsCairo(benchmark::State& state) {
  openwin();
  plaincairo pc;
  paired(
      state, [] { libdisplines(true); }, [&] { pc.lines(); });
}
BENCHMARK(BM_PairLinesAntialiasedVsCairo)->MinTime(3.0);

void BM_PairDiscsAntialiasedVsCairo(benchmark::State& state) {
  openwin();
  plaincairo pc;
  paired(
      state, [] { libdispdiscs(true); }, [&] { pc.discs(); });
}
BENCHMARK(BM_PairDiscsAntialiasedVsCairo)->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) { return benchmain(argc, argv); }
