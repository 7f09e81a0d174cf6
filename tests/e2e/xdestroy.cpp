// Test client: destroys another client's window (id given in decimal or 0x hex) on the X
// display of $DISPLAY, as a desktop tool or a crashing parent might.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: xdestroy WINDOW\n");
    return 2;
  }
  Display* d = XOpenDisplay(nullptr);
  if (!d) {
    fprintf(stderr, "xdestroy: cannot open the display\n");
    return 1;
  }
  XDestroyWindow(d, Window(strtoul(argv[1], nullptr, 0)));
  XSync(d, False);
  XCloseDisplay(d);
  return 0;
}
