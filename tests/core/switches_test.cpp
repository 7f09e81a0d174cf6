// The core under both libraries and the game: each kind's parser takes exactly what it says,
// the one quoting function escapes and bounds, and a bad value gets the same words in
// every layer, with the default standing (the libraries go on, the game refuses).
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "game/config.h"
#include "platform/core/quote.h"
#include "platform/core/switches.h"
#include "platform/disp/config.h"
#include "platform/sound/aud_internal.h"

namespace {

std::map<std::string, std::string> env;
char const* lookup(char const* name) {
  auto it = env.find(name);
  return it == env.end() ? nullptr : it->second.c_str();
}

TEST(CoreParsers, EachKindTakesWhatItSaysAndNothingElse) {
  struct {
    core_kind kind;
    double lo, hi;
    char const* v;
    bool good;
    double x;  // flag, number, whole, choice; size: the width
    int h = 0;
  } const cases[] = {
      {core_kind::flag, 0, 0, "TRUE", true, 1},
      {core_kind::flag, 0, 0, "Off", true, 0},
      {core_kind::flag, 0, 0, "no", true, 0},
      {core_kind::flag, 0, 0, "2", false, 0},
      {core_kind::flag, 0, 0, " 1", false, 0},
      {core_kind::flag, 0, 0, "yess", false, 0},
      {core_kind::flag, 0, 0, "", false, 0},
      {core_kind::number, 0, INFINITY, "1e1", true, 10},
      {core_kind::number, 0, INFINITY, ".5", true, 0.5},
      {core_kind::number, 0, INFINITY, "-0", false, 0},
      {core_kind::number, 0, INFINITY, "+1", false, 0},
      {core_kind::number, 0, INFINITY, "0x1", false, 0},
      {core_kind::number, 0, INFINITY, "inf", false, 0},
      {core_kind::number, 0, INFINITY, "nan", false, 0},
      {core_kind::number, 0, INFINITY, "1e999", false, 0},
      {core_kind::number, 0, INFINITY, "1s", false, 0},
      {core_kind::number, 0, 200, "200", true, 200},
      {core_kind::number, 0, 200, "200.5", false, 0},
      {core_kind::whole, 0, 4294967295.0, "0007", true, 7},
      {core_kind::whole, 0, 4294967295.0, "4294967295", true, 4294967295.0},
      {core_kind::whole, 0, 4294967295.0, "4294967296", false, 0},
      {core_kind::whole, 0, 4294967295.0, "7e3", false, 0},
      {core_kind::whole, 2, 16, "3.0", false, 0},
      {core_kind::whole, 2, 16, "1", false, 0},
      {core_kind::size, 1, 16384, "640X480", true, 640, 480},
      {core_kind::size, 1, 16384, "16384x1", true, 16384, 1},
      {core_kind::size, 1, 16384, "16385x1", false, 0},
      {core_kind::size, 1, 16384, "1x16385", false, 0},
      {core_kind::size, 1, 16384, "0x10", false, 0},
      {core_kind::size, 1, 16384, "10x10x10", false, 0},
      {core_kind::size, 1, 16384, "10x", false, 0},
      {core_kind::size, 1, 16384, "10x+5", false, 0},
      {core_kind::choice, 0, 0, "VIRTUAL", true, 1},
      {core_kind::choice, 0, 0, "real", true, 0},
      {core_kind::choice, 0, 0, "virt", false, 0},
  };
  for (auto const& c : cases) {
    core_value got;
    bool const good = core_parse(c.kind, c.v, c.lo, c.hi, "real|virtual", got);
    EXPECT_EQ(good, c.good) << c.v;
    if (!good || !c.good) continue;
    if (c.kind == core_kind::size) {
      EXPECT_EQ(got.w, int(c.x)) << c.v;
      EXPECT_EQ(got.h, c.h) << c.v;
    } else {
      EXPECT_EQ(got.x, c.x) << c.v;
    }
  }
}

TEST(CoreQuote, OneFunctionEscapesAndBoundsInEachLayersQuotes) {
  std::string const big(1000, 'n');
  struct {
    char const* s;
    core_quotes q;
    size_t most;
    std::string out;
  } const cases[] = {
      {nullptr, core_quotes::bare, 96, "(null)"},
      {"a\x1b[2J\x7f b", core_quotes::bare, 96, "a\\x1B[2J\\x7F b"},
      // Overlong forms, surrogates and stray bytes are no characters; a real one passes.
      {"\xC0\xAF\xED\xA0\x80\xFF\xC3\xA9", core_quotes::bare, 96,
       "\\xC0\\xAF\\xED\\xA0\\x80\\xFF\xC3\xA9"},
      {"back\\slash \"q\" 'q'", core_quotes::bare, 96, "back\\slash \"q\" 'q'"},
      {"a\"b\\c'", core_quotes::dbl, 96, "\"a\\\"b\\\\c'\""},
      {"a\"b\\c'", core_quotes::single, 96, "'a\"b\\\\c\\''"},
      // Cut on a whole character; the mark inside single quotes, after double ones.
      {"yy\xC3\xA9zz", core_quotes::single, 3, "'yy...'"},
      {"yy\xC3\xA9zz", core_quotes::dbl, 4, "\"yy\xC3\xA9\"..."},
      {"abcdef", core_quotes::bare, 6, "abcdef"},
      {big.c_str(), core_quotes::bare, core_quotemax, std::string(core_quotemax, 'n') + "..."},
  };
  for (auto const& c : cases) EXPECT_EQ(core_quote(c.s, c.q, c.most), c.out) << c.out;
}

// The same bad values through each layer's own table: one line in the same words, the
// default standing after it.
TEST(BadValue, EveryLayerSaysTheSameWordsAndKeepsTheDefault) {
  struct {
    char const* name;
    char const* value;
    std::string line;
  } const cases[] = {
      {"DISP_CACHE", "maybe",
       "DISP_CACHE=maybe is not yes or no (1/0, yes/no, on/off, true/false); using 1"},
      {"DISP_SIZE", "16385x100",
       "DISP_SIZE=16385x100 is not WIDTHxHEIGHT, each from 1 to 16384; ignored"},
      {"DISP_QUIT_AT", "-0", "DISP_QUIT_AT=-0 is not a number of at least 0; ignored"},
      {"DISP_CLOCK", "Virtuel\x1b", "DISP_CLOCK=Virtuel\\x1B is not real or virtual; using real"},
      {"SOUND_PIPEWIRE", "maybe",
       "SOUND_PIPEWIRE=maybe is not yes or no (1/0, yes/no, on/off, true/false); using 1"},
      {"SOUND_PERIODS", "7e0", "SOUND_PERIODS=7e0 is not a whole number from 2 to 16; using 4"},
      {"QUIB_CHECK", "maybe",
       "QUIB_CHECK='maybe' is not yes or no (1/0, yes/no, on/off, true/false)"},
      {"QUIB_SEED", "-1", "QUIB_SEED='-1' is not a whole number from 0 to 4294967295"},
  };
  for (auto const& c : cases) {
    env = {{c.name, c.value}};
    std::string line;
    dsp_env d;
    for (auto const& s : dsp_switches)
      if (!core_readswitch(s, d, lookup, line)) line += core_goingon(s.def);
    aud_settings a;
    for (size_t i = 0; i < aud_nswitches; ++i)
      if (!core_readswitch(aud_switches[i], a, lookup, line))
        line += core_goingon(aud_switches[i].def);
    gamesettings g = readsettings(lookup, &line);
    EXPECT_EQ(line, c.line);
    // Every default stands.
    EXPECT_TRUE(d.cache && !d.virtualclock && d.quitat < 0 && d.sizew == 0 && d.sizeh == 0)
        << c.name;
    EXPECT_TRUE(a.pipewire && a.periods == 4) << c.name;
    EXPECT_TRUE(!g.check && !g.seeded) << c.name;
  }
  // The largest side is taken, and a good value is given as such.
  env = {{"DISP_SIZE", "16384x1"}, {"QUIB_SEED", "0"}};
  dsp_env d;
  std::string line;
  for (auto const& s : dsp_switches) EXPECT_TRUE(core_readswitch(s, d, lookup, line)) << line;
  EXPECT_EQ(d.sizew, 16384);
  EXPECT_TRUE(readsettings(lookup, &line).seeded);
}

}  // namespace
