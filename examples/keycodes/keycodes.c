/* keycodes: shows the code of every key pressed (a Windows virtual-key code, what disp_iskey
 * takes) with its QUIB_KEY_ name where one of the common ones fits. Letters come as their
 * upper-case codes; punctuation keys have codes of their own ('[' is 219, not 91), which is
 * what this viewer is for. Esc quits; prints every code seen. */
#include <disp.h>
#include <keys.h>
#include <stdio.h>
#include <string.h>

static char const* name_of(unsigned long vk) {
  static char one[2];
  switch (vk) {
    case QUIB_KEY_SPACE:
      return "QUIB_KEY_SPACE";
    case QUIB_KEY_ENTER:
      return "QUIB_KEY_ENTER";
    case QUIB_KEY_LEFT:
      return "QUIB_KEY_LEFT";
    case QUIB_KEY_RIGHT:
      return "QUIB_KEY_RIGHT";
    case QUIB_KEY_UP:
      return "QUIB_KEY_UP";
    case QUIB_KEY_DOWN:
      return "QUIB_KEY_DOWN";
    case QUIB_KEY_TAB:
      return "QUIB_KEY_TAB";
    case QUIB_KEY_BACKSPACE:
      return "QUIB_KEY_BACKSPACE";
    case QUIB_KEY_SHIFT:
      return "QUIB_KEY_SHIFT";
    case QUIB_KEY_CTRL:
      return "QUIB_KEY_CTRL";
    case QUIB_KEY_F1:
      return "QUIB_KEY_F1 (also 'p': never test a lower-case letter)";
    case QUIB_KEY_COMMA:
      return "QUIB_KEY_COMMA";
    case QUIB_KEY_SEMICOLON:
      return "QUIB_KEY_SEMICOLON";
    case QUIB_KEY_LEFTBRACKET:
      return "QUIB_KEY_LEFTBRACKET";
    case QUIB_KEY_RIGHTBRACKET:
      return "QUIB_KEY_RIGHTBRACKET";
    default:
      break;
  }
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
    one[0] = (char)vk;
    return one;
  }
  return "";
}

int main(void) {
  char seen[512] = "", line[96];
  unsigned long last = 0;
  int count = 0;
  if (!disp_createwin_w_h(560, 240)) return 1;
  disp_settitle("keycodes");
  while (disp_iswin()) {
    while (disp_isnextmsg()) {
      unsigned long vk = disp_getkey();
      if (vk == 0) continue; /* not a key press */
      if (vk == QUIB_KEY_ESC) disp_closewin();
      last = vk;
      ++count;
      if (strlen(seen) < sizeof seen - 8)
        sprintf(seen + strlen(seen), "%s%lu", *seen ? " " : "", vk);
    }
    if (!disp_iswin()) break;
    disp_clear_colour(0x181818);
    disp_drawtextxy_colour("press any key (Esc quits)", 20, 20, 0xA0A0A0);
    disp_setfontsize(20, 40);
    sprintf(line, "%lu", last);
    disp_drawtextxy_colour(count ? line : "-", 20, 60, 0xFFE060);
    disp_setfontsize(10, 20);
    sprintf(line, "0x%02lX  %s", last, name_of(last));
    disp_drawtextxy_colour(count ? line : "", 20, 120, 0xFFFFFF);
    disp_drawtextxy_colour(seen, 20, 180, 0x80C080);
    disp_freshwin();
    disp_delay(16);
  }
  printf("keys %s\n", seen);
  return 0;
}
