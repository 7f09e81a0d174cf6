/* stars: a star field flying at the viewer, moved by the time each frame took rather than
 * by the frame count, so it runs at one speed at any frame rate. UP/DOWN change the speed.
 * In C, with a small random generator of its own. Esc quits. */
#include <disp.h>
#include <keys.h>
#include <stdio.h>

#define STARS 300

static unsigned long seed = 12345;
static double rnd(void) { /* 0 .. 1, the same sequence every run */
  seed = seed * 1103515245UL + 12345UL;
  return (double)((seed >> 8) & 0xFFFF) / 65536.0;
}

struct star {
  double x, y, z; /* z: distance, 1 far .. 0 at the viewer */
};

int main(void) {
  struct star s[STARS];
  double speed = 0.4, last, flown = 0; /* depth per second */
  int i;
  if (!disp_createwin_w_h(640, 480)) return 1;
  disp_settitle("stars");
  for (i = 0; i < STARS; ++i) s[i].x = rnd() * 2 - 1, s[i].y = rnd() * 2 - 1, s[i].z = rnd();
  last = disp_gettimer();
  while (disp_iswin()) {
    double now = disp_gettimer(), dt = now - last;
    char text[64];
    last = now;
    while (disp_isnextmsg()) {
      if (disp_iskey(QUIB_KEY_ESC)) disp_closewin();
      if (disp_iskey(QUIB_KEY_UP)) speed *= 1.5;
      if (disp_iskey(QUIB_KEY_DOWN)) speed /= 1.5;
    }
    if (!disp_iswin()) break;
    flown += speed * dt;
    disp_clear_colour(0x000008);
    for (i = 0; i < STARS; ++i) {
      long px, py, r;
      s[i].z -= speed * dt;
      if (s[i].z <= 0.01) s[i].x = rnd() * 2 - 1, s[i].y = rnd() * 2 - 1, s[i].z = 1;
      px = 320 + (long)(s[i].x / s[i].z * 160);
      py = 240 + (long)(s[i].y / s[i].z * 160);
      r = (long)((1 - s[i].z) * 3);
      disp_circle_colour(px, py, r,
                         disp_mixcolor(0x303050, 0xFFFFFF, (unsigned long)((1 - s[i].z) * 255)));
    }
    sprintf(text, "speed %.2f  UP/DOWN  Esc", speed);
    disp_drawtextxy_colour(text, 10, 10, 0x8080C0);
    disp_freshwin();
    disp_delay(16);
  }
  printf("flew %.1f at speed %.2f\n", flown, speed);
  return 0;
}
