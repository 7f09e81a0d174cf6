// Native Wayland without GL: the canvas copied into shared-memory buffers that are attached
// to the window's own wl_surface (the one SDL made, framed by libdecor's subsurfaces), at
// the output's pixel size and scale, only the parts that changed. Buffers take turns, and
// one is written again only after the compositor released it; nothing here ever waits.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/disp/sdl/wl_present.h"

namespace {

// Rows compared, copied and damaged together: small enough that a change in one corner
// costs little, large enough that a frame that changed everywhere is a few rectangles.
constexpr int dsp_band = 16;
// Two buffers take turns; a third is made only while the compositor holds both. With all
// three held the frame is left out: the compositor is then showing none of them.
constexpr int dsp_wlbuffers = 3;
// The compositor's answer to our first questions (its shared-memory global).
constexpr int dsp_wlwaitms = 2000;

// Columns [lo, hi) of a band, in the shown part of the output; none when lo >= hi.
struct dsp_span {
  int lo = 0, hi = 0;
  bool empty() const { return lo >= hi; }
  void add(dsp_span o) {
    if (o.empty()) return;
    if (empty()) {
      *this = o;
    } else {
      lo = std::min(lo, o.lo);
      hi = std::max(hi, o.hi);
    }
  }
};

struct dsp_wlbuf {
  wl_buffer* buffer = nullptr;
  unsigned char* pixels = nullptr;  // our mapping of its memory
  size_t size = 0;
  bool busy = false;            // attached, and not yet released
  unsigned long bars = ~0ul;    // the colour its bars are painted in (~0: not yet)
  std::vector<dsp_span> stale;  // per band: what it lacks of the picture since it was shown
};

struct {
  bool on = false;
  wl_display* display = nullptr;
  wl_surface* surface = nullptr;    // SDL's: never destroyed here
  wl_event_queue* queue = nullptr;  // our events (releases), kept out of SDL's queue
  wl_registry* registry = nullptr;
  wl_shm* shm = nullptr;
  int w = 0, h = 0, scale = 1;  // the buffers' size (the output's) and buffer scale
  dsp_wlbuf buf[dsp_wlbuffers];
  int shown = -1;                 // the buffer last attached, whose picture is shown
  bool fresh = true;              // laid out anew: the next frame replaces all
  std::vector<dsp_span> changed;  // this frame's, per band
} dsp_wls;

void dsp_wlglobal(void*, wl_registry* r, uint32_t name, char const* interface, uint32_t) {
  if (strcmp(interface, wl_shm_interface.name) == 0 && !dsp_wls.shm)
    dsp_wls.shm = static_cast<wl_shm*>(wl_registry_bind(r, name, &wl_shm_interface, 1));
}
void dsp_wlglobalgone(void*, wl_registry*, uint32_t) {}
wl_registry_listener const dsp_wlregistry = {dsp_wlglobal, dsp_wlglobalgone};

void dsp_wlreleased(void* b, wl_buffer*) { static_cast<dsp_wlbuf*>(b)->busy = false; }
wl_buffer_listener const dsp_wlbuflistener = {dsp_wlreleased};

void dsp_wlsynced(void* done, wl_callback*, uint32_t) { *static_cast<bool*>(done) = true; }
wl_callback_listener const dsp_wlsynclistener = {dsp_wlsynced};

int dsp_wlbands() { return (dsp.win.dh + dsp_band - 1) / dsp_band; }

void dsp_wldropbuf(dsp_wlbuf& b, bool lost) {
  if (b.buffer && !lost) wl_buffer_destroy(b.buffer);
  if (b.pixels) munmap(b.pixels, b.size);
  b = {};
}

// A buffer of the output's size in memory shared with the compositor (a memfd it maps).
bool dsp_wlmakebuf(dsp_wlbuf& b) {
  int const stride = dsp_wls.w * 4;
  size_t const size = size_t(stride) * size_t(dsp_wls.h);
  int fd = memfd_create("disp-frame", MFD_CLOEXEC);
  if (fd < 0) return false;
  void* px = ftruncate(fd, off_t(size)) == 0
                 ? mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                 : MAP_FAILED;
  if (px == MAP_FAILED) {
    close(fd);
    return false;
  }
  wl_shm_pool* pool = wl_shm_create_pool(dsp_wls.shm, fd, int32_t(size));
  b.buffer =
      wl_shm_pool_create_buffer(pool, 0, dsp_wls.w, dsp_wls.h, stride, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);  // the buffer keeps the memory
  close(fd);
  wl_buffer_add_listener(b.buffer, &dsp_wlbuflistener, &b);
  b.pixels = static_cast<unsigned char*>(px);
  b.size = size;
  b.busy = false;
  b.bars = ~0ul;
  b.stale.assign(size_t(dsp_wlbands()), dsp_span{0, dsp.win.dw});
  return true;
}

// Takes in what the compositor sent us (releases) without waiting.
void dsp_wlread() {
  wl_display* d = dsp_wls.display;
  if (wl_display_prepare_read_queue(d, dsp_wls.queue) == 0) {
    pollfd p = {wl_display_get_fd(d), POLLIN, 0};
    if (poll(&p, 1, 0) > 0 && (p.revents & POLLIN))
      wl_display_read_events(d);
    else
      wl_display_cancel_read(d);
  }
  wl_display_dispatch_queue_pending(d, dsp_wls.queue);
}

// The buffer for the next frame: another than the shown one where the compositor gave it
// back, else the shown one once released, else a new one while there is room for it.
int dsp_wlpick() {
  int pick = -1;
  for (int i = 0; i < dsp_wlbuffers && pick < 0; ++i)
    if (i != dsp_wls.shown && dsp_wls.buf[i].buffer && !dsp_wls.buf[i].busy) pick = i;
  if (pick < 0 && dsp_wls.shown >= 0 && !dsp_wls.buf[dsp_wls.shown].busy) pick = dsp_wls.shown;
  for (int i = 0; i < dsp_wlbuffers && pick < 0; ++i)
    if (!dsp_wls.buf[i].buffer && dsp_wlmakebuf(dsp_wls.buf[i])) pick = i;
  return pick;
}

unsigned char* dsp_wlat(dsp_wlbuf const& b, int x, int y) {
  return b.pixels + (std::ptrdiff_t(dsp.win.oy) + y) * dsp_wls.w * 4 +
         (std::ptrdiff_t(dsp.win.ox) + x) * 4;
}

// Where the canvas differs from the shown buffer: the bands with a changed row, across the
// whole width (finding the changed columns too cost more than copying them: a row that
// changed is told apart at its first changed pixel, an unchanged one is read through).
// A band found changed is not read further.
void dsp_wldiff(cairo_surface_t* cs, dsp_wlbuf const& shown) {
  unsigned char const* from = cairo_image_surface_get_data(cs);
  int const stride = cairo_image_surface_get_stride(cs), w = dsp.win.dw;
  for (int y = 0; y < dsp.win.dh; ++y) {
    dsp_span& s = dsp_wls.changed[size_t(y / dsp_band)];
    if (s.lo == 0 && s.hi == w) continue;
    if (memcmp(from + std::ptrdiff_t(y) * stride, dsp_wlat(shown, 0, y), size_t(w) * 4) != 0)
      s = {0, w};
  }
}

// The bars around the shown part, in the background colour.
void dsp_wlbars(dsp_wlbuf& b, unsigned long bg) {
  uint32_t const c = uint32_t(0xFF000000u | (bg & 0xFFFFFF));
  int const ox = dsp.win.ox, oy = dsp.win.oy, dw = dsp.win.dw, dh = dsp.win.dh;
  for (int y = 0; y < dsp_wls.h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(b.pixels + std::ptrdiff_t(y) * dsp_wls.w * 4);
    if (y < oy || y >= oy + dh) {
      std::fill_n(row, dsp_wls.w, c);
    } else {
      std::fill_n(row, ox, c);
      std::fill_n(row + ox + dw, dsp_wls.w - ox - dw, c);
    }
  }
  b.bars = bg;
}

// Brings buffer b up to the canvas: shrunk into it when the canvas is larger than its part,
// else its stale columns and those changed now copied over.
void dsp_wlfill(cairo_surface_t* cs, dsp_wlbuf& b, bool shrunk) {
  if (shrunk) {
    cairo_surface_t* to = cairo_image_surface_create_for_data(b.pixels, CAIRO_FORMAT_RGB24,
                                                              dsp_wls.w, dsp_wls.h, dsp_wls.w * 4);
    if (cairo_surface_status(to) == CAIRO_STATUS_SUCCESS) dsp_shrink(to);
    cairo_surface_destroy(to);
    return;
  }
  unsigned char const* from = cairo_image_surface_get_data(cs);
  int const stride = cairo_image_surface_get_stride(cs);
  for (int y = 0; y < dsp.win.dh; ++y) {
    dsp_span u = b.stale[size_t(y / dsp_band)];
    u.add(dsp_wls.changed[size_t(y / dsp_band)]);
    if (!u.empty())
      memcpy(dsp_wlat(b, u.lo, y), from + std::ptrdiff_t(y) * stride + std::ptrdiff_t(u.lo) * 4,
             size_t(u.hi - u.lo) * 4);
  }
}

// Tells the compositor what changed against the shown picture: runs of bands with the same
// columns as one rectangle each, and the whole output where the bars changed.
void dsp_wldamagerect(int x, int y, int w, int h) {
  if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(dsp_wls.surface)) >= 4) {
    wl_surface_damage_buffer(dsp_wls.surface, x, y, w, h);
  } else {  // older compositors take damage in the surface's coordinates only
    int const s = dsp_wls.scale;
    wl_surface_damage(dsp_wls.surface, x / s, y / s, (x + w + s - 1) / s - x / s,
                      (y + h + s - 1) / s - y / s);
  }
}

