// The virtual clock at the end of its range: it stops there instead of wrapping round to 0,
// and waits for a time it can no longer reach give up instead of spinning. Headless.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "platform/disp/disp.h"

namespace {

// A wait that never ends would hang the suite; the alarm turns it into a failure.
struct deadline {
  deadline() { alarm(20); }
  ~deadline() { alarm(0); }
};

TEST(VirtualClock, StopsAtItsEndAndWaitsThereStillEnd) {
  deadline d;
  ASSERT_TRUE(CreateWin42(320, 240));
  Delay28(ULONG_MAX - 1);
  EXPECT_EQ(GetTime50(), ULONG_MAX - 1);
  // A key held for 65.5 s: its release falls due past the clock's end.
  PressKey240(36, 65535);
  Delay28(2);
  EXPECT_EQ(GetTime50(), ULONG_MAX) << "the clock wrapped";
  EXPECT_GE(GetTimeR49(), 1.8e16);
  Delay28(ULONG_MAX);
  EXPECT_EQ(GetTime50(), ULONG_MAX);
  WaitMouseLeft271();  // nothing can come: returns instead of spinning
  EXPECT_EQ(WaitKey264(), 0ul);
  EXPECT_TRUE(IsWin47());
  CloseWin46();
}

}  // namespace

// The switches are read at the first entry call: set them before any test runs.
int main(int argc, char** argv) {
  setenv("DISP_HEADLESS", "1", 1);
  setenv("DISP_CLOCK", "virtual", 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
