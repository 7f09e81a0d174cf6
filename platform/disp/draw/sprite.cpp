// Sprites: a bitmap, or a part of it, drawn turned about a pivot, scaled and mirrored, in the
// target's blend mode. Unturned and unscaled at whole pixels it is drawbmp itself; quarter
// turns and scales take the source pixel under each pixel's centre, so pixel art stays
// exact; any other turn samples bilinearly where the target's antialiasing is on (soft
// edges), else the nearest pixel; the pixel loops are in sprite_simd.cpp.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "platform/disp/draw/sprite_simd.h"
#include "platform/disp/internal.h"

namespace {

// Scales beyond these draw nothing (a sprite of a hundredth of a pixel) or are refused.
constexpr double dsp_scalemin = 1e-4, dsp_scalemax = 16384;

// The part's texels (see dsp_texels). Smooth samples at the part's edges weigh texels
// outside it as transparent; a copy with a ring of transparent texels around the part lets
// the loops read them as any other, with no edge tests. It is made when the part is copied
// anyway, is small (64 x 64 copies in about a microsecond), or is no bigger than the box
// it is drawn into (so copying costs less than drawing); a big part drawn small is read
// where it lies.
void dsp_texelsof(bitmap& src, long sx, long sy, long sw, long sh, bool smooth, double box,
                  dsp_texels& t) {
  dsp_pixels const s = dsp_pixelsof(src);
  unsigned long const key =
      &src == &dsp.canvas ? 1 : static_cast<dsp_picture const&>(src).key & 0xFFFFFF;
  bool const alpha = dsp_hasalpha(src), keyed = key != 1;
  t.w = sw, t.h = sh;
  t.ringed = smooth && (!alpha || keyed || double(sw) * double(sh) <= std::max(box, 4096.0));
  if (alpha && !keyed && !t.ringed) {
    t.p = s.row(int(sy)) + sx;
    t.stride = s.stride;
    return;
  }
  long const ring = t.ringed ? 1 : 0;
  t.stride = sw + 2 * ring;
  t.copy.assign(size_t(t.stride) * size_t(sh + 2 * ring), 0);
  t.p = t.copy.data() + ring * t.stride + ring;
  for (long j = 0; j < sh; ++j) {
    uint32_t const* row = s.row(int(sy + j)) + sx;
    uint32_t* out = t.copy.data() + (j + ring) * t.stride + ring;
    if (alpha && !keyed) {
      std::memcpy(out, row, size_t(sw) * 4);
      continue;
    }
    uint32_t const opaque = alpha ? 0 : 0xFF000000u;
    for (long i = 0; i < sw; ++i) {
      uint32_t const v = row[i] | opaque;
      out[i] = keyed && (v & 0xFFFFFF) == key ? 0 : v;
    }
  }
}

bool dsp_finite(disp_sprite const& s) {
  for (double v : {s.x, s.y, s.degrees, s.scalex, s.scaley, s.originx, s.originy})
    if (!std::isfinite(v)) return false;
  return true;
}

// Exact sine and cosine for quarter turns, so that they map pixels onto pixels.
bool dsp_turn(double degrees, double& c, double& s) {
  double r = std::fmod(degrees, 360.0);
  if (r < 0) r += 360.0;
  if (r == 0 || r == 90 || r == 180 || r == 270) {
    int const q = int(r) / 90;
    c = q == 0 ? 1 : q == 2 ? -1 : 0;
    s = q == 1 ? 1 : q == 3 ? -1 : 0;
    return true;
  }
  double const rad = r * (3.141592653589793 / 180.0);
  c = std::cos(rad), s = std::sin(rad);
  return false;
}

void dsp_drawsprite(char const* entry, bitmap* dest, bitmap* src, disp_sprite const* how) {
  if (!dest || !dsp_liveof(src, entry)) return;
  if (!how) return dsp_fail(dsp_earg, entry, "the sprite's description is null");
  disp_sprite const& sp = *how;
  if (!dsp_finite(sp)) return dsp_fail(dsp_earg, entry, "a number of the sprite is not finite");
  if (dest == src) return dsp_fail(dsp_earg, entry, "a bitmap cannot be drawn onto itself");
  if (sp.sx < 0 || sp.sy < 0 || sp.sx >= src->w || sp.sy >= src->h || sp.sw < 0 || sp.sh < 0)
    return dsp_fail(dsp_earg, entry,
                    "the part (%ld, %ld) %ld x %ld is not inside the %d x %d bitmap", sp.sx, sp.sy,
                    sp.sw, sp.sh, src->w, src->h);
  long const sw = sp.sw == 0 ? src->w - sp.sx : std::min(sp.sw, src->w - sp.sx);
  long const sh = sp.sh == 0 ? src->h - sp.sy : std::min(sp.sh, src->h - sp.sy);
  double const kx = sp.scalex == 0 ? 1 : sp.scalex, ky = sp.scaley == 0 ? 1 : sp.scaley;
  if (std::abs(kx) > dsp_scalemax || std::abs(ky) > dsp_scalemax)
    return dsp_fail(dsp_earg, entry, "a scale beyond %g is refused", dsp_scalemax);
  if (std::abs(kx) < dsp_scalemin || std::abs(ky) < dsp_scalemin) return;  // too small to show
  double c, s;
  bool const quarter = dsp_turn(sp.degrees, c, s);
  // Unturned, unscaled, unmirrored, at whole pixels: drawbmp's own way, pixel for pixel.
  double const left = sp.x - sp.originx, top = sp.y - sp.originy;
  if (quarter && c == 1 && kx == 1 && ky == 1 && !sp.flipx && !sp.flipy &&
      left == std::floor(left) && top == std::floor(top) && std::abs(left) < dsp_xymax &&
      std::abs(top) < dsp_xymax)
    return dsp_drawpart(entry, dest, src, long(left), long(top), sp.sx, sp.sy, sw, sh);
  // The box the turned part covers on the target: its corners, p = pos + R S (q - origin).
  double bx0 = HUGE_VAL, by0 = HUGE_VAL, bx1 = -HUGE_VAL, by1 = -HUGE_VAL;
  for (int k = 0; k < 4; ++k) {
    double const qx = ((k & 1) ? double(sw) : 0) - sp.originx;
    double const qy = ((k & 2) ? double(sh) : 0) - sp.originy;
    double const px = sp.x + c * kx * qx - s * ky * qy, py = sp.y + s * kx * qx + c * ky * qy;
    bx0 = std::min(bx0, px), bx1 = std::max(bx1, px), by0 = std::min(by0, py),
    by1 = std::max(by1, py);
  }
  bx0 = std::max(std::floor(bx0), 0.0), by0 = std::max(std::floor(by0), 0.0);
  bx1 = std::min(std::ceil(bx1), double(dest->w)), by1 = std::min(std::ceil(by1), double(dest->h));
  if (!(bx0 < bx1 && by0 < by1)) return;
  // The way back, from a target point to the part: q = S^-1 R^-1 (p - pos) + origin, then
  // mirrored within the part.
  double const fx = sp.flipx ? -1 : 1, fy = sp.flipy ? -1 : 1;
  dsp_inverse m;
  m.ux = fx * c / kx, m.uy = fx * s / kx;
  m.vx = -fy * s / ky, m.vy = fy * c / ky;
  m.u0 = fx * ((-c * sp.x - s * sp.y) / kx + sp.originx) + (sp.flipx ? double(sw) : 0);
  m.v0 = fy * ((s * sp.x - c * sp.y) / ky + sp.originy) + (sp.flipy ? double(sh) : 0);
  try {
    dsp_texels t;
    bool const smooth = !quarter && dest->aa;
    dsp_texelsof(*src, sp.sx, sp.sy, sw, sh, smooth, (bx1 - bx0) * (by1 - by0), t);
    dsp_spriteloop({dsp_pixelsof(*dest), !dsp_hasalpha(*dest), &t, m, dest->blend, smooth, int(bx0),
                    int(by0), int(bx1), int(by1)});
  } catch (std::bad_alloc const&) {
    return dsp_fail(dsp_enomem, entry, "no memory for a %ld x %ld sprite", sw, sh);
  }
  dsp_changed(*dest, int(bx0), int(by0), int(bx1 - bx0), int(by1 - by0));
}

}  // namespace

qr_v disp_drawsprite(qe_b dest, qe_b src, qe_sp how) {
  dsp_extension ext;
  dsp_setup();
  dsp_drawsprite(__func__, dsp_target(dest), src, how);
}

qr_v disp_drawspriteonwin(qe_b src, qe_sp how) {
  dsp_extension ext;
  dsp_setup();
  dsp_drawsprite(__func__, dsp_win(), src, how);
}