void dsp_wldamage(bool bars) {
  if (bars) {
    dsp_wldamagerect(0, 0, dsp_wls.w, dsp_wls.h);
    return;
  }
  int const n = dsp_wlbands();
  for (int i = 0; i < n;) {
    dsp_span const s = dsp_wls.changed[size_t(i)];
    int j = i + 1;
    while (j < n && dsp_wls.changed[size_t(j)].lo == s.lo && dsp_wls.changed[size_t(j)].hi == s.hi)
      ++j;
    if (!s.empty()) {
      int const y = i * dsp_band, y2 = std::min(j * dsp_band, dsp.win.dh);
      dsp_wldamagerect(dsp.win.ox + s.lo, dsp.win.oy + y, s.hi - s.lo, y2 - y);
    }
    i = j;
  }
}

}  // namespace

bool dsp_wlsync(wl_display* d, wl_event_queue* q, int ms) {
  bool done = false;
  auto* wrapped = static_cast<wl_display*>(q ? wl_proxy_create_wrapper(d) : d);
  if (!wrapped) return false;
  if (q) wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), q);
  wl_callback* cb = wl_display_sync(wrapped);
  if (q) wl_proxy_wrapper_destroy(wrapped);
  wl_callback_add_listener(cb, &dsp_wlsynclistener, &done);
  int64_t const end = dsp_steadyns() + int64_t(ms) * 1'000'000;
  while (!done) {
    int const ready = q ? wl_display_prepare_read_queue(d, q) : wl_display_prepare_read(d);
    if (ready != 0) {  // events of that queue wait already
      if ((q ? wl_display_dispatch_queue_pending(d, q) : wl_display_dispatch_pending(d)) < 0) break;
      continue;
    }
    if (wl_display_flush(d) < 0 && errno != EAGAIN) {
      wl_display_cancel_read(d);
      break;
    }
    int64_t const left = (end - dsp_steadyns()) / 1'000'000;
    pollfd p = {wl_display_get_fd(d), POLLIN, 0};
    if (left <= 0 || poll(&p, 1, int(left)) <= 0 || !(p.revents & POLLIN)) {
      wl_display_cancel_read(d);
      break;
    }
    if (wl_display_read_events(d) < 0) break;
    if ((q ? wl_display_dispatch_queue_pending(d, q) : wl_display_dispatch_pending(d)) < 0) break;
  }
  wl_callback_destroy(cb);
  return done;
}

