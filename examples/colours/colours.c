/* colours: the hue wheel of the packed HSV model, in C. LEFT/RIGHT turn the hue, UP/DOWN
 * change the saturation, and the chosen colour is shown with its RGB and HSV values and a
 * mix towards white. Esc quits. Prints the last colour. */
#include <disp.h>
#include <keys.h>
#include <stdio.h>

/* Packed HSV: hue in the low byte (a full turn over 0..255), saturation, then value. */
static unsigned long hsv(unsigned long h, unsigned long s, unsigned long v) {
  return disp_hsv2rgb((h & 255) | (s & 255) << 8 | (v & 255) << 16);
}

int main(void) {
  unsigned long hue = 0, sat = 255, colour = 0;
  char line[80];
  long i, j;
  if (!disp_createwin_w_h(640, 480)) return 1;
  disp_settitle("colours");
  while (disp_iswin()) {
    while (disp_isnextmsg()) {
      if (disp_iskey(QUIB_KEY_ESC)) disp_closewin();
      if (disp_iskey(QUIB_KEY_LEFT)) hue = (hue + 255 - 8) & 255;
      if (disp_iskey(QUIB_KEY_RIGHT)) hue = (hue + 8) & 255;
      if (disp_iskey(QUIB_KEY_UP) && sat < 255) sat += 15;
      if (disp_iskey(QUIB_KEY_DOWN) && sat > 0) sat -= 15;
    }
    if (!disp_iswin()) break;
    disp_clear_colour(0x202020);
    /* 32 hues across, 8 values down, at the chosen saturation */
    for (i = 0; i < 32; ++i)
      for (j = 0; j < 8; ++j)
        disp_bar_colour(20 + 18 * i, 20 + 24 * j, 17, 23, hsv(i * 8, sat, 255 - j * 28));
    disp_bar_outline_fill(20 + 18 * (long)(hue / 8), 18, 17, 196, 0xFFFFFF, 1);
    colour = hsv(hue, sat, 255);
    disp_bar_colour(20, 240, 180, 180, colour);
    for (i = 0; i < 8; ++i)
      disp_bar_colour(220 + 50 * i, 240, 48, 60, disp_mixcolor(colour, 0xFFFFFF, i * 36));
    sprintf(line, "RGB %06lX  HSV %06lX", colour, disp_rgb2hsv(colour));
    disp_drawtextxy_colour(line, 220, 320, 0xFFFFFF);
    disp_drawtextxy_colour("LEFT/RIGHT hue  UP/DOWN saturation", 220, 360, 0xA0A0A0);
    disp_freshwin();
    disp_delay(16);
  }
  printf("colour %06lX\n", colour);
  return 0;
}
