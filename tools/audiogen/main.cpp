// audiogen: renders the game's music master and sound effects, and measures sound files.
//   audiogen --effects DIR     writes sj1.wav .. sj4.wav into DIR
//   audiogen --music FILE      writes the music master as 16-bit stereo WAV (encode it to MP3)
//   audiogen --measure FILE..  prints length, channels, peak and loudness of each file
#include <cstdio>
#include <cstring>
#include <string>

#include "audio.h"
#include "loudness.h"
#include "music.h"
#include "sfx.h"

namespace {

int effectsto(const std::string& dir) {
  for (const ag::Effect& e : ag::effects()) {
    std::string path = dir + "/" + e.file;
    ag::Audio a = ag::rendereffect(e);
    if (!ag::writewav(path, a)) {
      std::fprintf(stderr, "audiogen: cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("%s  %.3f s  peak %.2f dBFS  %.1f LUFS while sounding\n", path.c_str(), a.seconds(),
                ag::peakdb(a), ag::activelufs(a));
  }
  return 0;
}

int musicto(const std::string& path) {
  ag::MusicReport r;
  ag::Audio a = ag::rendermusic(&r);
  if (!ag::writewav(path, a)) {
    std::fprintf(stderr, "audiogen: cannot write %s\n", path.c_str());
    return 1;
  }
  std::printf("%s  %.3f s  %.2f LUFS  peak %.2f dBFS  master gain %+.2f dB\n", path.c_str(),
              a.seconds(), r.lufs, r.peakdb, r.gaindb);
  for (const auto& [name, lufs] : r.tracks)
    std::printf("  %-8s %6.1f LUFS in the loop\n", name.c_str(), lufs);
  return 0;
}

int measure(const char* path) {
  int rate = 0;
  ag::Audio a = ag::readaudio(path, &rate);
  if (a.s.empty()) {
    std::fprintf(stderr, "audiogen: cannot read %s\n", path);
    return 1;
  }
  std::printf("%s  %.3f s  %d ch  %d Hz  peak %.2f dBFS  integrated %.2f LUFS  active %.2f LUFS\n",
              path, static_cast<double>(a.frames()) / rate, a.channels, rate, ag::peakdb(a),
              ag::integratedlufs(a), ag::activelufs(a));
  return 0;
}

int usage() {
  std::fprintf(stderr, "usage: audiogen --effects DIR | --music FILE.wav | --measure FILE...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  if (!std::strcmp(argv[1], "--effects") && argc == 3) return effectsto(argv[2]);
  if (!std::strcmp(argv[1], "--music") && argc == 3) return musicto(argv[2]);
  if (!std::strcmp(argv[1], "--measure")) {
    int rc = 0;
    for (int i = 2; i < argc; ++i) rc |= measure(argv[i]);
    return rc;
  }
  return usage();
}