bool dsp_wlshmopen(SDL_Window* w) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!w || !SDL_GetWindowWMInfo(w, &info) || info.subsystem != SDL_SYSWM_WAYLAND) return false;
  dsp_wlshmclose(false);
  dsp_wls.display = info.info.wl.display;
  dsp_wls.surface = info.info.wl.surface;
  dsp_wls.queue = wl_display_create_queue(dsp_wls.display);
  auto* wrapped = static_cast<wl_display*>(wl_proxy_create_wrapper(dsp_wls.display));
  if (!dsp_wls.queue || !wrapped) {
    if (wrapped) wl_proxy_wrapper_destroy(wrapped);
    dsp_wlshmclose(false);
    return false;
  }
  wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), dsp_wls.queue);
  dsp_wls.registry = wl_display_get_registry(wrapped);
  wl_proxy_wrapper_destroy(wrapped);
  wl_registry_add_listener(dsp_wls.registry, &dsp_wlregistry, nullptr);
  if (!dsp_wlsync(dsp_wls.display, dsp_wls.queue, dsp_wlwaitms) || !dsp_wls.shm) {
    dsp_wlshmclose(false);
    return false;
  }
  dsp_wls.on = true;
  return true;
}

bool dsp_wlshmon() { return dsp_wls.on; }

