// move: smooth movement paced by the frame time. Holding an arrow key thrusts the ship that
// way (iskeydown: held, not pressed); let go and it glides and slows down by itself.
// Everything moves by speed times the seconds the last frame took, so it covers the same
// ground at 30 or 144 frames a second. Esc quits.
#include <facade.h>

#include <cmath>
#include <cstdio>

int main() {
  if (!createwin(640, 480)) return 1;
  settitle("move");
  double x = 320, y = 240, vx = 0, vy = 0;  // pixels, pixels per second
  double const thrust = 600, drag = 0.25;   // pixels per second squared; speed kept after 1 s
  double last = gettimer();
  while (iswin()) {
    // Messages first: they are what tells iskeydown which keys are held.
    while (isnextmsg())
      if (iskey(QUIB_KEY_ESC)) closewin();
    if (!iswin()) break;

    double now = gettimer(), dt = now - last;
    last = now;
    int const ax = iskeydown(QUIB_KEY_RIGHT) - iskeydown(QUIB_KEY_LEFT);
    int const ay = iskeydown(QUIB_KEY_DOWN) - iskeydown(QUIB_KEY_UP);
    vx += ax * thrust * dt, vy += ay * thrust * dt;
    double const keep = std::pow(drag, dt);  // the same slowing whatever dt is
    vx *= keep, vy *= keep;
    x += vx * dt, y += vy * dt;
    // Wrap round the edges.
    x = std::fmod(x + 640, 640), y = std::fmod(y + 480, 480);

    clear(0x081020);
    for (long i = 0; i < 22; ++i) line(30 * i, 0, 0, 480, 0x102040);  // a grid to see motion
    for (long i = 0; i < 16; ++i) line(0, 30 * i, 640, 0, 0x102040);
    double const a = std::atan2(vy, vx == 0 && vy == 0 ? 1 : vx);
    long const tx = long(x + 27 * std::cos(a)), ty = long(y + 27 * std::sin(a));
    triangle(tx, ty, long(x + 18 * std::cos(a + 2.5)), long(y + 18 * std::sin(a + 2.5)),
             long(x + 18 * std::cos(a - 2.5)), long(y + 18 * std::sin(a - 2.5)), 0xFFFFFF,
             0x40C0FF);
    char text[80];
    std::snprintf(text, sizeof text,
                  "speed %3.0f px/s   frame %.1f ms   hold the arrows, Esc quits",
                  std::hypot(vx, vy), dt * 1000);
    drawtextxy(text, 10, 450, 0xA0B0C0);
    freshwin();
    delay(16);
  }
  std::printf("ship at %.0f %.0f\n", x, y);
  return 0;
}
