// The icon's shapes and their drawing through the facade.
#include "render/icon.h"

#include <cmath>
#include <initializer_list>

#include "facade/facade.h"

namespace {

constexpr double loopr = 0.30;   // the loop's radius
constexpr double ring = 0.055;   // the loop outline's width
constexpr double spike = 0.095;  // a spike's base and height
constexpr double ballr = 0.075;  // the ball's radius
constexpr unsigned long black = 0x000000;
constexpr unsigned long white = 0xFFFFFF;

// A spike standing on the loop at screen angle a (degrees, clockwise from the right),
// pointing out (side -1) or in (side +1), as the game's spikes do.
iconshape spikeat(double a, int side, unsigned long colour) {
  double t = a * M_PI / 180;
  double ux = std::cos(t), uy = std::sin(t);  // outward
  double vx = -uy, vy = ux;                   // along the loop
  double base = loopr - side * ring / 2;      // the edge of the outline the spike stands on
  double tip = base - side * spike;
  return {icontri,
          {0.5 + base * ux + spike / 2 * vx, 0.5 + base * ux - spike / 2 * vx, 0.5 + tip * ux},
          {0.5 + base * uy + spike / 2 * vy, 0.5 + base * uy - spike / 2 * vy, 0.5 + tip * uy},
          0,
          colour};
}

iconshape disc(double x, double y, double r, unsigned long colour) {
  return {icondisc, {x, 0, 0}, {y, 0, 0}, r, colour};
}

}  // namespace

int iconshapes(iconshape* out) {
  // The first level's hue at full brightness: the game's colour model, lit for a small
  // picture on any panel.
  unsigned long colour = hsn2rgb(0xFFFF00 | 0x10);
  int n = 0;
  // The game's black screen, round, behind the loop.
  out[n++] = disc(0.5, 0.5, 0.49, black);
  out[n++] = disc(0.5, 0.5, loopr + ring / 2, colour);
  out[n++] = disc(0.5, 0.5, loopr - ring / 2, black);
  for (double a : {-150.0, -100.0, -50.0, 0.0}) out[n++] = spikeat(a, -1, colour);
  for (double a : {40.0, 85.0}) out[n++] = spikeat(a, 1, colour);
  // The ball runs inside the loop, touching its outline.
  double d = loopr - ring / 2 - ballr;
  double t = 150 * M_PI / 180;
  out[n++] = disc(0.5 + d * std::cos(t), 0.5 + d * std::sin(t), ballr, white);
  return n;
}

iconshape iconpixels(iconshape const& s, long size) {
  iconshape p = s;
  double k = static_cast<double>(size);
  for (int i = 0; i < 3; ++i) {
    p.x[i] = std::floor(s.x[i] * k);
    p.y[i] = std::floor(s.y[i] * k);
  }
  p.r = std::round(s.r * k);
  return p;
}

void drawicon(bitmap* b, long size) {
  iconshape shapes[iconshapemax];
  int n = iconshapes(shapes);
  for (int i = 0; i < n; ++i) {
    iconshape p = iconpixels(shapes[i], size);
    auto X = [&](int j) { return static_cast<long>(p.x[j]); };
    auto Y = [&](int j) { return static_cast<long>(p.y[j]); };
    if (p.kind == icondisc) {
      circle(b, X(0), Y(0), static_cast<long>(p.r), 1, p.colour);
    } else {
      triangle(b, X(0), Y(0), X(1), Y(1), X(2), Y(2), 1, p.colour);
    }
  }
}

void initicon() {
  constexpr long size = 128;
  bitmap* b = createbmp(size, size, black);
  if (b == nullptr) return;
  drawicon(b, size);
  seticon(b);
  releasebmp(b);
}
