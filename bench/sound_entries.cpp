// Costs of the libsound entries: loading the 85 s music at start-up (it must not wait for
// the whole MP3 to decode), reading the music position, which the main loop does once per
// pass, and pausing, resuming and freeing. Runs on OpenAL Soft's null backend.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sound/sound.h"

namespace {

std::string dir;

// A 16-bit PCM WAV of secs seconds of a chord, written by hand.
void writewav(std::string const& path, double secs, int channels) {
  const uint32_t rate = 44100, frames = uint32_t(secs * rate);
  const uint32_t bytes = frames * channels * 2;
  std::ofstream f(path, std::ios::binary);
  auto u32 = [&](uint32_t v) { f.write(reinterpret_cast<char const*>(&v), 4); };
  auto u16 = [&](uint16_t v) { f.write(reinterpret_cast<char const*>(&v), 2); };
  f << "RIFF";
  u32(36 + bytes);
  f << "WAVEfmt ";
  u32(16), u16(1), u16(uint16_t(channels)), u32(rate), u32(rate * channels * 2);
  u16(uint16_t(channels * 2)), u16(16);
  f << "data";
  u32(bytes);
  std::vector<int16_t> pcm(size_t(frames) * channels);
  for (uint32_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      pcm[size_t(i) * channels + c] =
          int16_t(6000 * (std::sin(i * 0.0627) + std::sin(i * 0.0791 + c)));
  f.write(reinterpret_cast<char const*>(pcm.data()), std::streamsize(pcm.size() * 2));
}

// The game's music: 85 s of stereo at 44.1 kHz as MP3, or "" without lame.
std::string const& music() {
  static std::string path = [] {
    std::string wav = dir + "/bg.wav", mp3 = dir + "/bg.mp3";
    writewav(wav, 85, 2);
    std::string cmd = "lame --quiet '" + wav + "' '" + mp3 + "'";
    return std::system(cmd.c_str()) == 0 ? mp3 : std::string();
  }();
  return path;
}

// Each load is freed outside the timing, so its OpenAL source (256 in all) comes back.
void LoadAudio3_85sMp3(benchmark::State& state) {
  if (music().empty()) return state.SkipWithError("lame is needed to make the MP3");
  for (auto _ : state) {
    unsigned long h = LoadAudio3(music().c_str());
    state.PauseTiming();
    FreeAudio7(h);
    state.ResumeTiming();
  }
}
BENCHMARK(LoadAudio3_85sMp3)->Iterations(10)->Repetitions(9)->Unit(benchmark::kMillisecond);

void LoadAudio3_1sWav(benchmark::State& state) {
  std::string wav = dir + "/sj1.wav";
  writewav(wav, 1, 1);
  for (auto _ : state) {
    unsigned long h = LoadAudio3(wav.c_str());
    state.PauseTiming();
    FreeAudio7(h);
    state.ResumeTiming();
  }
}
BENCHMARK(LoadAudio3_1sWav)->Iterations(10)->Repetitions(9)->Unit(benchmark::kMicrosecond);

// The main loop's read of the playing, streamed music at the game's top pitch.
void GetAudioPos15_PlayingMusic(benchmark::State& state) {
  if (music().empty()) return state.SkipWithError("lame is needed to make the MP3");
  static unsigned long h = LoadAudio3(music().c_str());
  SetAudioFrq26(h, 24);
  PlayAudio9(h, 0);
  for (auto _ : state) benchmark::DoNotOptimize(GetAudioPos15(h));
}
BENCHMARK(GetAudioPos15_PlayingMusic)->Repetitions(9);

// The music's loop-back: a seek of the playing stream, refilling its queue.
void SetAudioPos22_PlayingMusic(benchmark::State& state) {
  if (music().empty()) return state.SkipWithError("lame is needed to make the MP3");
  static unsigned long h = LoadAudio3(music().c_str());
  PlayAudio9(h, 0);
  for (auto _ : state) SetAudioPos22(h, 27.49f);
}
BENCHMARK(SetAudioPos22_PlayingMusic)->Repetitions(9)->Unit(benchmark::kMicrosecond);

// A pause and a resume of the playing music: the resume refills its queue from the
// paused position.
void PauseResume_PlayingMusic(benchmark::State& state) {
  if (music().empty()) return state.SkipWithError("lame is needed to make the MP3");
  static unsigned long h = LoadAudio3(music().c_str());
  PlayAudio9(h, 10);
  for (auto _ : state) {
    PauseAudio10(h);
    SetAudioSit21(h, 1);
  }
}
BENCHMARK(PauseResume_PlayingMusic)->Repetitions(9)->Unit(benchmark::kMicrosecond);

// The state of the playing music, which asks OpenAL whether it has ended.
void GetAudioSit13_PlayingMusic(benchmark::State& state) {
  if (music().empty()) return state.SkipWithError("lame is needed to make the MP3");
  static unsigned long h = LoadAudio3(music().c_str());
  PlayAudio9(h, 0);
  for (auto _ : state) benchmark::DoNotOptimize(GetAudioSit13(h));
}
BENCHMARK(GetAudioSit13_PlayingMusic)->Repetitions(9);

// A load and free of a short effect, the way a game would swap its effects.
void LoadFree_1sWav(benchmark::State& state) {
  std::string wav = dir + "/sj3.wav";
  writewav(wav, 1, 1);
  for (auto _ : state) FreeAudio7(LoadAudio3(wav.c_str()));
}
BENCHMARK(LoadFree_1sWav)->Repetitions(9)->Unit(benchmark::kMicrosecond);

void GetAudioPos15_PlayingEffect(benchmark::State& state) {
  std::string wav = dir + "/sj2.wav";
  writewav(wav, 3, 1);
  static unsigned long h = LoadAudio3(wav.c_str());
  PlayAudio8(h);
  for (auto _ : state) benchmark::DoNotOptimize(GetAudioPos15(h));
}
BENCHMARK(GetAudioPos15_PlayingEffect)->Repetitions(9);

}  // namespace

int main(int argc, char** argv) {
  setenv("ALSOFT_DRIVERS", "null", 0);
  char tmpl[] = "/tmp/soundbench.XXXXXX";
  dir = mkdtemp(tmpl);
  InitAudio1();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::system(("rm -rf '" + dir + "'").c_str());
}
