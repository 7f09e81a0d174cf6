// 60 empty frames a second through libdisp (Clear164 + FreshWin45), taking every message.
#include <stdbool.h>
#include "pace.h"
bool CreateWin42(unsigned long, unsigned long);
void Clear164(void);
void FreshWin45(void);
bool IsNextMsg254(void);
int main(int argc, char** argv) {
  int secs = atoi(argv[1]);
  if (!CreateWin42(800, 600)) return 1;
  double cpu0 = 0, t0 = 0;
  long frames = 0;
  pace_start();
  for (long i = 0; i < 60L * (secs + 1); ++i) {
    if (i == 60) {
      cpu0 = cpu_s();
      t0 = now_s();
      frames = 0;
    }
    while (IsNextMsg254()) {
    }
    Clear164();
    FreshWin45();
    ++frames;
    pace_wait();
  }
  report(cpu0, t0, frames);
  return 0;
}
