// clock: an analogue clock drawn with shapes: a face, tick marks, three hands and a pie
// slice for the seconds. It starts at the wall-clock time (or at HH:MM:SS given as the
// argument) and runs on the library's clock. Esc quits.
#include <facade.h>

#include <cmath>
#include <cstdio>
#include <ctime>

int main(int argc, char** argv) {
  long h = 0, m = 0, s = 0;
  if (argc < 2 || std::sscanf(argv[1], "%ld:%ld:%ld", &h, &m, &s) != 3) {
    std::time_t now = std::time(nullptr);
    std::tm local = *std::localtime(&now);
    h = local.tm_hour, m = local.tm_min, s = local.tm_sec;
  }
  double const start = h * 3600 + m * 60 + s, pi = 3.14159265358979;
  if (!createwin(400, 400)) return 1;
  settitle("clock");
  double t = start;
  // A hand at a fraction of its turn, from 12 o'clock clockwise.
  auto hand = [&](double turn, double len, unsigned long width, unsigned long colour) {
    double a = turn * 2 * pi - pi / 2;
    setpenwidth(width);
    line(200, 200, long(len * std::cos(a)), long(len * std::sin(a)), colour);
  };
  while (iswin()) {
    while (isnextmsg())
      if (iskey(QUIB_KEY_ESC)) closewin();
    if (!iswin()) break;
    t = start + gettimer();
    double const sec = std::fmod(t, 60), min = std::fmod(t / 60, 60),
                 hour = std::fmod(t / 3600, 12);
    clear(0x202830);
    circle(200, 200, 180, 0xE0E0E0, 0xF8F4EC);
    // The seconds as a growing slice: angles run clockwise on the screen from 3 o'clock.
    if (sec > 0.5) pie(200, 200, 170, 170, -pi / 2 + sec / 60 * 2 * pi, -pi / 2, 0xF0E0C8);
    for (long i = 0; i < 60; ++i) {
      double a = i * pi / 30, r = i % 5 ? 165 : 150;
      setpenwidth(i % 5 ? 1 : 4);
      line(long(200 + r * std::cos(a)), long(200 + r * std::sin(a)), long((172 - r) * std::cos(a)),
           long((172 - r) * std::sin(a)), 0x404040);
    }
    hand(hour / 12, 90, 8, 0x202020);
    hand(min / 60, 140, 5, 0x202020);
    hand(sec / 60, 150, 2, 0xD03030);
    circle(200, 200, 8, 0xD03030);
    freshwin();
    delay(16);
  }
  long const whole = long(t);
  std::printf("stopped at %02ld:%02ld:%02ld\n", whole / 3600 % 24, whole / 60 % 60, whole % 60);
  return 0;
}
