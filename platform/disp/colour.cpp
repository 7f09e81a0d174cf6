// HSN2RGB100: hue, saturation and brightness bytes to a colour 0x00RRGGBB. The game colours
// its loops with full saturation at brightness 170; hues whose colour would come out darker
// than red of the same brightness (the blues) are lifted to that lightness, so every loop
// colour stands out on the black background.
#include <cmath>

#include "platform/disp/internal.h"

namespace {

struct dsp_rgb {
  double r, g, b;  // 0..1, sRGB
};

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

double dsp_linear(double c) {
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
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

unsigned long dsp_byte(double c) {
  return (unsigned long)std::lround(std::fmin(1, std::fmax(0, c)) * 255);
}

}  // namespace

qr_u HSN2RGB100(qe_u v) {
  dsp_setup();
  double h = double(v & 0xFF) / 256.0;
  double s = double((v >> 8) & 0xFF) / 255.0;
  double n = double((v >> 16) & 0xFF) / 255.0;
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
  return dsp_byte(c.r) << 16 | dsp_byte(c.g) << 8 | dsp_byte(c.b);
}
