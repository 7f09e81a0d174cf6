// The parsers of switch values, one per kind, and the words of a complaint.
#include "platform/core/switches.h"

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "platform/core/quote.h"

namespace {

// A number as people write one: decimal digits with an optional fraction and exponent,
// nothing before or after it (no spaces, signs, hex, "inf" or "nan").
bool core_decimal(char const* v, double& out) {
  if (!((*v >= '0' && *v <= '9') || *v == '.') || std::strpbrk(v, "xXpP")) return false;
  errno = 0;
  char* end = nullptr;
  double const x = std::strtod(v, &end);
  if (end == v || *end != '\0' || errno == ERANGE || !std::isfinite(x)) return false;
  out = x;
  return true;
}

// Whole numbers without an exponent: 4294967295, not 4.29497e+09.
std::string core_num(double x) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.15g", x);
  return buf;
}

std::string core_expected(core_kind kind, double lo, double hi, char const* words) {
  switch (kind) {
    case core_kind::flag:
      return "yes or no (1/0, yes/no, on/off, true/false)";
    case core_kind::number:
      return std::isinf(hi) ? "a number of at least " + core_num(lo)
                            : "a number from " + core_num(lo) + " to " + core_num(hi);
    case core_kind::whole:
      return "a whole number from " + core_num(lo) + " to " + core_num(hi);
    case core_kind::size:
      return "WIDTHxHEIGHT, each from " + core_num(lo) + " to " + core_num(hi);
    case core_kind::choice: {
      std::string out = words;
      for (std::size_t bar; (bar = out.find('|')) != std::string::npos;)
        out.replace(bar, 1, " or ");
      return out;
    }
    case core_kind::text:
      break;
  }
  return "";
}

}  // namespace

bool core_parseflag(char const* v, bool& out) {
  static char const* const yes[] = {"1", "yes", "on", "true"};
  static char const* const no[] = {"0", "no", "off", "false"};
  for (std::size_t i = 0; i < std::size(yes); ++i) {
    if (strcasecmp(v, yes[i]) == 0) return out = true, true;
    if (strcasecmp(v, no[i]) == 0) return out = false, true;
  }
  return false;
}

bool core_parsenumber(char const* v, double lo, double hi, bool whole, double& out) {
  double x = 0;
  if (whole && (!*v || v[std::strspn(v, "0123456789")] != '\0')) return false;
  if (!core_decimal(v, x) || x < lo || x > hi) return false;
  out = x;
  return true;
}

bool core_parsesize(char const* v, double lo, double hi, int& w, int& h) {
  char const* x = std::strpbrk(v, "xX");
  if (!x) return false;
  std::string const left(v, std::size_t(x - v));
  double a = 0, b = 0;
  if (!core_parsenumber(left.c_str(), lo, hi, true, a) || !core_parsenumber(x + 1, lo, hi, true, b))
    return false;
  w = int(a), h = int(b);
  return true;
}

int core_parsechoice(char const* v, char const* words) {
  int index = 0;
  for (char const* w = words; *w; ++index) {
    std::size_t const n = std::strcspn(w, "|");
    if (std::strlen(v) == n && strncasecmp(v, w, n) == 0) return index;
    w += n + (w[n] == '|');
  }
  return -1;
}

bool core_parse(core_kind kind, char const* v, double lo, double hi, char const* words,
                core_value& out) {
  if (!v || !*v) return false;
  bool flag = false;
  switch (kind) {
    case core_kind::flag:
      if (!core_parseflag(v, flag)) return false;
      out.x = flag;
      return true;
    case core_kind::number:
    case core_kind::whole:
      return core_parsenumber(v, lo, hi, kind == core_kind::whole, out.x);
    case core_kind::choice:
      out.x = core_parsechoice(v, words);
      return out.x >= 0;
    case core_kind::size:
      return core_parsesize(v, lo, hi, out.w, out.h);
    case core_kind::text:
      out.text = v;
      return true;
  }
  return false;
}

std::string core_complaint(char const* name, core_kind kind, char const* v, double lo, double hi,
                           char const* words, bool quoted) {
  return std::string(name) + "=" + core_quote(v, quoted ? core_quotes::single : core_quotes::bare) +
         " is not " + core_expected(kind, lo, hi, words);
}

std::string core_goingon(char const* def) {
  return def && *def ? std::string("; using ") + def : std::string("; ignored");
}

std::string core_helpline(char const* name, char const* values, char const* help,
                          std::size_t column) {
  std::string left = std::string("  ") + name + "=" + values;
  left.resize(std::max(left.size() + 2, column), ' ');
  return left + help + "\n";
}
