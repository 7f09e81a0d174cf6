/* shapes: a gallery of every shape the library draws, in C, each labelled with the entry
 * that drew it. Filled and outlined forms side by side; the colour 1 means "none".
 * Esc quits. */
#include <disp.h>
#include <keys.h>
#include <stdio.h>

static void label(char const* text, long x, long y) { DrawTextXY121(text, x, y, 0xC0C8D0); }

int main(void) {
  double const pi = 3.14159265358979;
  if (!CreateWin42(640, 480)) {
    printf("no window: %s\n", disp_errortext());
    return 1;
  }
  SetTitle51("shapes");
  SetPenWidth82(3);
  while (IsWin47()) {
    while (IsNextMsg254())
      if (IsKey260(QUIB_KEY_ESC)) CloseWin46();
    if (!IsWin47()) break;
    Clear163(0x1C2030);
    Line155(30, 40, 140, 90, 0xFFFFFF);
    label("Line155", 30, 140);
    Bar158(220, 40, 160, 90, 0xFFD040, 1); /* outline only */
    Bar159(240, 60, 120, 50, 0x3070C0);    /* filled */
    label("Bar158 / Bar159", 220, 140);
    Circle186(500, 85, 45, 0xFFFFFF, 0xD04040);
    label("Circle186", 450, 140);
    Ellipse182(100, 250, 70, 40, 1, 0x40C080);
    label("Ellipse182", 30, 300);
    Triangle167(240, 290, 300, 200, 360, 290, 0xC060E0);
    label("Triangle167", 240, 300);
    Arc171(500, 250, 50, 50, pi / 2, 0, 0x40D0FF);
    label("Arc171", 450, 300);
    Pie175(100, 400, 50, 50, pi * 1.75, pi / 4, 0xFF8030);
    label("Pie175", 30, 450);
    Chord179(300, 400, 60, 40, pi, 0, 0x80A0FF);
    label("Chord179", 240, 450);
    Circle187(500, 400, 30, 0xF0F0F0);
    Circle186(500, 400, 45, 0xF0F0F0, 1);
    label("Circle187 + ring", 440, 450);
    FreshWin45();
    Delay28(16);
  }
  printf("drew 10 shapes\n");
  return 0;
}
