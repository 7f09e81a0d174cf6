// The number helpers: sign, length of a 2-D or 3-D vector, arc sine and cosine that
// tolerate rounding, the angle of a point, and integer to decimal text.
#include <cmath>
#include <cstdio>

#include "platform/disp/internal.h"

// ±1 or 0; NaN has no sign and gives 0, as do both zeros.
qr_l sgn1(qe_d d) { return d > 0 ? 1 : d < 0 ? -1 : 0; }

// sqrt(a² + b²), falling back to hypot only where the squares overflow or underflow.
qr_d abs2(qe_d a, qe_d b) {
  double r = std::sqrt(a * a + b * b);
  if ((std::isinf(r) || (r == 0 && (a != 0 || b != 0))) && std::isfinite(a) && std::isfinite(b))
    r = std::hypot(a, b);
  return r;
}

// sqrt(a² + b² + c²). Like abs2 the plain sum is used where it is exact enough; where the
// squares overflow or underflow, the components are scaled by the largest first. An
// infinite component gives +inf even beside a NaN, as hypot does.
qr_d abs3(qe_d a, qe_d b, qe_d c) {
  if (std::isinf(a) || std::isinf(b) || std::isinf(c)) return HUGE_VAL;
  double r = std::sqrt(a * a + b * b + c * c);
  bool lost =
      std::isinf(r) || (r == 0 && (a != 0 || b != 0 || c != 0)) || (std::isfinite(r) && r < 1e-150);
  if (lost && !std::isnan(r)) {
    double m = std::fmax(std::fabs(a), std::fmax(std::fabs(b), std::fabs(c)));
    if (m == 0) return 0;
    double x = a / m, y = b / m, z = c / m;
    r = m * std::sqrt(x * x + y * y + z * z);
  }
  return r;
}

// A sine computed by the caller may overshoot ±1 by a rounding step: clamped, it gives
// ±π/2 instead of NaN. A NaN argument still gives NaN.
qr_d arcsin4(qe_d s) {
  if (s > 1) s = 1;
  if (s < -1) s = -1;
  return std::asin(s);
}

// Rounding can push a cosine computed by the caller a hair past ±1; clamping keeps the
// result at 0 or π instead of NaN. A NaN argument still gives NaN.
qr_d arccos5(qe_d c) {
  if (c > 1) c = 1;
  if (c < -1) c = -1;
  return std::acos(c);
}

// The angle of the point (x, y), y first as in atan2: in window pixels (y downward) it is
// the θ with (cos θ, sin θ) pointing at the point, the library's own angle convention.
qr_d arctan26(qe_d y, qe_d x) { return std::atan2(y, x); }

// The text lives in a buffer of the library, one per thread, reused by the next call; the
// facade copies it at once.
qr_ms i2s7(qe_l n) {
  static thread_local char buf[24];
  snprintf(buf, sizeof buf, "%ld", long(n));
  return buf;
}
