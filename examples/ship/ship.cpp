// ship: a sprite that turns. The ship is drawn once into a bitmap with alpha, then drawn
// each frame with drawsprite, turned about its middle (the origin) by the arrow keys held;
// below, the same bitmap scaled, mirrored and turned by quarter turns, which keep its
// pixels exact. Esc quits.
#include <facade.h>

#include <cmath>
#include <cstdio>

namespace {
// A 32 x 32 ship pointing right, on a transparent ground.
bitmap* make_ship() {
  bitmap* b = createbmpalpha(32, 32);
  if (!b) return nullptr;
  triangle(b, 30, 16, 4, 4, 4, 28, 0xFFFFFF, 0x40C0FF);
  triangle(b, 8, 12, 2, 16, 8, 20, 1, 0xFF8020);  // the flame at the back
  circle(b, 18, 16, 3, 1, 0x102040);              // the window
  return b;
}
}  // namespace

int main() {
  if (!createwin(640, 480)) return 1;
  settitle("ship");
  bitmap* ship = make_ship();
  if (!ship) return 1;
  double angle = 0, spin = 0;  // degrees, degrees per second
  double last = gettimer();
  while (iswin()) {
    while (isnextmsg())
      if (iskey(QUIB_KEY_ESC)) closewin();
    if (!iswin()) break;
    double const now = gettimer(), dt = now - last;
    last = now;
    spin += 360 * dt * (iskeydown(QUIB_KEY_RIGHT) - iskeydown(QUIB_KEY_LEFT));
    spin *= std::pow(0.3, dt);  // slows down when let go
    angle = std::fmod(angle + spin * dt + 360, 360);

    clear(0x081020);
    // The turning ship, twice its size, turned about its middle.
    drawsprite(ship, {.x = 320,
                      .y = 200,
                      .degrees = angle,
                      .scalex = 2,
                      .scaley = 2,
                      .originx = 16,
                      .originy = 16});
    // Exact forms: as drawn, mirrored, a quarter turn, upside down, three times the size.
    drawsprite(ship, {.x = 40, .y = 380});
    drawsprite(ship, {.x = 100, .y = 380, .flipx = true});
    drawsprite(ship, {.x = 192, .y = 380, .degrees = 90});
    drawsprite(ship, {.x = 220, .y = 380, .flipy = true});
    drawsprite(ship, {.x = 280, .y = 350, .scalex = 3, .scaley = 3});
    // The front half only: a part of the bitmap, as from a sheet of frames.
    drawsprite(ship, {.x = 400, .y = 380, .sx = 16, .sw = 16});
    char text[80];
    std::snprintf(text, sizeof text, "%3.0f degrees   hold LEFT or RIGHT, Esc quits", angle);
    drawtextxy(text, 10, 450, 0xA0B0C0);
    freshwin();
    delay(16);
  }
  std::printf("turned to %.0f degrees\n", angle);
  return 0;
}
