// Prints "shown" or "hidden": whether the mouse pointer the X server draws now has any
// visible pixel (XFixes reads the cursor image wherever the pointer is).
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>

int main() {
  Display* d = XOpenDisplay(nullptr);
  if (!d) return 1;
  XFixesCursorImage* c = XFixesGetCursorImage(d);
  if (!c) return 1;
  bool shown = false;
  for (int i = 0; i < int(c->width) * int(c->height); ++i) shown |= (c->pixels[i] >> 24) != 0;
  printf("%s\n", shown ? "shown" : "hidden");
  XFree(c);
  XCloseDisplay(d);
  return 0;
}
