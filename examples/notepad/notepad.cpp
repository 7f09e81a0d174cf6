// notepad: a page of typed text with copy and paste. Typing comes as typed text (any
// layout, any input method); Enter starts a line, Backspace takes a character back;
// Ctrl+C copies the page to the clipboard and Ctrl+V pastes the clipboard's text at the end
// (also the primary selection: select text in another program, paste it with Ctrl+B);
// Ctrl+L clears the page. Esc quits and prints the page.
#include <facade.h>

#include <cstdio>
#include <string>

namespace {

void dropchar(std::string& s) {
  while (!s.empty() && (static_cast<unsigned char>(s.back()) & 0xC0) == 0x80) s.pop_back();
  if (!s.empty()) s.pop_back();
}

void draw(std::string const& page, std::string const& status) {
  clear(0xF4F0E6);
  bar(0, 0, 640, 32, 0x304050);
  drawtextxy("Ctrl+C copy  Ctrl+V paste  Ctrl+B selection  Ctrl+L clear", 10, 6, 0xFFFFFF);
  long y = 44;
  size_t start = 0;
  for (;;) {  // line by line, the caret after the last
    size_t const nl = page.find('\n', start);
    std::string const line = page.substr(start, nl == std::string::npos ? nl : nl - start);
    drawtextxy(line.c_str(), 12, y, 0x202020);
    if (nl == std::string::npos) {
      long const x = 12 + long(getstringwidth(line.c_str()));
      bar(x + 1, y, 2, 22, 0x2060C0);
      break;
    }
    start = nl + 1;
    y += 26;
  }
  drawtextxy(status.c_str(), 12, 450, 0x606060);
}

}  // namespace

int main() {
  if (!createwin(640, 480)) return 1;
  settitle("notepad");
  setfontsize(10, 20);
  starttextinput();
  std::string page, status = "type something";
  while (iswin()) {
    while (isnextmsg()) {
      bool const ctrl = iskeydown(QUIB_KEY_CTRL);
      if (ismsg(QUIB_MSG_CHAR) && !ctrl) {
        page += gettypedtext().text;
      } else if (iskey(QUIB_KEY_ENTER)) {
        page += '\n';
      } else if (iskey(QUIB_KEY_BACKSPACE)) {
        dropchar(page);
      } else if (ctrl && iskey(QUIB_KEY_C)) {
        status = setclipboard(page.c_str()) ? "copied " + std::to_string(page.size()) + " bytes"
                                            : std::string("cannot copy: ") + geterrortext().text;
      } else if (ctrl && (iskey(QUIB_KEY_V) || iskey(QUIB_KEY_B))) {
        // Read whole: a mystring holds 511 bytes, the library's own text holds it all.
        char const* got = iskey(QUIB_KEY_V) ? disp_getclipboard() : disp_getprimaryselection();
        page += got;
        status = "pasted " + std::to_string(std::string(got).size()) + " bytes";
      } else if (ctrl && iskey(QUIB_KEY_L)) {
        page.clear();
      } else if (iskey(QUIB_KEY_ESC)) {
        closewin();
      }
    }
    if (!iswin()) break;
    draw(page, status);
    freshwin();
    delay(16);
  }
  std::printf("page: %s\n", page.c_str());
  return 0;
}
