// The SDL backend's tone: a sine wave through SDL's audio, opened on the first call and
// queued, so the call returns at once.
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/disp/sdl/sdl.h"

namespace {

constexpr int dsp_beeprate = 48000;     // samples a second asked for
constexpr double dsp_beepamp = 0.25;    // of full scale
constexpr double dsp_beepfade = 0.005;  // s of fade in and out, against clicks

struct {
  bool tried = false;
  SDL_AudioDeviceID dev = 0;
  int rate = dsp_beeprate;
} dsp_beep;

void dsp_beepexit() {
  if (dsp_beep.dev) SDL_CloseAudioDevice(dsp_beep.dev);
  dsp_beep.dev = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// Opens the device once; a failure is told once and remembered.
bool dsp_beepopen() {
  if (dsp_beep.tried) return dsp_beep.dev != 0;
  dsp_beep.tried = true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    dsp_warn("no audio for the beep: %s", SDL_GetError());
    return false;
  }
  SDL_AudioSpec want = {}, have = {};
  want.freq = dsp_beeprate;
  want.format = AUDIO_F32SYS;
  want.channels = 1;
  want.samples = 1024;
  dsp_beep.dev = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (!dsp_beep.dev) {
    dsp_warn("no audio device for the beep: %s", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  dsp_beep.rate = have.freq;
  SDL_PauseAudioDevice(dsp_beep.dev, 0);
  atexit(dsp_beepexit);
  return true;
}

}  // namespace

// A frequency the device cannot play (below 20 Hz, above 20 kHz or half its rate) is a
// rest of that length.
void dsp_sdltone(unsigned long freq, unsigned long ms) {
  if (!dsp_beepopen()) {
    dsp_fail(dsp_edevice, "sound", "no sound device for the tone");
    return;
  }
  double const bytespersec = double(dsp_beep.rate) * sizeof(float);
  if (double(SDL_GetQueuedAudioSize(dsp_beep.dev)) >= bytespersec * dsp_tonemax / 1000) return;
  size_t n = size_t(double(dsp_beep.rate) * double(ms) / 1000.0);
  std::vector<float> wave(n, 0.0f);
  if (freq >= 20 && freq <= 20000 && freq * 2 < unsigned(dsp_beep.rate)) {
    double const step = 2 * M_PI * double(freq) / dsp_beep.rate;
    double const fade = dsp_beepfade * dsp_beep.rate;
    for (size_t i = 0; i < n; ++i) {
      double edge = std::fmin(double(i), double(n - 1 - i));
      double gain = edge < fade ? edge / fade : 1.0;
      wave[i] = float(dsp_beepamp * gain * std::sin(step * double(i)));
    }
  }
  if (SDL_QueueAudio(dsp_beep.dev, wave.data(), Uint32(n * sizeof(float))) != 0)
    dsp_fail(dsp_edevice, "sound", "the tone cannot be queued: %s", SDL_GetError());
}
