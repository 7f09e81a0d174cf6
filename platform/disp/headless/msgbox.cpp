// The headless backend's message box: its text on stderr, and the default answer. Also
// where a desktop that shows no box sends it.
#include <cstdio>
#include <string>

#include "platform/disp/internal.h"

namespace {

// A box's text goes to the terminal: each of its lines escaped and bounded like
// a warning (line breaks kept, so a message of several lines still reads as one), and at
// most dsp_boxlines of them.
constexpr size_t dsp_boxline = 1024, dsp_boxlines = 64;
std::string dsp_boxtext(std::string const& text) {
  std::string out;
  size_t start = 0;
  for (size_t n = 0;; ++n) {
    size_t const nl = text.find('\n', start);
    if (n == dsp_boxlines) {
      out += "...";
      break;
    }
    out += dsp_quote(text.substr(start, nl - start).c_str(), dsp_boxline);
    if (nl == std::string::npos) break;
    out += '\n';
    start = nl + 1;
  }
  return out;
}

}  // namespace

bool dsp_hlmsgbox(dsp_box const& box, unsigned&) {
  std::string const shown = dsp_boxtext(box.text);
  if (box.caption.empty())
    fprintf(stderr, "%s\n", shown.c_str());
  else
    fprintf(stderr, "%s: %s\n", dsp_quote(box.caption.c_str(), dsp_boxline).c_str(), shown.c_str());
  fflush(stderr);
  return true;
}
