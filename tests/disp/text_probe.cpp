// A small program on libdisp for the typed-text and clipboard tests under Xvfb and weston.
// "own TEXT": puts TEXT on the clipboard and TEXT! as the primary selection, then prints the
// text messages typed into it until Esc (or 90 s), keeping both for other programs meanwhile.
// "read": prints the clipboard and the primary selection another program holds. The window
// is titled text_probe (SetTitle51) on X11 and Wayland alike.
#include <time.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/disp/disp.h"

namespace {

int own(char const* text) {
  if (!disp_setclipboard(text)) printf("no window yet: error %lu\n", GetError38());
  if (!CreateWin42(320, 200)) return 1;
  std::string primary = std::string(text) + "!";
  if (!disp_setclipboard(text) || !disp_setprimaryselection(primary.c_str())) return 2;
  disp_starttextinput();
  disp_settextrect(10, 10, 100, 20);
  Clear164();
  FreshWin45();
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  printf("owned [%s]\nat %lld\n", disp_getclipboard(), now.tv_sec * 1000000000LL + now.tv_nsec);
  fflush(stdout);
  // Long enough for a loaded machine to run the whole test; the test ends it sooner.
  double const end = GetTimeR49() + 90;
  while (IsWin47() && GetTimeR49() < end) {
    unsigned long code = GetNextMsg255();
    if (code == 0x102) printf("text [%s]\n", disp_gettypedtext());
    if (code == 0x100 && GetKey262() == 27) break;
    // A Wayland compositor takes the clipboard from a window that had input: set again
    // on SPACE.
    if (code == 0x100 && GetKey262() == 32 && disp_setclipboard(text)) printf("set again\n");
    fflush(stdout);
    if (!code) Delay28(5);
  }
  return 0;
}

// A compositor offers the clipboard once the window has the keyboard: messages are taken
// until it has come, for up to 30 s (a loaded machine's compositor is slow to get there).
int read() {
  if (!CreateWin42(320, 200)) return 1;
  Clear164();
  FreshWin45();
  for (double end = GetTimeR49() + 30; !*disp_getclipboard() && GetTimeR49() < end;) {
    while (GetNextMsg255()) {
    }
    Delay28(10);
  }
  printf("clipboard [%s]\n", disp_getclipboard());
  printf("primary [%s]\n", disp_getprimaryselection());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  SetTitle51("text_probe");
  if (argc == 3 && strcmp(argv[1], "own") == 0) return own(argv[2]);
  if (argc == 2 && strcmp(argv[1], "read") == 0) return read();
  return 2;
}
