// A program outside the repository on the installed facade: opens a window (headless in
// the checks), draws, reads a pixel back and uses the facade's own code (mystring,
// random). Prints "hello ok" and exits 0 when everything it used answered as it should.
#include <cstdio>
#include <cstring>

#include <facade.h>
#include <quib/facade.h>  // the same header by its long name; #pragma once keeps it single

int main() {
  if (!createwin(200, 150)) return 1;
  clear();
  circle(100, 75, 20, 0x00FF00UL);
  freshwin();
  unsigned long centre = getpixel(100, 75);
  mystring n = i2s(42);
  srand15(1);
  long r = random(10);
  closewin();
  bool ok = centre == 0x00FF00 && std::strcmp(n, "42") == 0 && r >= 0 && r < 10;
  std::printf("hello %s\n", ok ? "ok" : "wrong");
  return ok ? 0 : 1;
}
