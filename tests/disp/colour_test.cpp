// Colours: components and packing, the four hue models there and back again, the game's
// HSN colours pinned to their values, and mixing.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "tests/disp/drawkit.h"

namespace {

using namespace drawkit;

int channel(unsigned long c, int sh) { return int(c >> sh & 255); }

// The largest difference of red, green or blue.
int rgbdiff(unsigned long a, unsigned long b) {
  int d = 0;
  for (int sh = 0; sh <= 16; sh += 8) d = std::max(d, std::abs(channel(a, sh) - channel(b, sh)));
  return d;
}

// The largest difference of a packed model's three bytes, the hue taken round the circle.
int modeldiff(unsigned long a, unsigned long b) {
  int dh = std::abs(channel(a, 0) - channel(b, 0));
  return std::max({std::min(dh, 256 - dh), std::abs(channel(a, 8) - channel(b, 8)),
                   std::abs(channel(a, 16) - channel(b, 16))});
}

TEST(Colour, ComponentsAndPacking) {
  EXPECT_EQ(GetRGBA91(0x12, 0x34, 0x56, 0x78), 0x78123456u);
  EXPECT_EQ(GetRGB92(0x12, 0x34, 0x56), 0x123456u);
  EXPECT_EQ(GetRGB92(0x1FF, 0, 0), 0xFF0000u);  // a byte each
  EXPECT_EQ(GetAlpha87(0x78123456), 0x78u);
  EXPECT_EQ(GetRed90(0x78123456), 0x12u);
  EXPECT_EQ(GetGreen89(0x78123456), 0x34u);
  EXPECT_EQ(GetBlue88(0x78123456), 0x56u);
}

struct model {
  char const* name;
  qr_u (*to)(qe_u);
  qr_u (*from)(qe_u);
  unsigned xlo, xhi;  // the third byte's range where a step of the colour is less than a step
};

// Where saturation and the third byte are high enough that one step of red, green or blue
// moves no byte of the model by a whole step, a value comes back within one step. (Towards
// black, and for HSL towards white, a colour step is several steps of saturation.)
TEST(Colour, HueModelsRoundTripWithinOneStep) {
  model const models[] = {{"HSL", RGB2HSL93, HSL2RGB97, 96, 159},
                          {"HSV", RGB2HSV94, HSV2RGB98, 128, 255},
                          {"HSI", RGB2HSI95, HSI2RGB99, 96, 255}};
  for (model const& m : models) {
    int worst = 0;
    for (unsigned h = 0; h < 256; h += 3)
      for (unsigned s = 128; s < 256; s += 5)
        for (unsigned x = m.xlo; x <= m.xhi; x += 7) {
          // HSI: the largest channel is i (1 + 2s); beyond 1 the colour is clipped.
          if (m.name[2] == 'I' && x * (255 + 2 * s) > 255 * 255) continue;
          unsigned long v = h | s << 8 | x << 16;
          worst = std::max(worst, modeldiff(m.to(m.from(v)), v));
        }
    EXPECT_LE(worst, 1) << m.name;

    // Every colour comes back within the hue's resolution: 256 steps round the circle are
    // up to three steps of one channel, four with HSL's and HSI's rounded saturation.
    int back = 0;
    for (unsigned long r = 0; r < 256; r += 15)
      for (unsigned long g = 0; g < 256; g += 15)
        for (unsigned long b = 0; b < 256; b += 15) {
          unsigned long c = r << 16 | g << 8 | b;
          back = std::max(back, rgbdiff(m.from(m.to(c)), c));
        }
    EXPECT_LE(back, 4) << m.name;
    for (unsigned long g = 0; g < 256; ++g) {  // greys exactly
      unsigned long grey = g * 0x010101;
      EXPECT_EQ(m.from(m.to(grey)), grey) << m.name;
    }
  }
}

// HSN2RGB100 gives the game's loop colours; these values must never move.
TEST(Colour, HsnColoursStayAsTheGameKnowsThem) {
  struct {
    unsigned long hsn, rgb;
  } const pinned[] = {{0xAAFF00, 0xAA0000}, {0xAAFF1E, 0xAA7800}, {0xAAFF55, 0x01AA00},
                      {0xAAFF96, 0x0052AA}, {0xAAFFAA, 0x1D21FF}, {0xAAFFBE, 0x6800E5},
                      {0xAAFFFF, 0xAA0004}, {0x80C040, 0x508020}, {0xFF80A0, 0x7F9FFF},
                      {0x20FFAA, 0x000138}};
  for (auto const& p : pinned) EXPECT_EQ(HSN2RGB100(p.hsn), p.rgb) << std::hex << p.hsn;
}

// The lift makes several saturations of a blue one colour, so RGB2HSN96 finds one of them:
// whichever it is, it gives the colour back within a step.
TEST(Colour, HsnFoundFromItsColourGivesItBack) {
  int worst = 0;
  for (unsigned h = 0; h < 256; h += 3)
    for (unsigned s = 0; s < 256; s += 15)
      for (unsigned n = 0; n < 256; n += 15) {
        unsigned long c = HSN2RGB100(h | s << 8 | n << 16);
        worst = std::max(worst, rgbdiff(HSN2RGB100(RGB2HSN96(c)), c));
      }
  EXPECT_LE(worst, 1);
  // Any colour at all comes back as near as HSV's do: the lift leaves no colour out.
  int back = 0;
  for (unsigned long r = 0; r < 256; r += 15)
    for (unsigned long g = 0; g < 256; g += 15)
      for (unsigned long b = 0; b < 256; b += 15) {
        unsigned long c = r << 16 | g << 8 | b;
        back = std::max(back, rgbdiff(HSN2RGB100(RGB2HSN96(c)), c));
      }
  EXPECT_LE(back, 3);
  EXPECT_EQ(modeldiff(RGB2HSN96(HSN2RGB100(0xAAFF00)), 0xAAFF00), 0);  // red as it was
  EXPECT_EQ(RGB2HSN96(0x808080), 0x800000u);
}

// MixColor: c1 and c2 by the weight w of 255, in the gamma d (1 when left out).
TEST(Colour, MixingWeighsTheSecondColourByW) {
  EXPECT_EQ(MixColor102(0x102030, 0xF0E0D0, 0), 0x102030u);
  EXPECT_EQ(MixColor102(0x102030, 0xF0E0D0, 255), 0xF0E0D0u);
  EXPECT_EQ(MixColor102(0x102030, 0xF0E0D0, 1000), 0xF0E0D0u);
  EXPECT_EQ(MixColor102(0x000000, 0xFFFFFF, 51), 0x333333u);
  unsigned long light = MixColor101(0x000000, 0xFFFFFF, 128, 2.2);
  EXPECT_NEAR(double(light & 255), 255 * std::pow(128 / 255.0, 1 / 2.2), 1);
  EXPECT_EQ(MixColor101(0x000000, 0xFFFFFF, 51, -1), 0x333333u);  // a bad gamma is 1
  EXPECT_EQ(MixColor101(0x000000, 0xFFFFFF, 51, NAN), 0x333333u);
  EXPECT_EQ(MixColor102(0xFF000000, 0, 128) >> 24, 0x7Fu);  // alpha plainly
}

}  // namespace
