// Drawing cost of libdisp on its headless canvas: a busy game frame against the same shapes
// drawn with plain cairo calls, a bare frame, shapes wholly off the canvas, and the real
// length of Delay28(1). Each benchmark reports the median of its single iterations.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "bench/paired.h"
#include "platform/disp/disp.h"

namespace {

// ---- The scene ---------------------------------------------------------------------

struct circ {
  long x, y, r;
  unsigned long colour;
};
struct tri {
  long x1, y1, x2, y2, x3, y3;
  unsigned long colour;
};

// About what the game draws when the view is full: 16 loops of radius 30..180, 40 spikes,
// two split circles (4 arcs), 16 loop numbers and 4 more texts, the chasing line.
struct scene {
  std::vector<circ> circles;
  std::vector<tri> spikes;
  std::vector<circ> arcs;
  std::vector<circ> texts;  // x, y = centre, r = number
  scene() {
    for (int i = 0; i < 16; ++i) {
      long r = 30 + 30 * (i % 6);
      circles.push_back(
          {100 + (i % 4) * 200, 75 + (i / 4) * 150, r, HSN2RGB100((i * 23) | 0xAAFF00)});
    }
    for (int i = 0; i < 40; ++i) {
      circ const& c = circles[i % 16];
      double t = i * 0.7, k = 10.0 / c.r, q = std::sqrt(1 - k * k);
      double ux = std::sin(t), uy = std::cos(t), vx = std::cos(t), vy = -std::sin(t);
      double d = c.r * q;
      spikes.push_back({long(c.x + c.r * (q * ux + k * vx)), long(c.y + c.r * (q * uy + k * vy)),
                        long(c.x + c.r * (q * ux - k * vx)), long(c.y + c.r * (q * uy - k * vy)),
                        long(c.x + (d - 20) * ux), long(c.y + (d - 20) * uy), c.colour});
    }
    for (int i = 0; i < 2; ++i) arcs.push_back({250 + 300 * i, 300, 120, circles[i].colour});
    for (int i = 0; i < 20; ++i) texts.push_back({circles[i % 16].x, circles[i % 16].y, i * 7, 0});
  }
};

scene const& thescene() {
  static scene s;
  return s;
}

constexpr double third = 1.0471975511965976;  // π/3: where the chasing line cuts

void libdisp_frame(scene const& s) {
  Clear164();
  for (tri const& t : s.spikes) Triangle166(t.x1, t.y1, t.x2, t.y2, t.x3, t.y3, 1, t.colour);
  for (circ const& c : s.circles) Circle186(c.x, c.y, c.r, c.colour, 1);
  for (circ const& a : s.arcs) {
    Arc170(a.x, a.y, a.r, a.r, third, -third, a.colour, 1);
    Arc170(a.x, a.y, a.r, a.r, -third, third, 0x808080, 1);
  }
  SetFontSize107(20, 40);
  for (circ const& t : s.texts) {
    char const* txt = i2s7(t.r);
    unsigned long w = GetStringWidth115(txt), h = GetStringHeight116(txt);
    DrawTextXY121(txt, t.x - long(w >> 1), t.y - long(h >> 1), 0xFFFFFF);
  }
  Circle187(400, 300, 6, 0xFFFFFF);
  Line155(330, -200, 0, 1000, 0x44AAFF);
  FreshWin45();
}

// The same shapes through cairo directly, on an 800x600 RGB24 image, pen 2.
struct plaincairo {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 800, 600);
  cairo_t* cr = cairo_create(surface);
  explicit plaincairo(double tolerance) {
    cairo_set_tolerance(cr, tolerance);
    cairo_set_line_width(cr, 2);
    cairo_select_font_face(cr, "monospace", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 33);
  }
  ~plaincairo() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
  void rgb(unsigned long c) {
    cairo_set_source_rgb(cr, (c >> 16 & 255) / 255.0, (c >> 8 & 255) / 255.0, (c & 255) / 255.0);
  }
  void frame(scene const& s) {
    rgb(0);
    cairo_paint(cr);
    for (tri const& t : s.spikes) {
      cairo_move_to(cr, t.x1 + 0.5, t.y1 + 0.5);
      cairo_line_to(cr, t.x2 + 0.5, t.y2 + 0.5);
      cairo_line_to(cr, t.x3 + 0.5, t.y3 + 0.5);
      cairo_close_path(cr);
      rgb(t.colour);
      cairo_fill(cr);
    }
    for (circ const& c : s.circles) {
      cairo_arc(cr, c.x + 0.5, c.y + 0.5, c.r, 0, 2 * M_PI);
      rgb(c.colour);
      cairo_stroke(cr);
    }
    for (circ const& a : s.arcs) {
      cairo_arc(cr, a.x + 0.5, a.y + 0.5, a.r, -third, third);
      rgb(a.colour);
      cairo_stroke(cr);
      cairo_arc(cr, a.x + 0.5, a.y + 0.5, a.r, third, 2 * M_PI - third);
      rgb(0x808080);
      cairo_stroke(cr);
    }
    for (circ const& t : s.texts) {
      char txt[24];
      snprintf(txt, sizeof txt, "%ld", t.r);
      cairo_text_extents_t te;
      cairo_text_extents(cr, txt, &te);
      cairo_move_to(cr, t.x - te.x_advance / 2, t.y + 10);
      rgb(0xFFFFFF);
      cairo_show_text(cr, txt);
    }
    cairo_arc(cr, 400.5, 300.5, 6, 0, 2 * M_PI);
    rgb(0xFFFFFF);
    cairo_fill(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, 330.5, -199.5);
    cairo_line_to(cr, 330.5, 800.5);
    rgb(0x44AAFF);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_surface_flush(surface);
  }
};