bool dsp_wlshmattach() {
  int w = 0, h = 0, pw = 0, ph = 0;
  SDL_GetWindowSize(dsp_sdl.window, &w, &h);
  SDL_GetWindowSizeInPixels(dsp_sdl.window, &pw, &ph);
  if (w < 1 || h < 1 || pw < 1 || ph < 1) return false;
  dsp_layout(pw, ph);
  dsp.win.direct = false;
  if (dsp.win.outw != dsp_wls.w || dsp.win.outh != dsp_wls.h) {
    for (dsp_wlbuf& b : dsp_wls.buf) dsp_wldropbuf(b, false);
    dsp_wls.shown = -1;
    dsp_wls.w = dsp.win.outw;
    dsp_wls.h = dsp.win.outh;
  }
  // SDL draws at a whole multiple of the window's size and says so with the buffer scale;
  // where it shows the buffer through a viewport instead (a fractional scale), it set the
  // scale to 1 itself.
  dsp_wls.scale = pw % w == 0 && ph == h * (pw / w) ? pw / w : 1;
  size_t const bands = size_t(dsp_wlbands());
  for (dsp_wlbuf& b : dsp_wls.buf) {
    b.stale.assign(bands, dsp_span{0, dsp.win.dw});
    b.bars = ~0ul;
  }
  dsp_wls.changed.assign(bands, dsp_span{});
  dsp_wls.fresh = true;
  return dsp_newcanvas(nullptr, 0);
}

void dsp_wlshmpresent() {
  cairo_surface_t* cs = dsp.canvas.surface;
  if (!dsp_wls.on || !cs || dsp_wls.w != dsp.win.outw || dsp_wls.h != dsp.win.outh) return;
  cairo_surface_flush(cs);
  dsp_wlread();
  // A compositor that stopped reading gets no more requests until it catches up.
  if (wl_display_flush(dsp_wls.display) < 0) return;
  int const t = dsp_wlpick();
  if (t < 0) return;
  dsp_wlbuf& to = dsp_wls.buf[t];
  bool const shrunk = dsp.win.dw != dsp.win.cw || dsp.win.dh != dsp.win.ch;
  std::fill(dsp_wls.changed.begin(), dsp_wls.changed.end(), dsp_span{});
  if (shrunk || dsp_wls.fresh || dsp_wls.shown < 0)
    std::fill(dsp_wls.changed.begin(), dsp_wls.changed.end(), dsp_span{0, dsp.win.dw});
  else
    dsp_wldiff(cs, dsp_wls.buf[dsp_wls.shown]);
  unsigned long const bg = dsp.canvas.bg;
  bool const newbars = dsp_wls.fresh || dsp_wls.shown < 0 || dsp_wls.buf[dsp_wls.shown].bars != bg;
  dsp_wlfill(cs, to, shrunk);
  if (to.bars != bg) dsp_wlbars(to, bg);
  for (dsp_wlbuf& b : dsp_wls.buf)
    if (&b != &to && b.buffer)
      for (size_t i = 0; i < b.stale.size(); ++i) b.stale[i].add(dsp_wls.changed[i]);
  std::fill(to.stale.begin(), to.stale.end(), dsp_span{});
  wl_surface_set_buffer_scale(dsp_wls.surface, dsp_wls.scale);
  wl_surface_attach(dsp_wls.surface, to.buffer, 0, 0);
  dsp_wldamage(newbars);
  wl_surface_commit(dsp_wls.surface);
  wl_display_flush(dsp_wls.display);  // what does not fit now goes with the next frame
  to.busy = true;
  dsp_wls.shown = t;
  dsp_wls.fresh = false;
}

void dsp_wlshmclose(bool lost) {
  for (dsp_wlbuf& b : dsp_wls.buf) dsp_wldropbuf(b, lost);
  if (!lost) {
    if (dsp_wls.shm) wl_shm_destroy(dsp_wls.shm);
    if (dsp_wls.registry) wl_registry_destroy(dsp_wls.registry);
    if (dsp_wls.queue) wl_event_queue_destroy(dsp_wls.queue);
  }
  dsp_wls = {};
}
