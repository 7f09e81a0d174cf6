// Hooks, warnings said once and the per-thread error record, shared by both libraries.
#include "platform/core/report.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Beyond this many different causes a new one is still said but no longer remembered, so
// a flood of distinct causes cannot grow the memory.
constexpr std::size_t core_causesmax = 1024;

// The log hook runs on this thread now: a line it causes goes to stderr, not back to it.
thread_local bool core_inlog = false;

// Lines said inside core_hold scopes on this thread, said when the last one closes. A plain
// pointer (made when needed, freed when emptied), so nothing waits to be destroyed at exit.
thread_local unsigned core_lineholds = 0;
using core_heldline = std::pair<core_hook<core_logfn>*, std::string>;
thread_local std::vector<core_heldline>* core_heldlines = nullptr;

// 3594 as "3,594".
std::string core_grouped(unsigned long long n) {
  std::string digits = std::to_string(n), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

}  // namespace

std::string core_vformat(char const* fmt, va_list ap, std::size_t most) {
  std::string line(most, '\0');
  int const n = std::vsnprintf(line.data(), most, fmt, ap);
  line.resize(n < 0 ? 0 : std::min(std::size_t(n), most - 1));
  return line;
}

void core_say(core_hook<core_logfn>& log, std::string const& line) {
  if (core_lineholds) {
    if (!core_heldlines) core_heldlines = new std::vector<core_heldline>;
    core_heldlines->emplace_back(&log, line);
    return;
  }
  auto [fn, user] = log.get();
  if (!fn || core_inlog) {
    std::fprintf(stderr, "%s\n", line.c_str());
    return;
  }
  core_inlog = true;
  fn(user, line.c_str());
  core_inlog = false;
}

void core_warnings::warn(std::string const& cause, std::string const& line) {
  {
    std::lock_guard hold(lock_);
    auto it = causes_.find(cause);
    if (it != causes_.end()) {
      ++it->second.times;
      return;
    }
    if (causes_.size() < core_causesmax) causes_.emplace(cause, said{line, 1, 1});
    if (!hooked_) hooked_ = std::atexit(atexit_) == 0;
  }
  core_say(log_, line);
}

void core_warnings::summary() {
  // Said after the lock is let go: the log hook may warn again.
  std::vector<std::string> lines;
  {
    std::lock_guard hold(lock_);
    for (auto& [cause, s] : causes_) {
      if (s.times == s.told) continue;
      lines.push_back(s.line + " (said " + core_grouped(s.times) + " times)");
      s.told = s.times;
    }
  }
  for (std::string const& l : lines) core_say(log_, l);
}

void core_record(core_errors& e, unsigned long code, std::string_view text) {
  std::size_t n = text.size() < core_errtextmax ? text.size() : core_errtextmax - 1;
  if (n < text.size())  // not in the middle of a character
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  std::memcpy(e.text, text.data(), n);
  e.text[n] = '\0';
  e.code = code;
  ++e.fails;
}

void core_tell(core_errors& e, core_hook<core_errorfn>& watch) {
  if (e.holding) {
    e.pending = true;
    return;
  }
  auto [fn, user] = watch.get();
  e.told = e.code != 0;
  if (!fn || e.telling) return;
  // The watcher's own text: a failure inside the watcher rewrites the record, not this.
  std::string const text = e.text;
  e.telling = true;
  fn(user, e.code, text.c_str());
  e.telling = false;
}

void core_fail(core_errors& e, core_hook<core_errorfn>& watch, unsigned long code,
               std::string_view text) {
  core_record(e, code, text);
  core_tell(e, watch);
}

void core_hold(core_errors& e) {
  ++e.holding;
  ++core_lineholds;
}

// The failure first, before a log hook told of the lines can fail again and replace it.
void core_release(core_errors& e, core_hook<core_errorfn>& watch) {
  --core_lineholds;
  if (--e.holding == 0 && e.pending) {
    e.pending = false;
    core_tell(e, watch);
  }
  if (core_lineholds == 0 && core_heldlines) {
    std::vector<core_heldline>* lines = core_heldlines;
    core_heldlines = nullptr;
    for (auto const& [log, line] : *lines) core_say(*log, line);
    delete lines;
  }
}

bool core_waiting(core_errors const& e) {
  return e.pending || (core_heldlines && !core_heldlines->empty());
}

void core_succeeded(core_errors& e, core_hook<core_errorfn>& watch) {
  if (!e.told) return;
  e.told = false;
  auto [fn, user] = watch.get();
  if (!fn || e.telling) return;
  e.telling = true;
  fn(user, 0, "");
  e.telling = false;
}

unsigned long core_takecode(core_errors& e) {
  unsigned long const c = e.code;
  e.code = 0;
  return c;
}
