/* shapes: a gallery of every shape the library draws, in C, each labelled with the function
 * that drew it. Filled and outlined forms side by side; the colour 1 means "none".
 * Esc quits. */
#include <disp.h>
#include <keys.h>
#include <stdio.h>

static void label(char const* text, long x, long y) {
  disp_drawtextxy_colour(text, x, y, 0xC0C8D0);
}

int main(void) {
  double const pi = 3.14159265358979;
  if (!disp_createwin_w_h(640, 480)) {
    printf("no window: %s\n", disp_errortext());
    return 1;
  }
  disp_settitle("shapes");
  disp_setpenwidth(3);
  disp_setfontsize(7, 14); /* small labels: the names are long */
  while (disp_iswin()) {
    while (disp_isnextmsg())
      if (disp_iskey(QUIB_KEY_ESC)) disp_closewin();
    if (!disp_iswin()) break;
    disp_clear_colour(0x1C2030);
    disp_line_colour(30, 40, 140, 90, 0xFFFFFF);
    label("disp_line_colour", 30, 140);
    disp_bar_outline_fill(220, 40, 160, 90, 0xFFD040, 1); /* outline only */
    disp_bar_colour(240, 60, 120, 50, 0x3070C0);          /* filled */
    label("disp_bar_outline_fill", 220, 140);
    label("+ disp_bar_colour", 220, 156);
    disp_circle_outline_fill(500, 85, 45, 0xFFFFFF, 0xD04040);
    label("disp_circle_outline_fill", 450, 140);
    disp_ellipse_outline_fill(100, 250, 70, 40, 1, 0x40C080);
    label("disp_ellipse_outline_fill", 30, 300);
    disp_triangle_colour(240, 290, 300, 200, 360, 290, 0xC060E0);
    label("disp_triangle_colour", 240, 300);
    disp_arc_colour(500, 250, 50, 50, pi / 2, 0, 0x40D0FF);
    label("disp_arc_colour", 450, 300);
    disp_pie_colour(100, 400, 50, 50, pi * 1.75, pi / 4, 0xFF8030);
    label("disp_pie_colour", 30, 450);
    disp_chord_colour(300, 400, 60, 40, pi, 0, 0x80A0FF);
    label("disp_chord_colour", 240, 450);
    disp_circle_colour(500, 400, 30, 0xF0F0F0);
    disp_circle_outline_fill(500, 400, 45, 0xF0F0F0, 1);
    label("disp_circle_colour", 440, 450);
    label("+ disp_circle_outline_fill", 440, 466);
    disp_freshwin();
    disp_delay(16);
  }
  printf("drew 10 shapes\n");
  return 0;
}
