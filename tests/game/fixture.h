// Shared set-up of the game tests: the recording libraries, a known seed and a new game
// started at simulation time 0.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "facade/random.h"
#include "game/state.h"
#include "tests/support/recorder.h"

void initgame();

class GameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rec::reset();
    // The recorder's colour for hsn2rgb is the packed argument itself, so tests can read
    // the hue band back from a loop's colour.
    rec::numeric_result = [](rec::call const& c) -> double {
      if (c.entry == "HSN2RGB100") return c.num(0);
      if (c.entry == "abs2") return std::sqrt(c.num(0) * c.num(0) + c.num(1) * c.num(1));
      if (c.entry == "arccos5") return std::acos(c.num(0));
      return 0;
    };
    srand15(12345);
    sbg = 1, sj1 = 2, sj2 = 3, sj3 = 4, sj4 = 5;
    ftimestep = 0;
    ftimedraw = 0;
    framestep = 120;
    framedraw = 60;
    ballexp = 0;
    fpsb = false;
    initgame();
    rec::calls.clear();
  }
};
