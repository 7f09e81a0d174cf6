// The number helpers the game takes from the display library: length of a vector, arc
// cosine that tolerates rounding, and integer to decimal text.
#include <cmath>
#include <cstdio>

#include "platform/disp/internal.h"

// sqrt(a² + b²), falling back to hypot only where the squares overflow or underflow.
qr_d abs2(qe_d a, qe_d b) {
  double r = std::sqrt(a * a + b * b);
  if ((std::isinf(r) || (r == 0 && (a != 0 || b != 0))) && std::isfinite(a) && std::isfinite(b))
    r = std::hypot(a, b);
  return r;
}

// Rounding can push a cosine computed by the caller a hair past ±1; clamping keeps the
// result at 0 or π instead of NaN. A NaN argument still gives NaN.
qr_d arccos5(qe_d c) {
  if (c > 1) c = 1;
  if (c < -1) c = -1;
  return std::acos(c);
}

// The text lives in a buffer of the library, one per thread, reused by the next call; the
// facade copies it at once.
qr_ms i2s7(qe_l n) {
  static thread_local char buf[24];
  snprintf(buf, sizeof buf, "%ld", long(n));
  return buf;
}
