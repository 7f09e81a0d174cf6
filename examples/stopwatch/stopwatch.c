/* stopwatch: a timer on the library's clock, in C. SPACE starts and stops, R resets,
 * L takes a lap (up to eight shown). The frame counter shows the frames of the last
 * second. Esc quits; prints the time it stood at. */
#include <disp.h>
#include <keys.h>
#include <stdio.h>

static void clock_text(char* out, double s) {
  long cs = (long)(s * 100 + 0.5); /* hundredths */
  sprintf(out, "%02ld:%02ld.%02ld", cs / 6000, cs / 100 % 60, cs % 100);
}

int main(void) {
  double started = 0, kept = 0, laps[8];
  int running = 0, nlaps = 0, i;
  char text[64];
  if (!disp_createwin_w_h(480, 360)) return 1;
  disp_settitle("stopwatch");
  while (disp_iswin()) {
    double now = disp_gettimer(), shown;
    while (disp_isnextmsg()) {
      if (disp_iskey(QUIB_KEY_ESC)) disp_closewin();
      if (disp_iskey(QUIB_KEY_SPACE)) {
        if (running) kept += now - started;
        started = now;
        running = !running;
      }
      if (disp_iskey('R')) kept = 0, started = now, nlaps = 0;
      if (disp_iskey('L') && nlaps < 8) laps[nlaps++] = kept + (running ? now - started : 0);
    }
    if (!disp_iswin()) break;
    shown = kept + (running ? now - started : 0);
    disp_clear_colour(0x102030);
    disp_setfontsize(24, 48);
    clock_text(text, shown);
    disp_drawtextxy_colour(text, 40, 30, running ? 0x80FF80 : 0xFFFFFF);
    disp_setfontsize(10, 20);
    for (i = 0; i < nlaps; ++i) {
      char lap[32];
      clock_text(lap, laps[i]);
      sprintf(text, "lap %d  %s", i + 1, lap);
      disp_drawtextxy_colour(text, 40, 110 + 24 * i, 0xC0D0E0);
    }
    sprintf(text, "%lu fps   SPACE start/stop  L lap  R reset", disp_getfps());
    disp_drawtextxy_colour(text, 20, 320, 0x8090A0);
    disp_freshwin();
    disp_delay(16);
  }
  clock_text(text, kept + (running ? disp_gettimer() - started : 0));
  printf("stood at %s, %d laps\n", text, nlaps);
  return 0;
}
