// Sound loading, common pitch and music loop-back. A sound is read from audio/ in the
// working directory as always; started elsewhere, the game finds it in its data directory.
#include "sound/cues.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "facade/facade.h"
#include "game/cli.h"
#include "game/state.h"

namespace {

// The installed binary lies in <prefix>/bin and its sounds in <prefix>/share/quib; found
// from the binary's own path, so a moved prefix still works.
std::string installdir() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) return "";
  return (exe.parent_path() / ".." / "share" / "quib").lexically_normal().string();
}

}  // namespace

std::vector<std::string> sounddirs() {
  std::vector<std::string> dirs;
  if (char const* d = std::getenv("QUIB_DATA_DIR"); d != nullptr && *d != '\0') dirs.push_back(d);
  if (std::string d = installdir(); !d.empty()) dirs.push_back(d);
#ifdef QUIB_SOURCE_DIR
  dirs.push_back(QUIB_SOURCE_DIR);
#endif
  return dirs;
}

unsigned int loadsound(char const* path) {
  // The usual case first, and with the path exactly as always.
  if (access(path, F_OK) == 0) return static_cast<unsigned int>(loadaudio(path));
  std::string tried = std::string(path) + " in the working directory";
  for (std::string const& dir : sounddirs()) {
    std::string full = (std::filesystem::path(dir) / path).string();
    if (access(full.c_str(), F_OK) == 0) return static_cast<unsigned int>(loadaudio(full.c_str()));
    tried += ", " + quoted(full.c_str(), 200);
  }
  // Handle 0 is no sound: every call on it does nothing, and the game plays on silently.
  std::fprintf(stderr, "quib: sound %s not found (tried %s); playing on without it\n", path,
               tried.c_str());
  return 0;
}

void initsound() {
  initaudio();
  sbg = loadsound("audio/bg.mp3");
  sj1 = loadsound("audio/sj1.wav");
  sj2 = loadsound("audio/sj2.wav");
  sj3 = loadsound("audio/sj3.wav");
  sj4 = loadsound("audio/sj4.wav");
}

void setaudiofrqall(double v) {
  float f = static_cast<float>(v);
  for (unsigned int s : {sbg, sj1, sj2, sj3, sj4}) setaudiofrq(s, f);
}

void setaudioloop(double end, double start) {
  if (getaudiopos(sbg) > end) setaudiopos(sbg, static_cast<float>(start));
}
