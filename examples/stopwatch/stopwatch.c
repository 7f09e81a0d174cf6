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
  if (!CreateWin42(480, 360)) return 1;
  SetTitle51("stopwatch");
  while (IsWin47()) {
    double now = GetTimeR49(), shown;
    while (IsNextMsg254()) {
      if (IsKey260(QUIB_KEY_ESC)) CloseWin46();
      if (IsKey260(QUIB_KEY_SPACE)) {
        if (running) kept += now - started;
        started = now;
        running = !running;
      }
      if (IsKey260('R')) kept = 0, started = now, nlaps = 0;
      if (IsKey260('L') && nlaps < 8) laps[nlaps++] = kept + (running ? now - started : 0);
    }
    if (!IsWin47()) break;
    shown = kept + (running ? now - started : 0);
    Clear163(0x102030);
    SetFontSize107(24, 48);
    clock_text(text, shown);
    DrawTextXY121(text, 40, 30, running ? 0x80FF80 : 0xFFFFFF);
    SetFontSize107(10, 20);
    for (i = 0; i < nlaps; ++i) {
      char lap[32];
      clock_text(lap, laps[i]);
      sprintf(text, "lap %d  %s", i + 1, lap);
      DrawTextXY121(text, 40, 110 + 24 * i, 0xC0D0E0);
    }
    sprintf(text, "%lu fps   SPACE start/stop  L lap  R reset", GetFPS37());
    DrawTextXY121(text, 20, 320, 0x8090A0);
    FreshWin45();
    Delay28(16);
  }
  clock_text(text, kept + (running ? GetTimeR49() - started : 0));
  printf("stood at %s, %d laps\n", text, nlaps);
  return 0;
}
