// Lines on stderr and the quoting of the caller's texts in them. A warning is said once
// per cause and then only counted: a game without fonts draws text a thousand times a
// second, and one line about it is enough; the counts are told at exit.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "platform/disp/internal.h"

namespace {

// Beyond this many different lines a new one is still said but no longer remembered, so a
// flood of distinct causes cannot grow the memory.
constexpr size_t dsp_causesmax = 1024;

struct dsp_said {
  uint64_t times = 0;  // how often the line was asked for
  uint64_t told = 1;   // the count the last summary gave (1: only the line itself)
};

struct dsp_warnings {
  std::mutex lock;
  std::map<std::string, dsp_said> lines;
  bool hooked = false;
};

// Never destroyed: warnings may come from atexit handlers that run after static
// destructors would have.
dsp_warnings& dsp_warnstate() {
  static auto* w = new dsp_warnings;
  return *w;
}

// 3594 as "3,594".
std::string dsp_grouped(uint64_t n) {
  std::string digits = std::to_string(n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

void dsp_warnatexit() { dsp_warnsummary(); }

// Where the lines go: a program's own function (disp_setlog), else stderr.
struct dsp_logto {
  std::mutex lock;
  qe_lf fn = nullptr;
  void* user = nullptr;
};
dsp_logto& dsp_logstate() {
  static auto* l = new dsp_logto;  // never destroyed: lines come from atexit handlers too
  return *l;
}

void dsp_sayline(std::string const& line) {
  dsp_logto& l = dsp_logstate();
  qe_lf fn;
  void* user;
  {
    std::lock_guard<std::mutex> hold(l.lock);
    fn = l.fn, user = l.user;
  }
  if (fn)
    fn(user, line.c_str());
  else
    fprintf(stderr, "%s\n", line.c_str());
}

}  // namespace

std::string dsp_quote(char const* s, size_t most, bool quotes) {
  if (!s) return "(null)";
  std::string out = quotes ? "\"" : "";
  unsigned char const* p = reinterpret_cast<unsigned char const*>(s);
  size_t taken = 0;
  bool cut = false;
  while (*p) {
    int const n = dsp_u8len(p);
    if (taken + size_t(n > 0 ? n : 1) > most) {
      cut = true;
      break;
    }
    if (n == 0 || (n == 1 && (*p < 0x20 || *p == 0x7F))) {
      char hex[5];
      snprintf(hex, sizeof hex, "\\x%02X", *p);
      out += hex;
      ++p, ++taken;
      continue;
    }
    if (quotes && (*p == '"' || *p == '\\')) out += '\\';
    out.append(reinterpret_cast<char const*>(p), size_t(n));
    p += n, taken += size_t(n);
  }
  if (quotes) out += '"';
  if (cut) out += "...";
  return out;
}

void dsp_warn(char const* fmt, ...) {
  char line[512];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(line, sizeof line, fmt, ap);
  va_end(ap);
  // Whatever reached the line raw (a name from the environment, a message of SDL) cannot
  // move the terminal's cursor or change its colours.
  std::string const text = dsp_quote(line, sizeof line);
  dsp_warnings& w = dsp_warnstate();
  {
    std::lock_guard<std::mutex> hold(w.lock);
    auto it = w.lines.find(text);
    if (it != w.lines.end()) {
      ++it->second.times;
      return;
    }
    if (w.lines.size() < dsp_causesmax) w.lines.emplace(text, dsp_said{1, 1});
    if (!w.hooked) w.hooked = atexit(dsp_warnatexit) == 0;
  }
  dsp_sayline("disp: " + text);
}

void dsp_warnsummary() {
  dsp_warnings& w = dsp_warnstate();
  std::lock_guard<std::mutex> hold(w.lock);
  for (auto& [text, said] : w.lines) {
    if (said.times == said.told) continue;
    dsp_sayline("disp: " + text + " (said " + dsp_grouped(said.times) + " times)");
    said.told = said.times;
  }
}

// ---- Extensions ----------------------------------------------------------------------

qr_v disp_setlog(qe_lf fn, qe_p user) {
  dsp_logto& l = dsp_logstate();
  std::lock_guard<std::mutex> hold(l.lock);
  l.fn = fn, l.user = user;
}
