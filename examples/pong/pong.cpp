// pong: two players, two gamepads. Pad 0 moves the left paddle, pad 1 the right one, each
// with its left stick (past the dead zone); a trigger held as the ball comes makes the return
// faster; A serves. Pads are told apart by index, and a pad that arrives or leaves mid-game
// is shown. Without pads: W/S and the arrows, SPACE serves. Esc quits.
#include <facade.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr double W = 640, H = 400, half = 35, edge = 24, speed = 300;

struct player {
  double y = H / 2;  // the paddle's centre
  int score = 0;
  unsigned long up, down;  // its keys, without a pad
};

// How the player moves: the pad's stick where a pad is at its index, else its keys.
double steer(int index, player const& p) {
  if (ispad(index)) return getpadaxis(index, QUIB_PADAXIS_LEFTY);
  return iskeydown(p.down) - iskeydown(p.up);
}

// How much a return is sped up: the stronger trigger of the pad, 0..1.
double smash(int index) {
  return std::max(getpadaxis(index, QUIB_PADAXIS_LEFTTRIGGER),
                  getpadaxis(index, QUIB_PADAXIS_RIGHTTRIGGER));
}

void drawpad(int index, long x) {
  if (!ispad(index)) {
    drawtextxy("no pad: keys", x, 370, 0x607080);
    return;
  }
  drawtextxy(getpadname(index), x, 350, 0xA0B0C0);
  // The left stick as a dot in its square, the triggers as two bars.
  long const cx = x + 20, cy = 378;
  bar(cx - 12, cy - 12, 24, 24, 0x405060, 1);  // 1: no fill
  circle(cx + long(11 * getpadaxis(index, QUIB_PADAXIS_LEFTX)),
         cy + long(11 * getpadaxis(index, QUIB_PADAXIS_LEFTY)), 3, 0xFFFFFF, 0xFFFFFF);
  for (int t = 0; t < 2; ++t) {
    double v = getpadaxis(index, t == 0 ? QUIB_PADAXIS_LEFTTRIGGER : QUIB_PADAXIS_RIGHTTRIGGER);
    bar(x + 44 + 12 * t, cy - 12, 8, 24, 0x405060, 1);
    bar(x + 44 + 12 * t, cy + 12 - long(24 * v), 8, long(24 * v), 0xFFC040);
  }
}

}  // namespace

int main() {
  if (!createwin(long(W), long(H))) return 1;
  settitle("pong");
  setpaddeadzone(0.1);
  player pl[2];
  pl[0].up = 'W', pl[0].down = 'S', pl[1].up = QUIB_KEY_UP, pl[1].down = QUIB_KEY_DOWN;
  double bx = W / 2, by = H / 2, vx = 0, vy = 0;
  int serveto = 1, hits = 0, arrivals = 0;
  bool waiting = true;
  std::string news = "plug in two pads; A serves";
  double last = gettimer();
  while (iswin()) {
    while (isnextmsg()) {
      if (iskey(QUIB_KEY_ESC)) closewin();
      bool const serve =
          iskey(QUIB_KEY_SPACE) || (ismsg(QUIB_MSG_PADDOWN) && getpadbutton() == QUIB_PAD_A);
      if (serve && waiting) {
        waiting = false;
        vx = serveto ? speed : -speed;
        vy = 120;
      }
      arrivals += ismsg(QUIB_MSG_PADADDED);
      if (ismsg(QUIB_MSG_PADADDED) || ismsg(QUIB_MSG_PADREMOVED))
        news =
            "pad " + std::to_string(getpad()) + (ismsg(QUIB_MSG_PADADDED) ? " arrived" : " left");
    }
    if (!iswin()) break;

    double const now = gettimer(), dt = now - last;
    last = now;
    for (int i = 0; i < 2; ++i)
      pl[i].y = std::clamp(pl[i].y + 420 * steer(i, pl[i]) * dt, half, H - half);
    if (!waiting) {
      bx += vx * dt, by += vy * dt;
      if (by < 4 || by > H - 4) vy = -vy, by = std::clamp(by, 4.0, H - 4);
      int const side = vx < 0 ? 0 : 1;  // the player the ball goes to
      double const px = side == 0 ? edge : W - edge;
      if ((side == 0 ? bx <= px : bx >= px) && std::fabs(by - pl[side].y) <= half + 4) {
        ++hits;
        vx = -vx * (1 + 0.5 * smash(side));
        vy += (by - pl[side].y) * 6;  // off-centre hits leave at an angle
        bx = px;
        rumblepad(side, 0.4, 0.8, 80);  // where the pad has motors
      } else if (bx < 0 || bx > W) {
        ++pl[1 - side].score;
        bx = W / 2, by = H / 2, waiting = true, serveto = side;
      }
    }

    clear(0x081018);
    for (long y = 0; y < long(H); y += 20) bar(long(W / 2) - 1, y, 2, 10, 0x203040);
    for (int i = 0; i < 2; ++i)
      bar(i == 0 ? long(edge) - 10 : long(W - edge), long(pl[i].y - half), 10, long(2 * half),
          0x40C0FF);
    circle(long(bx), long(by), 5, 0xFFFFFF, 0xFFFFFF);
    setfontsize(20, 40);
    drawtextxy(std::to_string(pl[0].score).c_str(), 250, 20, 0xFFFFFF);
    drawtextxy(std::to_string(pl[1].score).c_str(), 370, 20, 0xFFFFFF);
    setfontsize(7, 14);
    drawtextxy(news.c_str(), 10, 8, 0x80C080);
    drawpad(0, 10);
    drawpad(1, 480);
    freshwin();
    delay(16);
  }
  std::printf("score %d : %d, %d hits, %d pads\n", pl[0].score, pl[1].score, hits, arrivals);
  return 0;
}
