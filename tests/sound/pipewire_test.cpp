// When the library plays straight to PipeWire: only where a PipeWire socket is found as
// libpipewire finds it, and never when the user named OpenAL Soft's backend or a PulseAudio
// server (the test suites' own servers, a user's choice) or switched it off.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/sound/aud_internal.h"

namespace {

namespace fs = std::filesystem;

class SoundPipeWireChoice : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("quib-pw-" + std::to_string(getpid()));
    fs::create_directories(dir / "other");
    for (char const* v : {"SOUND_PIPEWIRE", "ALSOFT_DRIVERS", "PULSE_SERVER", "PIPEWIRE_REMOTE",
                          "PIPEWIRE_RUNTIME_DIR", "XDG_RUNTIME_DIR"})
      unsetenv(v);
  }
  void TearDown() override {
    for (int fd : fds) close(fd);
    fs::remove_all(dir);
  }
  // A listening socket at path, as a server leaves it.
  void socketat(fs::path const& path) {
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    snprintf(a.sun_path, sizeof a.sun_path, "%s", path.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0) << path;
    fds.push_back(fd);
  }
  fs::path dir;
  std::vector<int> fds;
};

TEST_F(SoundPipeWireChoice, FindsTheSocketWhereLibpipewireLooks) {
  EXPECT_FALSE(aud_pwwanted()) << "no runtime folder at all";
  setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  EXPECT_FALSE(aud_pwwanted()) << "a runtime folder without PipeWire";
  std::ofstream(dir / "pipewire-0") << "not a socket";
  EXPECT_FALSE(aud_pwwanted()) << "a plain file by the socket's name";
  fs::remove(dir / "pipewire-0");
  socketat(dir / "pipewire-0");
  EXPECT_TRUE(aud_pwwanted());
  // PIPEWIRE_RUNTIME_DIR comes before XDG_RUNTIME_DIR, and PIPEWIRE_REMOTE names the socket.
  setenv("PIPEWIRE_RUNTIME_DIR", (dir / "other").c_str(), 1);
  EXPECT_FALSE(aud_pwwanted());
  setenv("PIPEWIRE_REMOTE", "../pipewire-0", 1);
  EXPECT_TRUE(aud_pwwanted());
  setenv("PIPEWIRE_REMOTE", (dir / "other" / "none").c_str(), 1);
  EXPECT_FALSE(aud_pwwanted());
  socketat(dir / "other" / "none");
  EXPECT_TRUE(aud_pwwanted()) << "an absolute PIPEWIRE_REMOTE";
}

TEST_F(SoundPipeWireChoice, WhatTheUserNamedWins) {
  setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  socketat(dir / "pipewire-0");
  ASSERT_TRUE(aud_pwwanted());
  for (char const* v : {"ALSOFT_DRIVERS=pulse", "ALSOFT_DRIVERS=wave", "PULSE_SERVER=unix:/x",
                        "SOUND_PIPEWIRE=0", "SOUND_PIPEWIRE=off", "SOUND_PIPEWIRE=No"}) {
    std::string kv = v;
    std::string name = kv.substr(0, kv.find('='));
    setenv(name.c_str(), kv.substr(kv.find('=') + 1).c_str(), 1);
    EXPECT_FALSE(aud_pwwanted()) << v;
    setenv(name.c_str(), "", 1);  // set but empty counts as unset
    EXPECT_TRUE(aud_pwwanted()) << v << ", then emptied";
  }
  setenv("SOUND_PIPEWIRE", "yes", 1);
  EXPECT_TRUE(aud_pwwanted());
}

}  // namespace
