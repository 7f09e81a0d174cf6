// Sound loading, common pitch and music loop-back.
#include "sound/cues.h"

#include <initializer_list>

#include "facade/facade.h"
#include "game/state.h"

void initsound() {
  initaudio();
  sbg = static_cast<unsigned int>(loadaudio("audio/bg.mp3"));
  sj1 = static_cast<unsigned int>(loadaudio("audio/sj1.wav"));
  sj2 = static_cast<unsigned int>(loadaudio("audio/sj2.wav"));
  sj3 = static_cast<unsigned int>(loadaudio("audio/sj3.wav"));
  sj4 = static_cast<unsigned int>(loadaudio("audio/sj4.wav"));
}

void setaudiofrqall(double v) {
  float f = static_cast<float>(v);
  for (unsigned int s : {sbg, sj1, sj2, sj3, sj4}) setaudiofrq(s, f);
}

void setaudioloop(double end, double start) {
  if (getaudiopos(sbg) > end) setaudiopos(sbg, static_cast<float>(start));
}
