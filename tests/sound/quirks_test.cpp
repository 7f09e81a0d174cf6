// The request floor the library hands pipewire-pulse through PULSE_PROP: our period as
// pulse.min.req, whatever the user put there kept, and the graph's quantum left to the server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/sound/aud_internal.h"

namespace {

// PULSE_PROP once the library has prepared its first open, given PULSE_PROP and
// SOUND_PERIOD_MS (null: unset).
std::string propsafter(char const* props, char const* periodms) {
  props ? setenv("PULSE_PROP", props, 1) : unsetenv("PULSE_PROP");
  periodms ? setenv("SOUND_PERIOD_MS", periodms, 1) : unsetenv("SOUND_PERIOD_MS");
  aud_confundo u = aud_periodconf();
  aud_periodundo(u);
  char const* v = getenv("PULSE_PROP");
  return v ? v : "(unset)";
}

// A pulse.min.quantum at our period would drop every client of the graph to 128-frame
// cycles, which a busy machine misses many times a minute: only the request is ours.
TEST(SoundPipeWireFloor, AsksForOurPeriodAndLeavesTheQuantumToTheServer) {
  EXPECT_EQ(propsafter(nullptr, nullptr), "pulse.min.req=144/48000");
  EXPECT_EQ(propsafter(nullptr, "10"), "pulse.min.req=480/48000");
  EXPECT_EQ(propsafter(nullptr, "0"), "(unset)");  // OpenAL Soft's own period, no floor
  EXPECT_EQ(propsafter("", nullptr), "pulse.min.req=144/48000");
}

TEST(SoundPipeWireFloor, KeepsWhatTheUserSet) {
  EXPECT_EQ(propsafter("media.role=game", nullptr), "media.role=game pulse.min.req=144/48000");
  EXPECT_EQ(propsafter("pulse.min.req=256/48000", "10"), "pulse.min.req=256/48000");
  // The old floor, for a machine that keeps up with it, is one setting away.
  EXPECT_EQ(propsafter("pulse.min.quantum=144/48000", nullptr),
            "pulse.min.quantum=144/48000 pulse.min.req=144/48000");
}

}  // namespace
