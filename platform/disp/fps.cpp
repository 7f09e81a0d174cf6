// A frame counter the caller drives (AddFPS34 per frame), beside the one FreshWin45 keeps
// for GetFPS37, and the library's last error: its code and its text.
#include <cstdio>
#include <string>

#include "platform/disp/internal.h"

namespace {

thread_local unsigned dsp_lasterror = dsp_enone;
// The text stays after GetError38 has cleared the code, so that `if (geterror())` followed
// by geterrortext() still tells what failed; the next failure replaces it.
thread_local std::string dsp_lasttext;

char const* dsp_errorline(unsigned code) {
  switch (code) {
    case dsp_enowindow:
      return "no window is open";
    case dsp_earg:
      return "bad argument";
    case dsp_efile:
      return "file error";
    case dsp_enomem:
      return "out of memory";
    case dsp_eunsupported:
      return "not supported";
    case dsp_edevice:
      return "device unavailable";
    default:
      return "";
  }
}

// Keeps the counts of the last second of the library's clock (virtual when it is).
void dsp_dropoldfps(double now) { dsp.sys.fps.drop(now); }

}  // namespace

void dsp_lastsecond::add(double now) {
  if (!runs.empty() && runs.back().first == now)
    ++runs.back().second;
  else
    runs.emplace_back(now, 1);
  ++n;
  drop(now);
}

void dsp_lastsecond::drop(double now) {
  while (!runs.empty() && runs.front().first <= now - 1.0) {
    n -= runs.front().second;
    runs.pop_front();
  }
}

void dsp_lastsecond::clear() {
  runs.clear();
  n = 0;
}


void dsp_seterror(unsigned code, char const* text) {
  dsp_lasterror = code;
  dsp_lasttext = text ? text : dsp_errorline(code);
}

std::string dsp_quoted(char const* s) {
  if (!s) return "(null)";
  constexpr size_t most = 48;
  std::string q = "\"";
  size_t i = 0;
  for (; s[i] && i < most; ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == '"' || c == '\\') {
      q += '\\';
      q += char(c);
    } else if (c < 0x20 || c == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      q += buf;
    } else {
      q += char(c);
    }
  }
  if (s[i]) {
    // Cut on a whole character: drop the bytes of a UTF-8 sequence the cut split.
    if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) {
      while (!q.empty() && (static_cast<unsigned char>(q.back()) & 0xC0) == 0x80) q.pop_back();
      if (!q.empty() && static_cast<unsigned char>(q.back()) >= 0xC0) q.pop_back();
    }
    return q + "\"...";
  }
  q += '"';
  return q;
}

// ---- Entries -------------------------------------------------------------------------

qr_v FreshFPS33() {
  dsp_setup();
  dsp.sys.fps.clear();
}

qr_v AddFPS34() {
  dsp_setup();
  double now = dsp_now();
  dsp.sys.fps.add(now);
}

qr_u GetFPSL35() {
  dsp_setup();
  dsp_dropoldfps(dsp_now());
  return dsp.sys.fps.n;
}

// The rate from the times of the frames of the last second: their intervals over the time
// they span. Once the time since the last frame is longer than their mean interval, that
// open interval counts as well, so the rate sinks smoothly when frames stop coming instead
// of holding the old value for a second. With fewer than two frames, their count.
qr_d GetFPSR36() {
  dsp_setup();
  double now = dsp_now();
  dsp_dropoldfps(now);
  auto const& f = dsp.sys.fps;
  uint64_t n = f.n;
  if (n < 2) return double(n);
  double first = f.runs.front().first, last = f.runs.back().first;
  double span = last - first;
  double intervals = double(n - 1);
  if (span <= 0) return double(n);  // all in one instant of the clock
  if (now - last > span / intervals) return double(n) / (now - first);
  return intervals / span;
}

// The code of the latest failure on this thread since the previous call, then 0.
qr_u GetError38() {
  unsigned e = dsp_lasterror;
  dsp_lasterror = dsp_enone;
  return e;
}

// ---- Extensions ----------------------------------------------------------------------

// The text of this thread's last failure, kept until the next one; "" before any.
qr_ms disp_errortext() { return dsp_lasttext.c_str(); }
