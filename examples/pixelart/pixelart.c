/* pixelart: a 16 x 16 sprite written as text, one character a pixel, set pixel by pixel
 * into a bitmap and drawn scaled up with sharp pixels, in C. SPACE flips between two
 * frames of its hop. Esc quits. */
#include <disp.h>
#include <keys.h>
#include <stdio.h>

static char const* const frames[2][16] = {
    {"................", "................", "......kkkk......", "....kkggggkk....",
     "...kggggggllgk..", "..kggggggggllgk.", "..kgwwkggwwkggk.", ".kggwkkggwkkgggk",
     ".kggwkkggwkkgggk", ".kggggggggggggk.", ".kggggrrrrgggggk", ".kgggggrrggggggk",
     ".kddggggggggddgk", "..kddddddddddk..", "...kkkkkkkkkk...", "................"},
    {"................", "................", "................", "................",
     "......kkkk......", "...kkkggggkkk...", "..kggggggggllkk.", ".kggwwkggwwkgllk",
     ".kggwkkggwkkgggk", "kgggwkkggwkkgggk", "kggggggggggggggk", "kgggggrrrrgggggk",
     "kdddgggggggggddk", ".kddddddddddddk.", "..kkkkkkkkkkkk..", "................"}};

static unsigned long paint(char c) {
  switch (c) {
    case 'k':
      return 0x183018; /* outline */
    case 'g':
      return 0x50C050; /* body */
    case 'l':
      return 0xB0F0A0; /* shine */
    case 'd':
      return 0x308030; /* shade */
    case 'w':
      return 0xFFFFFF; /* eyes */
    case 'r':
      return 0xA02828; /* mouth */
    default:
      return 0x80B0F0; /* sky */
  }
}

static bitmap* sprite_of(char const* const* rows) {
  bitmap* b = disp_createbmp(16, 16);
  unsigned long x, y;
  if (!b) return NULL;
  for (y = 0; y < 16; ++y)
    for (x = 0; x < 16; ++x) disp_setpixel_on(b, x, y, paint(rows[y][x]));
  return b;
}

int main(void) {
  bitmap* sprite[2];
  int frame = 0, flips = 0;
  if (!disp_createwin_w_h(640, 400)) return 1;
  disp_settitle("pixelart");
  sprite[0] = sprite_of(frames[0]);
  sprite[1] = sprite_of(frames[1]);
  if (!sprite[0] || !sprite[1]) {
    printf("no bitmap: %s\n", disp_errortext());
    return 1;
  }
  while (disp_iswin()) {
    while (disp_isnextmsg()) {
      if (disp_iskey(QUIB_KEY_ESC)) disp_closewin();
      if (disp_iskey(QUIB_KEY_SPACE)) frame = !frame, ++flips;
    }
    if (!disp_iswin()) break;
    disp_clear_colour(0x80B0F0);
    disp_drawbmp_dx_dy(sprite[frame], 40, 60);                /* its own size */
    disp_drawbmp_dx_dy_dw_dh(sprite[frame], 100, 60, 64, 64); /* four times */
    /* Sixteen times: each pixel a block. */
    disp_drawbmp_dx_dy_dw_dh(sprite[frame], 200, 60, 256, 256);
    disp_drawbmp_dx_dy_dw_dh(sprite[!frame], 500, 60, 96, 96); /* the other frame */
    disp_drawtextxy_colour("SPACE: next frame  Esc: quit", 40, 350, 0x102040);
    disp_freshwin();
    disp_delay(16);
  }
  disp_releasebmp_on(sprite[0]);
  disp_releasebmp_on(sprite[1]);
  printf("frame %d after %d flips\n", frame, flips);
  return 0;
}
