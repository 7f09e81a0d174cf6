// The environment switches of every layer as rows of one kind: the name, what it takes, its
// default, one line of help and the variable it sets, so one loop reads a whole table and
// one parser per kind reads every value, with one yes/no rule. A layer's help text and its
// README's table are made from (and checked against) its rows.
#pragma once

#include <cstddef>
#include <string>
#include <type_traits>
#include <variant>

enum class core_kind {
  flag,    // yes or no: 1/0, yes/no, on/off, true/false, in any case
  number,  // a decimal number from lo to hi (hi may be infinite)
  whole,   // decimal digits only, from lo to hi
  choice,  // one of `words` (case ignored); sets the word's index
  text,    // taken as it is given (a file name, a list another reader parses)
  size,    // WIDTHxHEIGHT (or X), each side a whole number from lo to hi
};

// A row binds a member of the layer's settings record (a struct the layer reads into),
// so the table is plain constant data a header can hold and a test can read.
template <class T>
struct core_sides {
  int T::*w;
  int T::*h;
};
template <class T>
using core_target = std::variant<std::monostate, bool T::*, int T::*, unsigned T::*, double T::*,
                                 std::string T::*, char const * T::*, core_sides<T>>;

template <class T>
struct core_switch {
  char const* name;
  core_kind kind;
  char const* values;      // what it takes, as the help and the README write it
  char const* def;         // what unset or empty means; read by the kind's parser when it parses
  char const* help;        // one line
  core_target<T> to = {};  // the member it sets
  double lo = 0, hi = 0;   // number, whole, size: the range
  char const* words = nullptr;  // choice: "real|virtual" (index 0, 1)
  bool T::*given = nullptr;     // set when a good value was read from the environment
};

// The parsers, one per kind: true and the value when `v` is wholly one, else false.
bool core_parseflag(char const* v, bool& out);
bool core_parsenumber(char const* v, double lo, double hi, bool whole, double& out);
bool core_parsesize(char const* v, double lo, double hi, int& w, int& h);
int core_parsechoice(char const* v, char const* words);  // the index, -1 for none

// Where values come from: getenv, or a test's own table.
using core_lookup = char const* (*)(char const* name);

// One value parsed as its kind takes it (what the kinds share, away from the template).
struct core_value {
  double x = 0;  // flag (0/1), number, whole, choice (the index)
  int w = 0, h = 0;
  char const* text = nullptr;
};
// False when `v` (null counts as empty) is not wholly such a value.
bool core_parse(core_kind kind, char const* v, double lo, double hi, char const* words,
                core_value& out);
// "NAME=VALUE is not WHAT IT TAKES", the value in single quotes or bare.
std::string core_complaint(char const* name, core_kind kind, char const* v, double lo, double hi,
                           char const* words, bool quoted);
// What a library adds to the complaint as it goes on: "; using DEFAULT" or "; ignored".
std::string core_goingon(char const* def);
// One help line: "  NAME=VALUES" padded to `column`, then the help.
std::string core_helpline(char const* name, char const* values, char const* help,
                          std::size_t column);

template <class T>
void core_assign(core_switch<T> const& s, T& into, core_value const& v) {
  std::visit(
      [&](auto to) {
        using M = decltype(to);
        if constexpr (std::is_same_v<M, bool T::*>) into.*to = v.x != 0;
        if constexpr (std::is_same_v<M, int T::*>) into.*to = int(v.x);
        if constexpr (std::is_same_v<M, unsigned T::*>) into.*to = unsigned(v.x);
        if constexpr (std::is_same_v<M, double T::*>) into.*to = v.x;
        if constexpr (std::is_same_v<M, std::string T::*>) into.*to = v.text ? v.text : "";
        if constexpr (std::is_same_v<M, char const * T::*>) into.*to = v.text;
        if constexpr (std::is_same_v<M, core_sides<T>>) into.*to.w = v.w, into.*to.h = v.h;
      },
      s.to);
}

// Reads one switch into its member of `into`: unset or empty sets its default (a text
// switch: empty), a good value sets that. A bad value sets the default and returns false
// with `complaint` set.
template <class T>
bool core_readswitch(core_switch<T> const& s, T& into, core_lookup look, std::string& complaint,
                     bool quoted = false) {
  char const* v = look(s.name);
  core_value got;
  bool const given = v && *v;
  bool const good = given && core_parse(s.kind, v, s.lo, s.hi, s.words, got);
  if (s.given) into.*s.given = good;
  if (!good) {
    // The default, where it is a value of the kind; a text switch is emptied; a default
    // that only names what unset means ("from the clock") leaves the member as it is.
    got = {};
    if (s.kind == core_kind::text || core_parse(s.kind, s.def, s.lo, s.hi, s.words, got))
      core_assign(s, into, got);
  } else {
    core_assign(s, into, got);
  }
  if (!given || good) return true;
  complaint = core_complaint(s.name, s.kind, v, s.lo, s.hi, s.words, quoted);
  return false;
}

// The help lines of a table, in its order.
template <class T, std::size_t N>
std::string core_helplines(core_switch<T> const (&rows)[N], std::size_t column) {
  std::string out;
  for (auto const& r : rows) out += core_helpline(r.name, r.values, r.help, column);
  return out;
}
