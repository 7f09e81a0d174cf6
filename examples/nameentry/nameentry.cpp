// nameentry: a name typed into a box, as a game's high-score table asks for one. Text comes
// as typed text, not as key codes, so accents, dead keys, AltGr and input methods (Korean,
// Japanese, Chinese) all work; while an input method composes, its composition is shown
// underlined at the caret, and its candidate window sits beside the box. Backspace takes
// the last character back, Enter takes the name, Esc quits.
#include <facade.h>

#include <cstdio>
#include <string>

namespace {

constexpr long boxx = 40, boxy = 110, boxw = 560, boxh = 48;

// Takes the last character (not the last byte) off UTF-8 text.
void dropchar(std::string& s) {
  while (!s.empty() && (static_cast<unsigned char>(s.back()) & 0xC0) == 0x80) s.pop_back();
  if (!s.empty()) s.pop_back();
}

// The first n characters of UTF-8 text.
std::string firstchars(std::string const& s, long n) {
  size_t i = 0;
  for (; i < s.size() && n > 0; --n) do
      ++i;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80);
  return s.substr(0, i);
}

void draw(std::string const& name, std::string const& composing, long caret) {
  clear(0x1C2430);
  drawtextxy("Your name for the high scores:", boxx, boxy - 44, 0xE0E8F0);
  bar(boxx, boxy, boxw, boxh, 0x8090A0, 0x0C1018);
  long const x = boxx + 12, y = boxy + 12;
  drawtextxy(name.c_str(), x, y, 0xFFFFFF);
  long const end = x + long(getstringwidth(name.c_str()));
  long caretx = end;
  if (!composing.empty()) {  // not typed yet: underlined, in another colour
    drawtextxy(composing.c_str(), end, y, 0xFFD060);
    line(end, y + 26, long(getstringwidth(composing.c_str())), 0, 0xFFD060);
    caretx = end + long(getstringwidth(firstchars(composing, caret).c_str()));
  }
  line(caretx, y - 2, 0, 28, 0xFFFFFF);
  drawtextxy("Enter: done   Backspace: undo   Esc: quit", boxx, boxy + 80, 0x8090A0);
}

}  // namespace

int main() {
  if (!createwin(640, 300)) return 1;
  settitle("nameentry");
  setfontsize(12, 24);
  starttextinput();
  settextrect(boxx, boxy, boxw, boxh);  // the candidate window goes beside the box
  std::string name, composing;
  long caret = 0;
  bool done = false;
  while (iswin() && !done) {
    while (isnextmsg()) {
      if (ismsg(QUIB_MSG_CHAR)) {
        name += gettypedtext().text;
        composing.clear();
      } else if (ismsg(QUIB_MSG_IME_COMPOSITION)) {
        composing = getcomposition().text;
        caret = getcompositioncaret();
      } else if (iskey(QUIB_KEY_BACKSPACE) && composing.empty()) {
        dropchar(name);
      } else if (iskey(QUIB_KEY_ENTER) && composing.empty()) {
        done = true;
      } else if (iskey(QUIB_KEY_ESC)) {
        closewin();
      }
    }
    if (!iswin()) break;
    draw(name, composing, caret);
    freshwin();
    delay(16);
  }
  stoptextinput();
  if (done) std::printf("name: %s\n", name.c_str());
  return 0;
}
