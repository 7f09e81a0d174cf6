/* colours: the hue wheel of the packed HSV model, in C. LEFT/RIGHT turn the hue, UP/DOWN
 * change the saturation, and the chosen colour is shown with its RGB and HSV values and a
 * mix towards white. Esc quits. Prints the last colour. */
#include <disp.h>
#include <keys.h>
#include <stdio.h>

/* Packed HSV: hue in the low byte (a full turn over 0..255), saturation, then value. */
static unsigned long hsv(unsigned long h, unsigned long s, unsigned long v) {
  return HSV2RGB98((h & 255) | (s & 255) << 8 | (v & 255) << 16);
}

int main(void) {
  unsigned long hue = 0, sat = 255, colour = 0;
  char line[80];
  long i, j;
  if (!CreateWin42(640, 480)) return 1;
  SetTitle51("colours");
  while (IsWin47()) {
    while (IsNextMsg254()) {
      if (IsKey260(QUIB_KEY_ESC)) CloseWin46();
      if (IsKey260(QUIB_KEY_LEFT)) hue = (hue + 255 - 8) & 255;
      if (IsKey260(QUIB_KEY_RIGHT)) hue = (hue + 8) & 255;
      if (IsKey260(QUIB_KEY_UP) && sat < 255) sat += 15;
      if (IsKey260(QUIB_KEY_DOWN) && sat > 0) sat -= 15;
    }
    if (!IsWin47()) break;
    Clear163(0x202020);
    /* 32 hues across, 8 values down, at the chosen saturation */
    for (i = 0; i < 32; ++i)
      for (j = 0; j < 8; ++j)
        Bar159(20 + 18 * i, 20 + 24 * j, 17, 23, hsv(i * 8, sat, 255 - j * 28));
    Bar158(20 + 18 * (long)(hue / 8), 18, 17, 196, 0xFFFFFF, 1);
    colour = hsv(hue, sat, 255);
    Bar159(20, 240, 180, 180, colour);
    for (i = 0; i < 8; ++i)
      Bar159(220 + 50 * i, 240, 48, 60, MixColor102(colour, 0xFFFFFF, i * 36));
    sprintf(line, "RGB %06lX  HSV %06lX", colour, RGB2HSV94(colour));
    DrawTextXY121(line, 220, 320, 0xFFFFFF);
    DrawTextXY121("LEFT/RIGHT hue  UP/DOWN saturation", 220, 360, 0xA0A0A0);
    FreshWin45();
    Delay28(16);
  }
  printf("colour %06lX\n", colour);
  return 0;
}
