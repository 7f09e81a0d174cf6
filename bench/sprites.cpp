// Sprites at volume: 10,000 sprites of 32 x 32 with alpha a frame on an 800 x 600 picture,
// plain (drawbmp, and drawsprite unturned) and turned (drawsprite at a different angle
// each), against cairo called directly with the same pixels (set_source_surface and paint;
// turned through the context's matrix with bilinear filtering). Each pair draws in turns,
// frame for frame, so both see the same load on a shared machine.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "bench/paired.h"
#include "platform/disp/disp.h"

namespace {

constexpr int W = 800, H = 600, N = 10000, S = 32;

struct place {
  long x, y;
  double degrees;
};

// The same places for every contender, from a fixed seed.
std::vector<place> const& places() {
  static std::vector<place> const all = [] {
    std::vector<place> v;
    uint64_t s = 2026;
    auto in = [&](long lo, long hi) {
      s = s * 6364136223846793005ull + 1442695040888963407ull;
      return lo + long((s >> 33) % uint64_t(hi - lo + 1));
    };
    for (int i = 0; i < N; ++i)
      v.push_back({in(-S / 2, W - S / 2), in(-S / 2, H - S / 2), double(in(0, 359))});
    return v;
  }();
  return all;
}

// The sprite: a soft-edged disc with a see-through rim, drawn by libdisp into a bitmap with
// alpha; the rival uses the very same pixels.
bitmap* thesprite() {
  static bitmap* b = [] {
    CreateWin42(W, H);
    bitmap* s = disp_createbmpalpha(S, S);
    Circle185(s, S / 2, S / 2, S / 2 - 2, 0xFFFF00, 0xFF8020);
    Circle185(s, S / 2, S / 2, 6, 1, 0xFFFFFF);
    return s;
  }();
  return b;
}

void ours(bool turned, bool viasprite) {
  bitmap* s = thesprite();
  Clear163(0x102030);
  for (place const& p : places()) {
    if (turned) {
      disp_sprite how = {};
      how.x = double(p.x + S / 2), how.y = double(p.y + S / 2), how.degrees = p.degrees;
      how.originx = how.originy = S / 2;
      disp_drawspriteonwin(s, &how);
    } else if (viasprite) {
      disp_sprite how = {};
      how.x = double(p.x), how.y = double(p.y);
      disp_drawspriteonwin(s, &how);
    } else {
      DrawBMP216(s, qe_u(p.x), qe_u(p.y));
    }
  }
}

struct plaincairo {
  cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_RGB24, W, H);
  cairo_t* cr = cairo_create(target);
  cairo_surface_t* sprite = cairo_get_target(static_cast<cairo_t*>(GetDraw76(thesprite())));
  ~plaincairo() {
    cairo_destroy(cr);
    cairo_surface_destroy(target);
  }
  void draw(bool turned) {
    cairo_set_source_rgb(cr, 0x10 / 255.0, 0x20 / 255.0, 0x30 / 255.0);
    cairo_paint(cr);
    for (place const& p : places()) {
      if (turned) {
        cairo_save(cr);
        cairo_translate(cr, double(p.x + S / 2), double(p.y + S / 2));
        cairo_rotate(cr, p.degrees * 3.141592653589793 / 180.0);
        cairo_set_source_surface(cr, sprite, -S / 2, -S / 2);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
        cairo_paint(cr);
        cairo_restore(cr);
      } else {
        cairo_set_source_surface(cr, sprite, double(p.x), double(p.y));
        cairo_paint(cr);
      }
    }
    cairo_surface_flush(target);
  }
};

// Goal: at most 15 ms a frame on one core.
void BM_PairPlainDrawbmpVsCairo(benchmark::State& state) {
  plaincairo pc;
  paired(
      state, [] { ours(false, false); }, [&] { pc.draw(false); });
}
BENCHMARK(BM_PairPlainDrawbmpVsCairo)->MinTime(3.0);

void BM_PairPlainDrawspriteVsCairo(benchmark::State& state) {
  plaincairo pc;
  paired(
      state, [] { ours(false, true); }, [&] { pc.draw(false); });
}
BENCHMARK(BM_PairPlainDrawspriteVsCairo)->MinTime(3.0);

// Goal: at most 40 ms a frame on one core.
void BM_PairTurnedDrawspriteVsCairo(benchmark::State& state) {
  plaincairo pc;
  paired(
      state, [] { ours(true, true); }, [&] { pc.draw(true); });
}
BENCHMARK(BM_PairTurnedDrawspriteVsCairo)->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) { return benchmain(argc, argv); }
