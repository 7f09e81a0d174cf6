// fontfile: a font from a file, used by the family name it holds, through <quib.h>, the
// facade in namespace quib. Below it, one line in four scripts at widths 8, 16 and 32 for a
// height of 32: glyphs and their spacing stretch together; and the Chinese full stop with a
// language hint, mainland and Taiwan. Usage: fontfile [FONT.ttf] (default: DejaVu Serif of
// fonts-dejavu-core). Esc quits.
#include <quib.h>

#include <cstdio>

int main(int argc, char** argv) {
  char const* path = argc > 1 ? argv[1] : "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf";
  quib::mystring family = quib::loadfont(path);
  if (family.length == 0) {
    std::printf("no font: %s\n", quib::lasterrortext().text);
    return 1;
  }
  if (!quib::createwin(800, 600)) return 1;
  quib::settitle("fontfile");
  char const* sample =
      "Hello \xec\x95\x88\xeb\x85\x95 \xd9\x85\xd8\xb1\xd8\xad\xd8\xa8\xd8\xa7 "
      "\xe0\xa4\xa8\xe0\xa4\xae\xe0\xa4\xb8\xe0\xa5\x8d\xe0\xa4\xa4\xe0\xa5\x87";
  unsigned long const widths[] = {8, 16, 32};
  unsigned long wide[3] = {};
  while (quib::iswin()) {
    while (quib::isnextmsg())
      if (quib::iskey(QUIB_KEY_ESC)) quib::closewin();
    if (!quib::iswin()) break;
    quib::clear(0xF4F0E8);
    quib::setfont();
    quib::setfontname(family);
    quib::setfontsize(0, 48);  // width 0: the face's own proportions
    quib::drawtextxy(family + ", from a file", 20, 16, 0x1050A0);
    quib::setfontsize(0, 20);
    quib::drawtextxy(path, 20, 76, 0x808080);
    for (int i = 0; i < 3; ++i) {
      quib::setfontsize(10, 20);
      quib::drawtextxy(quib::i2s(long(widths[i])) + " x 32", 20, 146 + 70 * i, 0x808080);
      quib::setfontsize(widths[i], 32);
      wide[i] = quib::getstringwidth(sample);
      quib::drawtextxy(sample, 120, 140 + 70 * i, 0x202020);
    }
    char const* places[] = {"zh-CN", "zh-TW"};
    for (int i = 0; i < 2; ++i) {
      quib::setfontsize(10, 20);
      quib::drawtextxy(places[i], 20 + 360 * i, 400, 0x808080);
      quib::setfontlanguage(places[i]);
      quib::setfontsize(40, 80);
      quib::drawtextxy("\xe4\xbd\xa0\xe5\xa5\xbd\xe3\x80\x82", 80 + 360 * i, 440, 0x202020);
      quib::setfontlanguage(nullptr);
    }
    quib::freshwin();
    quib::delay(16);
  }
  std::printf("loaded \"%s\" from %s: widths %lu %lu %lu\n", family.text, path, wide[0], wide[1],
              wide[2]);
  return 0;
}
