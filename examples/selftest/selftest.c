/* selftest: the headless mode as a testing tool. Run with DISP_HEADLESS=1 the program
 * draws, then reads its own pixels back and checks them, as a unit test of a game's
 * drawing would; it exits 1 on the first wrong pixel. No display is needed. */
#include <disp.h>
#include <stdio.h>

static int checks, failures;

static void expect(char const* what, unsigned long x, unsigned long y, unsigned long want) {
  unsigned long got = disp_getpixel(x, y);
  ++checks;
  if (got != want) {
    printf("FAIL %s: pixel (%lu, %lu) is %06lX, expected %06lX\n", what, x, y, got, want);
    ++failures;
  }
}

int main(void) {
  if (!disp_createwin_w_h(320, 240)) {
    printf("no window: %s\n", disp_errortext());
    return 1;
  }
  disp_settitle("selftest");
  disp_clear_colour(0x000000);
  expect("cleared", 0, 0, 0x000000);
  expect("cleared", 319, 239, 0x000000);

  disp_bar_colour(10, 10, 100, 50, 0x3366CC); /* corner (10, 10), 100 x 50 */
  expect("bar inside", 10, 10, 0x3366CC);
  expect("bar inside", 109, 59, 0x3366CC);
  expect("bar, right of it", 110, 30, 0x000000);
  expect("bar, below it", 50, 60, 0x000000);

  disp_setpixel_colour(200, 100, 0xABCDEF); /* a pixel is set exactly */
  expect("set pixel", 200, 100, 0xABCDEF);
  expect("next pixel", 201, 100, 0x000000);

  disp_setantialias(0); /* hard edges: no blended colour anywhere */
  disp_circle_colour(250, 180, 20, 0xFF0000);
  expect("disc centre", 250, 180, 0xFF0000);
  expect("inside the rim", 250, 161, 0xFF0000);
  expect("outside the rim", 250, 158, 0x000000);
  expect("corner of its box", 231, 161, 0x000000);

  expect("off the picture reads 0", 999, 999, 0);
  disp_freshwin(); /* the frame DISP_SHOT writes */
  printf("%d checks, %d failed\n", checks, failures);
  return failures ? 1 : 0;
}
