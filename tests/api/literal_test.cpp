// Calls written with plain int arguments reach the same entries, with the same values, as
// their explicit forms; and the written-out headers declare every entry as the table has it.
#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

#include "facade/facade.h"
#include "tests/support/recorder.h"

namespace {

// Each library header is written out from the table: its declarations must keep the
// table's types, or the libraries built from the table would no longer match them.
#define QUIB_SAME_AS_TABLE(entry, name, ret, types)                                           \
  static_assert(std::is_same<decltype(&entry), qr_##ret (*)(QUIB_PARAMS(qe_, types))>::value, \
                #entry " is declared with other types than the table's");
QUIB_DISP_ENTRIES(QUIB_SAME_AS_TABLE)
QUIB_SOUND_ENTRIES(QUIB_SAME_AS_TABLE)
QUIB_DISP_EXTENSIONS(QUIB_SAME_AS_TABLE)
QUIB_SOUND_EXTENSIONS(QUIB_SAME_AS_TABLE)

// The calls one statement makes, as "Entry(a, b, ...)".
template <typename F>
std::vector<std::string> callsof(F f) {
  rec::reset();
  f();
  std::vector<std::string> out;
  for (rec::call const& c : rec::calls) {
    std::string s = c.entry + "(";
    for (size_t i = 0; i < c.args.size(); ++i) {
      s += (i ? ", " : "") + (c.args[i].istext ? c.args[i].text : std::to_string(c.args[i].num));
    }
    out.push_back(s + ")");
  }
  return out;
}

#define EXPECT_SAME_CALLS(literal, explicitform)                       \
  EXPECT_EQ(callsof([&] { literal; }), callsof([&] { explicitform; })) \
      << #literal " should reach what " #explicitform " reaches"

bitmap* const pic = reinterpret_cast<bitmap*>(0x1000);
bitmap* const dest = reinterpret_cast<bitmap*>(0x2000);

TEST(IntCalls, ClearWithALiteralPaintsThatColour) {
  EXPECT_SAME_CALLS(clear(0), clear(0UL));
  EXPECT_SAME_CALLS(clear(0x000000), clear(0UL));
  EXPECT_SAME_CALLS(clear(0x336699), clear(0x336699UL));
  EXPECT_EQ(callsof([] { clear(0); }).at(0), "Clear163(0.000000)");
  // A null bitmap by name still reaches the bitmap form, and the other forms are untouched.
  EXPECT_EQ(callsof([] { clear(static_cast<bitmap*>(nullptr)); }).at(0), "Clear162(0.000000)");
  EXPECT_SAME_CALLS(clear(pic, 0), clear(pic, 0UL));
  int colour = -1;  // a variable of any integer type too: converted as before
  EXPECT_SAME_CALLS(clear(colour), clear(static_cast<unsigned long>(colour)));
}

TEST(IntCalls, SoundWithTwoIntsIsMilliseconds) {
  EXPECT_SAME_CALLS(sound(440, 200), sound(440UL, 200UL));
  EXPECT_EQ(callsof([] { sound(440, 200); }).at(0), "Sound30(440.000000, 200.000000)");
  EXPECT_SAME_CALLS(sound(440UL, 200), sound(440UL, 200UL));
  // A length in floating point is still seconds.
  EXPECT_EQ(callsof([] { sound(440, 0.5); }).at(0), "Sound31(440.000000, 0.500000)");
}

TEST(IntCalls, HexTextOfAnIntKeepsEveryDigit) {
  EXPECT_SAME_CALLS(i2hs(5), i2hs(5UL));
  EXPECT_SAME_CALLS(i2hs(4096), i2hs(4096UL));
  EXPECT_EQ(callsof([] { i2hs(5); }).at(0), "i2hs17(5.000000)");
  // Bytes keep their two-digit form.
  EXPECT_SAME_CALLS(i2hs(static_cast<unsigned char>(5)), i2hs12(5));
  EXPECT_SAME_CALLS(i2hs('A'), i2hs(static_cast<unsigned char>('A')));
  EXPECT_SAME_CALLS(i2hs(static_cast<signed char>(-1)), i2hs(static_cast<unsigned char>(255)));
}

TEST(IntCalls, DrawbmpWithLiteralZerosTakesThemAsPositions) {
  EXPECT_SAME_CALLS(drawbmp(pic, 0), drawbmp(pic, 0UL));
  EXPECT_SAME_CALLS(drawbmp(pic, 0, 0), drawbmp(pic, 0UL, 0UL));
  EXPECT_SAME_CALLS(drawbmp(pic, 0, 0, 64, 64), drawbmp(pic, 0UL, 0UL, 64UL, 64UL));
  EXPECT_SAME_CALLS(drawbmp(pic, 0, 0, 0, 0, 0, 0, 0, 0, 1),
                    drawbmp(pic, 0UL, 0UL, 0UL, 0UL, 0UL, 0UL, 0UL, 0UL, 1UL));
  EXPECT_EQ(callsof([] { drawbmp(pic, 0, 0); }).at(0),
            "DrawBMP216(4096.000000, 0.000000, 0.000000)");
  // Without a source: the bitmap made last, every arity.
  EXPECT_SAME_CALLS(drawbmp(0), drawbmp(0UL));
  EXPECT_SAME_CALLS(drawbmp(0, 0), drawbmp(0UL, 0UL));
  EXPECT_SAME_CALLS(drawbmp(0, 0, 0, 0, 0, 0, 0, 0, 0),
                    drawbmp(0UL, 0UL, 0UL, 0UL, 0UL, 0UL, 0UL, 0UL, 0UL));
  EXPECT_EQ(callsof([] { drawbmp(10, 20); }).at(0), "DrawBMP226(10.000000, 20.000000)");
  // Two bitmaps: onto the first.
  EXPECT_SAME_CALLS(drawbmp(dest, pic, 0, 0), drawbmp(dest, pic, 0UL, 0UL));
  EXPECT_EQ(callsof([] { drawbmp(dest, pic, 0, 0); }).at(0),
            "DrawBMP206(8192.000000, 4096.000000, 0.000000, 0.000000)");
  // Mixed variables and literals, as a sprite loop writes them.
  unsigned x = 7;
  long y = -3;
  EXPECT_SAME_CALLS(drawbmp(pic, x, y), drawbmp(pic, 7UL, static_cast<unsigned long>(-3L)));
}

TEST(IntCalls, EveryOtherCallIsTheTableFunctionItself) {
  // The int forms add nothing where the table's overloads already decide.
  EXPECT_EQ(callsof([] { circle(1, 2, 3, 4); }).at(0),
            "Circle187(1.000000, 2.000000, 3.000000, 4.000000)");
  EXPECT_EQ(callsof([] { createwin(800, 600); }).at(0), "CreateWin42(800.000000, 600.000000)");
  EXPECT_EQ(callsof([] { sound(440); }).at(0), "Sound32(440.000000)");
  EXPECT_EQ(callsof([] { loadaudio(1, "a.wav"); }).at(0), "LoadAudio5(1.000000, a.wav)");
}

}  // namespace
