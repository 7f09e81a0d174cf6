// For icon_xvfb.sh: sets an icon before any window is open (a 1000 x 500 red bitmap, to be
// scaled down to 256 x 128), then opens a window, which must show it. A null bitmap is
// refused with error 2 and changes nothing. Runs until DISP_QUIT_AT closes the window.
#include <cstdio>

#include "facade/facade.h"

int main() {
  geterror();
  seticon(nullptr);
  if (geterror() != 2) {
    std::puts("seticon(nullptr) did not report a bad argument");
    return 3;
  }
  bitmap* b = createbmp(1000, 500, 0xFF0000);
  seticon(b);
  releasebmp(b);  // the library keeps a copy
  if (geterror() != 0 || !createwin(200, 100)) return 4;
  std::puts("open");
  std::fflush(stdout);
  while (iswin()) {
    isnextmsg();
    delay(10);
  }
  return 0;
}
