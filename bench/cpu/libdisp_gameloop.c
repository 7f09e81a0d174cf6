// The game's loop pattern on libdisp with empty frames: one message or Delay28(1) per
// pass, a frame when the 60 Hz drawing clock is due.
#include <stdbool.h>
#include "pace.h"
bool CreateWin42(unsigned long, unsigned long);
void Clear164(void);
void FreshWin45(void);
bool IsNextMsg254(void);
bool IsWin47(void);
void Delay28(unsigned long);
double GetTimeR49(void);
int main(int argc, char** argv) {
  int secs = atoi(argv[1]);
  if (!CreateWin42(800, 600)) return 1;
  double draw = GetTimeR49(), start = draw, cpu0 = 0, t0 = 0;
  long frames = 0;
  bool measuring = false;
  while (IsWin47() && GetTimeR49() < start + secs + 1) {
    if (!measuring && GetTimeR49() >= start + 1) {
      measuring = true;
      cpu0 = cpu_s();
      t0 = now_s();
      frames = 0;
    }
    if (!IsNextMsg254()) Delay28(1);
    if (GetTimeR49() > draw + 1.0 / 60) {
      while (GetTimeR49() > draw + 1.0 / 60) draw += 1.0 / 60;
      Clear164();
      FreshWin45();
      ++frames;
    }
  }
  report(cpu0, t0, frames);
  return 0;
}
