// A small program on libdisp for the input test under Xvfb. "events": prints the mouse and
// key messages it takes, synthesises a middle click when S is pressed, closes on Esc.
// "wait": waits for a key, then for messages until the waits end. Gives up after 20 s.
// Key and button lines tell what is held (Right, Left, the right button) and repeats.
#include <cstdio>
#include <cstring>

#include "platform/disp/disp.h"

namespace {

void frame() {
  Clear164();
  Circle187(160, 100, 20, 0xFF0000);
  FreshWin45();
}

int events() {
  double next = GetTimeR49(), end = next + 20;
  bool ready = false;
  while (IsWin47() && GetTimeR49() < end) {
    if (unsigned long code = GetNextMsg255()) {
      if (IsMouse266())
        printf("down %lu %ld %ld held %d\n", GetMouse267(), GetMouseWinX288(), GetMouseWinY289(),
               int(disp_isbuttondown(GetMouse267())));
      else if (IsMouseWheel276())
        printf("wheel %ld\n", GetMouseWheel277());
      else if (IsMouseMove279())
        printf("move %lu %lu abs %ld %ld\n", GetMouseMove280() & 0xFFFF, GetMouseMove280() >> 16,
               GetMouseAbsX286(), GetMouseAbsY287());
      else if (IsKey261())
        printf("key %lu held %d repeat %d\n", GetKey262(), int(disp_iskeydown(GetKey262())),
               int(disp_isrepeat()));
      else if (unsigned long vk = disp_getkeyup())
        printf("keyup %lu held %d\n", vk, int(disp_iskeydown(vk)));
      else if (code == 0x202 || code == 0x205 || code == 0x208)
        printf("up %lx held %d\n", code, int(disp_isbuttondown(code == 0x202 ? 1 : 2)));
      else if (code == 0x008)
        printf("focuslost right %d left %d rbutton %d\n", int(disp_iskeydown(39)),
               int(disp_iskeydown(37)), int(disp_isbuttondown(2)));
      fflush(stdout);
      if (IsKey260(83)) PressMouse245(4);
      if (IsKey260(27)) CloseWin46();
    } else {
      Delay28(1);
    }
    if (IsWin47() && GetTimeR49() >= next) {
      next += 1.0 / 60;
      frame();
      if (!ready) {
        printf("ready\n");
        fflush(stdout);
        ready = true;
      }
    }
  }
  return 0;
}

int waits() {
  frame();
  printf("ready\n");
  fflush(stdout);
  printf("waited %lu\n", WaitKey264());
  fflush(stdout);
  while (unsigned long code = WaitNextMsg256()) {
    if (code == 0x10) {
      printf("close\n");
      fflush(stdout);
    }
  }
  printf("end %d\n", int(IsWin47()));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (!CreateWin42(320, 200)) return 1;
  SetTitle51("input_probe");
  return argc > 1 && strcmp(argv[1], "wait") == 0 ? waits() : events();
}
