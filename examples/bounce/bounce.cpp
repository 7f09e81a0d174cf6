// bounce: the smallest whole game. A ball bounces round the window and scores a point at
// every wall; SPACE speeds it up, P pauses, Esc quits. Shows the window, the frame loop
// paced by delay(), key messages with the named key codes, shapes and text.
#include <facade.h>

#include <cstdio>

int main() {
  if (!createwin(640, 480)) {
    std::printf("no window: %s\n", geterrortext().text);
    return 1;
  }
  settitle("bounce");
  double x = 320, y = 240, vx = 180, vy = 130;  // pixels and pixels per second
  long const r = 16;
  long score = 0;
  bool paused = false;
  double last = gettimer();
  while (iswin()) {
    // Every waiting message first: keys are their upper-case letter or a QUIB_KEY_ name
    // (iskey('p') would be F1).
    while (isnextmsg()) {
      if (iskey(QUIB_KEY_ESC)) closewin();
      if (iskey(QUIB_KEY_SPACE)) vx *= 1.25, vy *= 1.25;
      if (iskey('P')) paused = !paused;
    }
    if (!iswin()) break;

    double now = gettimer(), dt = now - last;
    last = now;
    if (!paused) {
      x += vx * dt;
      y += vy * dt;
      if (x < r || x > 640 - r) vx = -vx, x = x < r ? r : 640 - r, ++score;
      if (y < r || y > 480 - r) vy = -vy, y = y < r ? r : 480 - r, ++score;
    }

    clear(0x101828);
    bar(0, 0, 640, 32, 0x203050);
    circle(long(x), long(y), r, 0xFFC040);
    char line[32];
    std::snprintf(line, sizeof line, "score %ld", score);
    drawtextxy(line, 10, 6, 0xFFFFFF);
    drawtextxy(paused ? "paused" : "SPACE faster  P pause  Esc quit", 200, 6, 0xA0B0C0);
    freshwin();
    delay(16);  // about 60 frames a second
  }
  std::printf("score %ld\n", score);
  return 0;
}
