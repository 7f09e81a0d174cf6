/* A small C program as a newcomer writes it: the readable names, a thread procedure that
   gets a pointer back, and a file written without stdio. Compiled, never run. */
#include "platform/disp/disp.h"
#include "platform/sound/sound.h"

static void count(void* user) { ++*(int*)user; }

int main(void) {
  static int ticks;
  static char const score[] = "42";
  if (!disp_createwin_w_h(640, 480)) return 1;
  disp_newthreadwith(count, &ticks);
  while (disp_iswin()) {
    disp_clear_colour(0);
    disp_circle_colour(disp_getmousewinx(), disp_getmousewiny(), 20, 0xFFC040);
    disp_drawtextxy_colour("Esc quits", 10, 10, 0xFFFFFF);
    disp_freshwin();
    disp_delay(16);
  }
  sound_setaudiopitch(sound_loadaudio("a.wav"), 2.0f);
  return disp_writefile("score.txt", score, 2) && disp_writetext("log.txt", "done") ? 0 : 1;
}
