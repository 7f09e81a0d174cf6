// Prints the colour (RRGGBB, hex) that the X server shows at (x, y) of a window: what the
// window test reads back to see that frames really reach the screen.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: xpixel WINDOW X Y\n");
    return 2;
  }
  Display* d = XOpenDisplay(nullptr);
  if (!d) return 1;
  Window w = Window(strtoul(argv[1], nullptr, 0));
  XImage* img = XGetImage(d, w, atoi(argv[2]), atoi(argv[3]), 1, 1, AllPlanes, ZPixmap);
  if (!img) return 1;
  printf("%06lx\n", XGetPixel(img, 0, 0) & 0xFFFFFF);
  XDestroyImage(img);
  XCloseDisplay(d);
  return 0;
}
