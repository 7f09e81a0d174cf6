// text: the text entries. Sizes, bold, italic, underline and strike-out; text measured to
// centre it; wrapped text; text in a box; one line in five scripts (Latin, Hangul, Han,
// Arabic and an emoji), all UTF-8. TAB cycles the size of the sample line, Esc quits.
#include <facade.h>

#include <cstdio>

int main() {
  if (!createwin(640, 480)) return 1;
  settitle("text");
  unsigned long const sizes[] = {8, 10, 14, 20};
  unsigned long size = 1;
  char const* sample = "Hello, quib!";
  // Beyond Latin the library lays text out with Pango: a font for each character, Arabic
  // joined and written right to left, the emoji in colour.
  char const* scripts = "Hello  안녕하세요  你好  مرحبا  🙂";
  while (iswin()) {
    while (isnextmsg()) {
      if (iskey(QUIB_KEY_ESC)) closewin();
      if (iskey(QUIB_KEY_TAB)) size = (size + 1) % 4;
    }
    if (!iswin()) break;
    clear(0xF4F0E8);
    setfont();  // every setting back to its default
    drawtextxy("plain 10 x 20, the default", 20, 20, 0x202020);
    setfontweight(700);
    drawtextxy("bold", 20, 50, 0x202020);
    setfontweight(400);
    setfontltalic(1);
    drawtextxy("italic", 100, 50, 0x202020);
    setfontltalic(0);
    setfontunderline(1);
    drawtextxy("underlined", 200, 50, 0x202020);
    setfontunderline(0);
    setfontstrikeout(1);
    drawtextxy("struck out", 340, 50, 0x202020);
    setfontstrikeout(0);

    // Measured, then centred on the window.
    setfontsize(sizes[size], sizes[size] * 2);
    unsigned long w = getstringwidth(sample), h = getstringheight(sample);
    drawtextxy(sample, long(320 - w / 2), 110, 0x1050A0);
    char line[64];
    std::snprintf(line, sizeof line, "%lu x %lu pixels", w, h);
    setfontsize(10, 20);
    drawtextxy(line, 20, 110 + long(h) + 8, 0x808080);

    drawtextxy(" text on a box ", 20, 220, 0xFFFFFF, 0x305070);
    drawtextxy(getwin(), "centred in 200 x 60", 400, 200, 0x000000, 0xC0D8F0, 200, 60);
    setfontsize(8, 16);
    drawtextxyw(
        "Wrapped text runs on to the next line at the window's right edge, so a long "
        "paragraph needs no line breaks of its own. TAB changes the size above; Esc "
        "quits.",
        20, 300, 0x404040);
    setfontsize(12, 24);
    drawtextxy(scripts, 20, 400, 0x202020);
    freshwin();
    delay(16);
  }
  setfontsize(sizes[size], sizes[size] * 2);
  std::printf("\"%s\" at %lu: %lu pixels wide\n", sample, sizes[size], getstringwidth(sample));
  setfontsize(12, 24);
  std::printf("five scripts: %lu pixels wide\n", getstringwidth(scripts));
  return 0;
}
