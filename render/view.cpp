// View transform and shape primitives. Coordinates reach the display library truncated
// toward zero.
#include "render/view.h"

#include <cmath>

#include "facade/facade.h"
#include "game/state.h"

void rotate(double& x, double& y) {
  double c = std::cos(scrrot);
  double s = std::sin(scrrot);
  double dx = x - scrp.x;
  double dy = y - scrp.y;
  rotp.x = dx * c - dy * s + w / 2;
  rotp.y = dx * s + dy * c + h / 2;
  x = rotp.x;
  y = rotp.y;
}

void rotate(vector& p) { rotate(p.x, p.y); }

void drawtri(long cx, long cy, long r, double t, long outline, long color, long side) {
  // A base of 20 needs a circle wider than 10; the course never makes one that small.
  if (r <= 10) return;
  double R = static_cast<double>(r);
  double x = static_cast<double>(cx), y = static_cast<double>(cy);
  double tip = static_cast<double>(20 * side);
  double k = 10 / R;
  double q = std::sqrt(1 - k * k);
  vector u = {std::sin(t), std::cos(t)};
  vector v = {std::cos(t), -std::sin(t)};
  vector p1 = {x + R * (q * u.x + k * v.x), y + R * (q * u.y + k * v.y)};
  vector p2 = {x + R * (q * u.x - k * v.x), y + R * (q * u.y - k * v.y)};
  vector m = {(p1.x + p2.x) / 2 - x, (p1.y + p2.y) / 2 - y};
  double d = abs(m.x, m.y);
  vector p3 = {x + (d - tip) * u.x, y + (d - tip) * u.y};
  long fill = x + m.x > linep ? color : grey;
  rotate(p1);
  rotate(p2);
  rotate(p3);
  triangle(static_cast<long>(p1.x), static_cast<long>(p1.y), static_cast<long>(p2.x),
           static_cast<long>(p2.y), static_cast<long>(p3.x), static_cast<long>(p3.y),
           static_cast<unsigned long>(outline), static_cast<unsigned long>(fill));
}

void drawcircle(double x, double /*y*/, double r, long color) {
  long X = static_cast<long>(loopp.x);
  long Y = static_cast<long>(loopp.y);
  long Rn = static_cast<long>(r);
  if (x - r >= linep) {
    circle(X, Y, Rn, static_cast<unsigned long>(color), 1);
  } else if (x + r <= linep) {
    circle(X, Y, Rn, static_cast<unsigned long>(grey), 1);
  } else {
    double a = arccos((linep - x) / r);
    arc(X, Y, Rn, Rn, scrrot + a, scrrot - a, static_cast<unsigned long>(color), 1);
    arc(X, Y, Rn, Rn, scrrot - a, scrrot + a, static_cast<unsigned long>(grey), 1);
  }
}
