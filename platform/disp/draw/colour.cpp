// Colours: components, packing, mixing, and the four hue models (HSL, HSV, HSI and HSN, the
// game's own) to and from 0x00RRGGBB. HSN is HSV with one twist: hues whose colour would
// come out darker than red of the same brightness (the blues) are lifted to that
// lightness, so every loop colour stands out on the black background.
#include <algorithm>
#include <cmath>

#include "platform/disp/internal.h"

namespace {

struct dsp_rgb {
  double r, g, b;  // 0..1, sRGB
};

// A hue model's packed value: hue in the low byte (a full turn over 0..255, 0 red, 85
// green, 170 blue), saturation in the next, the lightness, value, intensity or
// brightness in the third.
struct dsp_hsx {
  double h, s, x;  // h in [0, 1) of a turn, s and x in 0..1
};

dsp_hsx dsp_unpack(qe_u v) {
  return {double(v & 0xFF) / 256.0, double((v >> 8) & 0xFF) / 255.0,
          double((v >> 16) & 0xFF) / 255.0};
}

unsigned long dsp_byte(double c) {
  return (unsigned long)std::lround(std::fmin(1, std::fmax(0, c)) * 255);
}

qr_u dsp_pack(dsp_hsx c) {
  unsigned long h = (unsigned long)std::lround(c.h * 256) & 0xFF;
  return h | dsp_byte(c.s) << 8 | dsp_byte(c.x) << 16;
}

dsp_rgb dsp_split(qe_u c) {
  return {double((c >> 16) & 0xFF) / 255.0, double((c >> 8) & 0xFF) / 255.0,
          double(c & 0xFF) / 255.0};
}

qr_u dsp_join(dsp_rgb c) { return dsp_byte(c.r) << 16 | dsp_byte(c.g) << 8 | dsp_byte(c.b); }

// The hue of the colour wheel (hexagonal, as HSV and HSL have it), 0 for greys.
double dsp_hue(dsp_rgb c, double max, double min) {
  double d = max - min;
  if (d <= 0) return 0;
  double h = max == c.r ? (c.g - c.b) / d : max == c.g ? 2 + (c.b - c.r) / d : 4 + (c.r - c.g) / d;
  h /= 6;
  return h < 0 ? h + 1 : h;
}

dsp_rgb dsp_hsv(double h, double s, double v) {
  double x = h * 6;  // h in [0, 1): six sectors of the colour wheel
  int i = int(x) % 6;
  double f = x - std::floor(x);
  double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  switch (i) {
    case 0:
      return {v, t, p};
    case 1:
      return {q, v, p};
    case 2:
      return {p, v, t};
    case 3:
      return {p, q, v};
    case 4:
      return {t, p, v};
    default:
      return {v, p, q};
  }
}

dsp_hsx dsp_tohsv(dsp_rgb c) {
  double max = std::max({c.r, c.g, c.b}), min = std::min({c.r, c.g, c.b});
  return {dsp_hue(c, max, min), max > 0 ? (max - min) / max : 0, max};
}

dsp_rgb dsp_hsl(double h, double s, double l) {
  double v = l + s * std::fmin(l, 1 - l);  // HSL to HSV, then the wheel
  return dsp_hsv(h, v > 0 ? 2 * (1 - l / v) : 0, v);
}

dsp_hsx dsp_tohsl(dsp_rgb c) {
  double max = std::max({c.r, c.g, c.b}), min = std::min({c.r, c.g, c.b});
  double l = (max + min) / 2, d = max - min;
  double s = d > 0 ? d / (1 - std::fabs(2 * l - 1)) : 0;
  return {dsp_hue(c, max, min), s, l};
}

constexpr double dsp_tau = 6.283185307179586, dsp_third = dsp_tau / 3;

// HSI: intensity is the mean of the channels, saturation 1 - min/intensity, and the hue the
// angle around the grey axis (the round colour wheel). Combinations outside the RGB cube
// come out clipped to it.
dsp_rgb dsp_hsi(double h, double s, double i) {
  double a = h * dsp_tau;
  int sector = a < dsp_third ? 0 : a < 2 * dsp_third ? 1 : 2;
  a -= sector * dsp_third;
  double lo = i * (1 - s), hi = i * (1 + s * std::cos(a) / std::cos(dsp_tau / 6 - a));
  double rest = 3 * i - lo - hi;
  dsp_rgb c = sector == 0   ? dsp_rgb{hi, rest, lo}
              : sector == 1 ? dsp_rgb{lo, hi, rest}
                            : dsp_rgb{rest, lo, hi};
  return {std::fmin(1, std::fmax(0, c.r)), std::fmin(1, std::fmax(0, c.g)),
          std::fmin(1, std::fmax(0, c.b))};
}

dsp_hsx dsp_tohsi(dsp_rgb c) {
  double i = (c.r + c.g + c.b) / 3, min = std::min({c.r, c.g, c.b});
  double s = i > 0 ? 1 - min / i : 0;
  double num = 0.5 * ((c.r - c.g) + (c.r - c.b));
  double den = std::sqrt((c.r - c.g) * (c.r - c.g) + (c.r - c.b) * (c.g - c.b));
  double h = 0;
  if (den > 0) {
    h = std::acos(std::fmin(1, std::fmax(-1, num / den))) / dsp_tau;
    if (c.b > c.g) h = 1 - h;
    if (h >= 1) h -= 1;
  }
  return {h, s, i};
}

double dsp_linear(double c) {
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double dsp_unlinear(double c) {
  return c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
}

// Relative luminance: what the eye takes for the lightness of a colour.
double dsp_luminance(dsp_rgb c) {
  return 0.2126 * dsp_linear(c.r) + 0.7152 * dsp_linear(c.g) + 0.0722 * dsp_linear(c.b);
}

// The colour lifted by k in [0, 2]: up to 1 the brightness rises towards full, beyond 1
// the full-brightness colour is mixed with up to half white.
dsp_rgb dsp_lift(double h, double s, double v, double k) {
  if (k <= 1) return dsp_hsv(h, s, v + k * (1 - v));
  dsp_rgb c = dsp_hsv(h, s, 1);
  double w = (k - 1) * 0.5;
  return {c.r + (1 - c.r) * w, c.g + (1 - c.g) * w, c.b + (1 - c.b) * w};
}

dsp_rgb dsp_hsn(dsp_hsx v) {
  double h = v.h, s = v.s, n = v.x;
  dsp_rgb c = dsp_hsv(h, s, n);
  // The floor: the luminance of pure red at this brightness.
  double floor = 0.2126 * dsp_linear(n);
  if (dsp_luminance(c) < floor) {
    double lo = 0, hi = 2;
    for (int i = 0; i < 30; ++i) {
      double mid = (lo + hi) / 2;
      (dsp_luminance(dsp_lift(h, s, n, mid)) < floor ? lo : hi) = mid;
    }
    c = dsp_lift(h, s, n, hi);
  }
  return c;
}

// How far apart two colours are: the largest difference of a channel.
int dsp_distance(qr_u a, qr_u b) {
  int d = 0;
  for (int sh = 0; sh <= 16; sh += 8)
    d = std::max(d, std::abs(int(a >> sh & 255) - int(b >> sh & 255)));
  return d;
}

// HSN back from a colour: the packed value whose HSN2RGB100 colour is nearest. Colours
// that the lift did not touch are plain HSV. A lifted colour keeps its hue; its
// brightness follows from its luminance, the floor it was lifted to, and its saturation
// is found by bisection, as lifting lowers it once white is mixed in.
qr_u dsp_tohsn(qe_u c) {
  dsp_rgb rgb = dsp_split(c);
  dsp_hsx hsv = dsp_tohsv(rgb);
  qr_u best = dsp_pack(hsv);
  int err = dsp_distance(dsp_join(dsp_hsn(dsp_unpack(best))), c);
  if (err == 0) return best;
  long h0 = long(best & 0xFF);
  long n0 = long(dsp_byte(dsp_unlinear(std::fmin(1, dsp_luminance(rgb) / 0.2126))));
  // The hue and the brightness are rounded to whole steps: their neighbours may come nearer.
  for (long h : {h0, (h0 + 255) & 0xFF, (h0 + 1) & 0xFF})
    for (long n = std::max(0L, n0 - 1); n <= std::min(255L, n0 + 1); ++n) {
      // The smallest saturation whose lifted colour is at least as saturated as c.
      auto sat = [&](long s) {
        return dsp_tohsv(dsp_hsn({double(h) / 256, double(s) / 255, double(n) / 255})).s;
      };
      long lo = 0, hi = 255;
      while (lo < hi) {
        long mid = (lo + hi) / 2;
        if (sat(mid) < hsv.s)
          lo = mid + 1;
        else
          hi = mid;
      }
      for (long s = std::max(0L, lo - 1); s <= std::min(255L, lo + 1); ++s) {
        qr_u v = qr_u(h) | qr_u(s) << 8 | qr_u(n) << 16;
        int e = dsp_distance(dsp_join(dsp_hsn(dsp_unpack(v))), c);
        if (e < err) err = e, best = v;
      }
    }
  return best;
}

unsigned long dsp_component(qe_u v) { return v & 0xFF; }

}  // namespace

// ---- Components and packing ----------------------------------------------------------

qr_u GetAlpha87(qe_u c) { return c >> 24 & 0xFF; }
qr_u GetBlue88(qe_u c) { return c & 0xFF; }
qr_u GetGreen89(qe_u c) { return c >> 8 & 0xFF; }
qr_u GetRed90(qe_u c) { return c >> 16 & 0xFF; }

qr_u GetRGBA91(qe_uc r, qe_uc g, qe_uc b, qe_uc a) {
  return dsp_component(a) << 24 | dsp_component(r) << 16 | dsp_component(g) << 8 | dsp_component(b);
}

qr_u GetRGB92(qe_uc r, qe_uc g, qe_uc b) {
  return dsp_component(r) << 16 | dsp_component(g) << 8 | dsp_component(b);
}

// ---- Hue models ----------------------------------------------------------------------

qr_u RGB2HSL93(qe_u c) { return dsp_pack(dsp_tohsl(dsp_split(c))); }
qr_u RGB2HSV94(qe_u c) { return dsp_pack(dsp_tohsv(dsp_split(c))); }
qr_u RGB2HSI95(qe_u c) { return dsp_pack(dsp_tohsi(dsp_split(c))); }
qr_u RGB2HSN96(qe_u c) { return dsp_tohsn(c & 0xFFFFFF); }

qr_u HSL2RGB97(qe_u v) {
  dsp_hsx c = dsp_unpack(v);
  return dsp_join(dsp_hsl(c.h, c.s, c.x));
}

qr_u HSV2RGB98(qe_u v) {
  dsp_hsx c = dsp_unpack(v);
  return dsp_join(dsp_hsv(c.h, c.s, c.x));
}

qr_u HSI2RGB99(qe_u v) {
  dsp_hsx c = dsp_unpack(v);
  return dsp_join(dsp_hsi(c.h, c.s, c.x));
}

qr_u HSN2RGB100(qe_u v) {
  dsp_setup();
  return dsp_join(dsp_hsn(dsp_unpack(v)));
}

// ---- Mixing --------------------------------------------------------------------------

// c1 and c2 mixed by the weight w/255 of c2 (w above 255 counts as 255), each of red,
// green and blue as ((1 - t) a^d + t b^d)^(1/d) on 0..1: d = 1 mixes the bytes as they
// are, d = 2.2 about as light mixes (in linear light). Alpha is mixed plainly.
static unsigned long dsp_mix(unsigned long c1, unsigned long c2, unsigned long w, double d) {
  double t = double(std::min<qe_u>(w, 255)) / 255.0;
  if (!std::isfinite(d) || d <= 0) d = 1;
  qr_u out = 0;
  for (int sh = 0; sh <= 24; sh += 8) {
    double a = double(c1 >> sh & 255) / 255.0, b = double(c2 >> sh & 255) / 255.0;
    double m = sh == 24 || d == 1 ? a + (b - a) * t
                                  : std::pow((1 - t) * std::pow(a, d) + t * std::pow(b, d), 1 / d);
    out |= dsp_byte(m) << sh;
  }
  return out;
}

qr_u MixColor101(qe_u c1, qe_u c2, qe_u w, qe_d d) { return dsp_mix(c1, c2, w, d); }
qr_u MixColor102(qe_u c1, qe_u c2, qe_u w) { return dsp_mix(c1, c2, w, 1); }
