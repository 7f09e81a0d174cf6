// Dropped files: a file dragged onto the window (SDL's drop event) or a DISP_KEYS "DROP"
// line arrives as a message that carries the file's path, narrow or as UTF-16.
#include <cstdint>
#include <string>

#include "platform/disp/internal.h"

namespace {

bool dsp_isdrop(dsp_msg const& m, qe_u) { return m.code == dsp_wm_dropfiles; }

// The path of the current message if it is a dropped file, else "".
char const* dsp_droppath() {
  dsp_msg const& m = dsp.input.current;
  return m.live && m.code == dsp_wm_dropfiles ? m.file.c_str() : "";
}

// UTF-16 of valid UTF-8 (as dsp_utf8 makes it): one unit per character up to U+FFFF, a
// surrogate pair above.
void dsp_utf16(char const* s, std::vector<short>& out) {
  out.clear();
  auto const* p = reinterpret_cast<unsigned char const*>(s);
  while (*p) {
    uint32_t c = *p;
    int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (n > 1) c &= 0x3Fu >> (n - 1);
    for (int i = 1; i < n && p[i]; ++i) c = (c << 6) | (p[i] & 0x3F);
    for (int i = 0; i < n && *p; ++i) ++p;
    if (c < 0x10000) {
      out.push_back(short(c));
    } else {
      c -= 0x10000;
      out.push_back(short(0xD800 | (c >> 10)));
      out.push_back(short(0xDC00 | (c & 0x3FF)));
    }
  }
  out.push_back(0);
}

}  // namespace

// ---- Entries -------------------------------------------------------------------------

qr_bool IsDropFile282() {
  dsp_setup();
  return dsp_isdrop(dsp.input.current, 0) && dsp.input.current.live;
}

// The path's bytes as the system gave them (UTF-8 on any usual system), so they open the file.
qr_ms GetDropFile283() {
  dsp_setup();
  return dsp_droppath();
}

// Bytes that are not UTF-8 are taken as Latin-1, like all text of the library.
qr_ws GetDropFileW284() {
  dsp_setup();
  std::string buf;
  dsp_utf16(dsp_utf8(dsp_droppath(), buf), dsp.input.state.wide);
  return dsp.input.state.wide.data();
}

qr_ms WaitDropFile285() {
  dsp_setup();
  return dsp_wait(dsp_isdrop, 0) ? dsp_droppath() : "";
}
