// Sound loading, common pitch and music loop-back. A sound is read from audio/ in the
// working directory as always; started elsewhere, or where that copy does not load, the
// game finds it in its data directory.
#include "sound/cues.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "facade/facade.h"
#include "game/config.h"
#include "game/state.h"

namespace {

std::filesystem::path selfexe() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : exe;
}

// The installed binary lies in <prefix>/bin and its sounds in <prefix>/share/quib; found
// from the binary's own path, so a moved prefix still works.
std::string installdir() {
  std::filesystem::path exe = selfexe();
  if (exe.empty()) return "";
  return (exe.parent_path() / ".." / "share" / "quib").lexically_normal().string();
}

// The sources are a place to look in only for the game run where it was built: an
// installed copy must not pick up whatever now lies at the build's old source path.
[[maybe_unused]] bool inbuildfolder() {
#ifdef QUIB_BUILD_DIR
  std::filesystem::path exe = selfexe();
  std::error_code ec;
  return !exe.empty() && std::filesystem::equivalent(exe.parent_path(), QUIB_BUILD_DIR, ec);
#else
  return false;
#endif
}

std::string joined(std::vector<std::string> const& names) {
  std::string all;
  for (std::string const& n : names) all += (all.empty() ? "" : ", ") + n;
  return all;
}

}  // namespace

std::vector<std::string> sounddirs() {
  std::vector<std::string> dirs;
  if (char const* d = freshsettings().datadir; d != nullptr && *d != '\0') dirs.push_back(d);
  if (std::string d = installdir(); !d.empty()) dirs.push_back(d);
#ifdef QUIB_SOURCE_DIR
  if (inbuildfolder()) dirs.push_back(QUIB_SOURCE_DIR);
#endif
  return dirs;
}

unsigned int loadsound(char const* path) {
  // The working directory first, with the path exactly as always; then the data directories.
  // A copy that is there but does not load (empty, cut short, not sound at all) is passed
  // over like a missing one: a stray audio/ folder must not silence a good installed copy.
  std::vector<std::string> places{path};
  for (std::string const& dir : sounddirs()) {
    places.push_back((std::filesystem::path(dir) / path).string());
  }
  std::vector<std::string> tried, unloadable;
  for (std::size_t i = 0; i < places.size(); ++i) {
    std::string name =
        i == 0 ? std::string(path) + " in the working directory" : quoted(places[i].c_str(), 200);
    tried.push_back(name);
    if (access(places[i].c_str(), F_OK) != 0) continue;
    if (auto handle = static_cast<unsigned int>(loadaudio(places[i].c_str())); handle != 0) {
      if (!unloadable.empty()) {
        std::fprintf(stderr, "quib: sound %s: cannot load %s; playing %s instead\n", path,
                     joined(unloadable).c_str(), name.c_str());
      }
      return handle;
    }
    unloadable.push_back(name);
  }
  // Handle 0 is no sound: every call on it does nothing, and the game plays on silently.
  std::fprintf(stderr, "quib: sound %s %s (tried %s); playing on without it\n", path,
               unloadable.empty() ? "not found" : "cannot be loaded", joined(tried).c_str());
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
