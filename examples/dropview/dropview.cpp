// dropview: drop files on the window. A BMP picture is shown, scaled to fit (its size read
// from the file's header with the file reader); any other file is listed with its size and
// first bytes. Esc quits. Each line shown is printed too.
#include <facade.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main() {
  if (!createwin(640, 480)) return 1;
  settitle("dropview");
  bitmap* picture = nullptr;
  long pw = 0, ph = 0;  // the picture's size
  std::vector<std::string> lines;
  while (iswin()) {
    while (isnextmsg()) {
      if (iskey(QUIB_KEY_ESC)) closewin();
      if (!isdropfile()) continue;
      mystring path = getdropfile();
      std::string info;
      bitmap* b = nullptr;
      if (!openfile(path)) {
        info = geterrortext().text;  // names the file and why it could not be read
      } else if (getbyte() == 'B' && getbyte() == 'M' && (b = loadbmp(path))) {
        // The size follows the header's own length: 16-bit in the old 12-byte header, else
        // 32-bit, with a negative height for a picture stored top down.
        setfilepos(14);
        bool const old = getlongword() == 12;
        pw = old ? long(getword()) : getinteger();
        ph = old ? long(getword()) : std::labs(getinteger());
        if (picture) releasebmp(picture);
        picture = b;
        info = std::string(path.text) + ": a picture, " + std::to_string(pw) + " x " +
               std::to_string(ph);
      } else {
        setfilepos(0);
        char head[32] = "";
        unsigned long n = getfilelen() < 8 ? getfilelen() : 8;
        for (unsigned long i = 0; i < n; ++i)
          std::snprintf(head + 3 * i, sizeof head - 3 * i, "%02lX ", getbyte());
        info = std::string(path.text) + ": " + std::to_string(getfilelen()) + " bytes, " + head;
      }
      closefile();
      std::printf("%s\n", info.c_str());
      lines.push_back(info);
    }
    if (!iswin()) break;
    clear(0x283038);
    if (lines.empty()) drawtextxy("drop files here", 20, 20, 0xFFFFFF);
    for (size_t i = 0; i < lines.size(); ++i)
      drawtextxyw(lines[i].c_str(), 20, 20 + 44 * long(i),
                  i + 1 == lines.size() ? 0xFFFFFF : 0x90A0B0);
    if (picture && pw > 0 && ph > 0) {  // fitted into 400 x 240 with its own shape
      long w = 400, h = 400 * ph / pw;
      if (h > 240) h = 240, w = 240 * pw / ph;
      drawbmp(picture, 120, 220, w, h);
    }
    freshwin();
    delay(16);
  }
  if (picture) releasebmp(picture);
  std::printf("%zu files dropped\n", lines.size());
  return 0;
}