// ---- Timing --------------------------------------------------------------------------

// Runs `body` once per iteration and reports the median and the 99th percentile of the
// single runs in microseconds.
template <class F>
void timed(benchmark::State& state, F&& body) {
  std::vector<double> us;
  us.reserve(4096);
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    body();
    auto t1 = std::chrono::steady_clock::now();
    us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
  }
  std::sort(us.begin(), us.end());
  state.counters["median_us"] = us[us.size() / 2];
  state.counters["p99_us"] = us[std::min(us.size() - 1, us.size() * 99 / 100)];
}

void openwin() {
  static bool open = [] {
    CreateWin42(800, 600);
    SetPenWidth82(2);
    SetFontName113("Consolas");
    return true;
  }();
  (void)open;
}

void BM_BusyFrameLibdisp(benchmark::State& state) {
  openwin();
  scene const& s = thescene();
  timed(state, [&] { libdisp_frame(s); });
}
BENCHMARK(BM_BusyFrameLibdisp)->MinTime(1.0);

void BM_BusyFramePlainCairo(benchmark::State& state) {
  plaincairo pc(double(state.range(0)) / 10);
  scene const& s = thescene();
  timed(state, [&] { pc.frame(s); });
}
// Tolerance in tenths of a pixel: 1 is cairo's default, 5 what libdisp uses.
BENCHMARK(BM_BusyFramePlainCairo)->Arg(1)->Arg(5)->MinTime(1.0);

void BM_BareFrame(benchmark::State& state) {
  openwin();
  timed(state, [] {
    Clear164();
    FreshWin45();
  });
}
BENCHMARK(BM_BareFrame)->MinTime(0.5);

// 100 circles and 100 spikes, all beyond the right edge: what a course that has scrolled
// away costs per shape.
void BM_OffscreenShapes(benchmark::State& state) {
  openwin();
  for (auto _ : state) {
    for (long i = 0; i < 100; ++i) {
      Circle186(1000 + i * 50, 300, 180, 0xFF0000, 1);
      Triangle166(1000 + i * 50, 300, 1020 + i * 50, 300, 1010 + i * 50, 280, 1, 0x00FF00);
    }
  }
  state.SetItemsProcessed(state.iterations() * 200);
}
BENCHMARK(BM_OffscreenShapes);

void BM_Delay1ms(benchmark::State& state) {
  timed(state, [] { Delay28(1); });
}
BENCHMARK(BM_Delay1ms)->Iterations(1000)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return benchmain(argc, argv); }
