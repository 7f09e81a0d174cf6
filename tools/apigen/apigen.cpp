// apigen: writes the written-out public headers (libdisp's, libsound's, the facade's, the
// key constants), the literal-call probe, docs/api.md, the one-page docs/cheatsheet.md and
// the result columns of platform/README.md from the entry table in platform/entries.h and
// the names, one-liners and results in platform/entries.txt.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/disp/input/keys.h"
#include "platform/disp/input/padnames.h"
#include "platform/entries.h"

namespace {

struct row {
  std::string entry, name, ret;
  std::vector<std::string> types;
  std::string lib;  // "disp" or "sound"
  bool ext;         // one of our extensions, outside the serial-numbered set
};

// The types as "(d, u)" text from the table, split into codes.
std::vector<std::string> splittypes(std::string const& s) {
  std::vector<std::string> out;
  std::string cur;
  for (char ch : s) {
    if (ch == '(' || ch == ' ') continue;
    if (ch == ',' || ch == ')') {
      if (!cur.empty()) out.push_back(cur);
      cur.clear();
    } else {
      cur += ch;
    }
  }
  return out;
}

std::vector<row> rows;
void add(char const* entry, char const* name, char const* ret, char const* types, char const* lib,
         bool ext) {
  rows.push_back({entry, name, ret, splittypes(types), lib, ext});
}

void loadtable() {
#define ROW_DISP(e, n, r, t) add(#e, #n, #r, #t, "disp", false);
#define ROW_SOUND(e, n, r, t) add(#e, #n, #r, #t, "sound", false);
#define ROW_DISPX(e, n, r, t) add(#e, #n, #r, #t, "disp", true);
#define ROW_SOUNDX(e, n, r, t) add(#e, #n, #r, #t, "sound", true);
  QUIB_DISP_ENTRIES(ROW_DISP)
  QUIB_SOUND_ENTRIES(ROW_SOUND)
  QUIB_DISP_EXTENSIONS(ROW_DISPX)
  QUIB_SOUND_EXTENSIONS(ROW_SOUNDX)
}

// ---- The names and one-liners ----------------------------------------------------------

struct doc {
  std::vector<std::string> params;
  std::string line;
  std::string result;             // what it gives back and what a failure does ("" when not stated)
  std::vector<std::string> also;  // further facade names in whole words ("also:" lines)
  std::string cname;              // the readable C name, when the rule's would mislead ("c:")
  std::vector<std::string> checks;  // "CALL → RESULT, error N" claims a test holds it to
  std::vector<bool> windowed;       // for each check: whether it runs with a window open
};

struct family {
  std::string title;
  std::vector<std::string> intro;
  std::vector<std::string> entries;  // in the file's order
};

std::vector<family> families;
std::map<std::string, doc> docs;

[[noreturn]] void fail(std::string const& why) {
  std::fprintf(stderr, "apigen: %s\n", why.c_str());
  std::exit(1);
}

std::string trim(std::string s) {
  size_t a = s.find_first_not_of(' ');
  size_t b = s.find_last_not_of(' ');
  return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

// Reads entries.txt and checks it against the table: every entry once, a name for every
// parameter, nothing else.
void loaddocs(char const* path) {
  std::ifstream in(path);
  if (!in) fail(std::string("cannot read ") + path);
  std::map<std::string, row const*> byentry;
  for (row const& r : rows) byentry[r.entry] = &r;
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    ++n;
    std::string where = std::string(path) + ":" + std::to_string(n) + ": ";
    if (line.empty() || (line[0] == '#' && line.rfind("## ", 0) != 0)) continue;
    if (line.rfind("## ", 0) == 0) {
      families.push_back({line.substr(3), {}, {}});
      continue;
    }
    if (families.empty()) fail(where + "an entry before the first family");
    if (line.rfind("> ", 0) == 0) {
      families.back().intro.push_back(line.substr(2));
      continue;
    }
    if (line.rfind("  result: ", 0) == 0) {
      if (families.back().entries.empty()) fail(where + "a result before any entry");
      std::string& r = docs[families.back().entries.back()].result;
      if (!r.empty()) fail(where + "a second result");
      r = line.substr(10);
      continue;
    }
    if (line.rfind("  check: ", 0) == 0 || line.rfind("  check window: ", 0) == 0) {
      if (families.back().entries.empty()) fail(where + "a check before any entry");
      doc& d = docs[families.back().entries.back()];
      std::string claim = line.substr(line.find(": ") + 2);
      if (claim.find(" → ") == std::string::npos) fail(where + "a check is CALL → RESULT");
      d.checks.push_back(claim);
      d.windowed.push_back(line[8] == 'w');
      continue;
    }
    if (line.rfind("  also: ", 0) == 0 || line.rfind("  c: ", 0) == 0) {
      if (families.back().entries.empty()) fail(where + "a name before any entry");
      doc& d = docs[families.back().entries.back()];
      std::stringstream words(line.substr(line.find(':') + 2));
      if (line[2] == 'c') {
        if (!d.cname.empty() || !(words >> d.cname)) fail(where + "one c: name an entry");
      } else {
        for (std::string w; words >> w;) d.also.push_back(w);
      }
      continue;
    }
    size_t open = line.find('('), close = line.find("): ");
    if (open == std::string::npos || close == std::string::npos || close < open)
      fail(where + "expected Entry(names): text");
    std::string entry = line.substr(0, open);
    auto it = byentry.find(entry);
    if (it == byentry.end()) fail(where + entry + " is not in entries.h");
    if (docs.count(entry)) fail(where + entry + " appears twice");
    doc d;
    std::stringstream names(line.substr(open + 1, close - open - 1));
    std::string name;
    while (std::getline(names, name, ',')) d.params.push_back(trim(name));
    if (d.params.size() != it->second->types.size())
      fail(where + entry + " has " + std::to_string(it->second->types.size()) + " parameters");
    d.line = line.substr(close + 3);
    docs[entry] = d;
    families.back().entries.push_back(entry);
  }
  for (row const& r : rows)
    if (!docs.count(r.entry)) fail(r.entry + " has no line in " + path);
}

// ---- Readable C names -------------------------------------------------------------------

// One name without a serial number for every numbered entry, so a C program never needs the
// numbers: the library's prefix and the facade name (its whole-word alias where it has one),
// and where the function has several forms, the parameters that tell them apart. A form
// drawing on a bitmap given first, beside forms without one, is "_on"; the shortest form of a group
// keeps the bare name, a longer one adds the parameters it has beyond it ("disp_circle_colour"),
// and a form that does not extend the shortest one names all its parameters. A "c:" line overrides
// the rule where it would mislead.
std::map<std::string, std::string> cnames;

void makecnames() {
  std::map<std::string, std::vector<row const*>> forms;  // by library and facade name
  for (row const& r : rows)
    if (!r.ext) forms[r.lib + " " + r.name].push_back(&r);
  std::set<std::string> taken;
  for (row const& r : rows) taken.insert(r.entry);
  for (auto const& [key, all] : forms) {
    auto leadingbitmap = [&](row const* r) {
      std::vector<std::string> const& p = docs.at(r->entry).params;
      return !r->types.empty() && r->types[0] == "b" && (p[0] == "b" || p[0] == "dest");
    };
    bool const mixed =
        std::any_of(all.begin(), all.end(), [&](row const* r) { return !leadingbitmap(r); });
    auto onbitmap = [&](row const* r) { return mixed && leadingbitmap(r); };
    for (row const* r : all) {
      doc const& d = docs.at(r->entry);
      std::string name = d.cname;
      if (name.empty()) {
        name = r->lib + "_" + (d.also.empty() ? r->name : d.also[0]);
        bool const on = onbitmap(r);
        std::vector<std::string> mine(d.params.begin() + (on ? 1 : 0), d.params.end());
        // The shortest form of the same group (ties: the first in the table).
        std::vector<std::string> least;
        bool found = false;
        for (row const* o : all) {
          if (onbitmap(o) != on || !docs.at(o->entry).cname.empty()) continue;
          std::vector<std::string> const& op = docs.at(o->entry).params;
          std::vector<std::string> theirs(op.begin() + (on ? 1 : 0), op.end());
          if (!found || theirs.size() < least.size()) least = theirs, found = true;
        }
        if (on) name += "_on";
        bool const extends =
            least.size() <= mine.size() && std::equal(least.begin(), least.end(), mine.begin());
        for (size_t i = extends ? least.size() : 0; i < mine.size(); ++i) name += "_" + mine[i];
      }
      if (!taken.insert(name).second) fail("the C name " + name + " of " + r->entry + " is taken");
      cnames[r->entry] = name;
    }
  }
}

// ---- Types -------------------------------------------------------------------------------

// What the entry takes (bytes and flags widened to 32 bits), as C spells it.
std::string entryparam(std::string const& t) {
  static std::map<std::string, std::string> const m = {
      {"d", "double"},
      {"f", "float"},
      {"l", "long"},
      {"u", "unsigned long"},
      {"uc", "unsigned int"},
      {"c", "int"},
      {"bool", "int"},
      {"s", "char const*"},
      {"ws", "short const*"},
      {"b", "bitmap*"},
      {"bb", "bitbuf*"},
      {"p", "void*"},
      {"cp", "void const*"},
      {"sp", "disp_sprite const*"},
      {"pu", "void (*)(void*)"},
      {"lf", "void (*)(void*, char const*)"},
      {"ef", "void (*)(void*, unsigned long, char const*)"},
      {"ck", "unsigned long (*)(void)"}};
  return m.at(t);
}

std::string entryresult(std::string const& t) {
  static std::map<std::string, std::string> const m = {
      {"v", "void"},          {"d", "double"},       {"f", "float"},         {"l", "long"},
      {"u", "unsigned long"}, {"bool", "bool"},      {"c", "char"},          {"p", "void*"},
      {"s", "char const*"},   {"ms", "char const*"}, {"ws", "short const*"}, {"b", "bitmap*"},
      {"bb", "bitbuf*"}};
  return m.at(t);
}

// What the facade takes and gives: bytes as bytes, library text as a mystring.
std::string facadeparam(std::string const& t) {
  if (t == "uc") return "unsigned char";
  if (t == "c") return "char";
  if (t == "bool") return "bool";
  return entryparam(t);
}

std::string facaderesult(std::string const& t) { return t == "ms" ? "mystring" : entryresult(t); }

// "unsigned long w, unsigned long h"; "void" for none when C asks for it.
std::string paramlist(row const& r, std::string (*type)(std::string const&), bool cvoid) {
  doc const& d = docs.at(r.entry);
  std::string s;
  for (size_t i = 0; i < r.types.size(); ++i) {
    std::string t = type(r.types[i]);
    size_t const fn = t.find("(*)");  // a function pointer: the name goes inside
    s += (i ? ", " : "") + (fn == std::string::npos
                                ? t + " " + d.params[i]
                                : t.substr(0, fn + 2) + d.params[i] + t.substr(fn + 2));
  }
  return s.empty() && cvoid ? "void" : s;
}

std::string arglist(row const& r) {
  std::vector<std::string> const& p = docs.at(r.entry).params;
  std::string s;
  for (size_t i = 0; i < p.size(); ++i) s += (i ? ", " : "") + p[i];
  return s;
}

// A comment of up to 100 columns a line, broken between words.
std::string comment(std::string const& text) {
  std::string out, line = "//";
  std::stringstream words(text);
  std::string w;
  while (words >> w) {
    if (line.size() + 1 + w.size() > 100 && line != "//") {
      out += line + "\n";
      line = "//";
    }
    line += " " + w;
  }
  return out + line + "\n";
}

// "head(a, b, c)tail" within 100 columns: the parameters that do not fit go on further
// lines, lined up after the parenthesis.
std::string wrapcall(std::string const& head, std::string const& params, std::string const& tail) {
  std::string one = head + "(" + params + ")" + tail;
  if (one.size() <= 100) return one;
  std::string indent(head.size() + 1, ' ');
  std::string out = head + "(";
  std::stringstream parts(params);
  std::string part;
  size_t col = out.size();
  bool first = true;
  while (std::getline(parts, part, ',')) {
    part = trim(part);
    std::string piece = first ? part : ", " + part;
    if (!first && col + piece.size() + 1 + tail.size() > 100) {
      out += ",\n" + indent + part;
      col = indent.size() + part.size();
    } else {
      out += piece;
      col += piece.size();
    }
    first = false;
  }
  return out + ")" + tail;
}

row const& rowof(std::string const& entry) {
  for (row const& r : rows)
    if (r.entry == entry) return r;
  fail(entry + " is not in entries.h");
}

// ---- Writers -------------------------------------------------------------------------------

char const* const generated =
    "// Generated by tools/apigen from platform/entries.h and platform/entries.txt: edit\n"
    "// those and run `cmake --build build --target apigen_update`.\n";

// How a sprite is drawn, and the blend modes, as C and C++ both spell them.
void spritetypes() {
  std::cout
      << "#ifndef QUIB_SPRITE_DECLARED\n#define QUIB_SPRITE_DECLARED\n"
         "// How disp_drawsprite draws a bitmap, or a part of it. Zero is the plain case in\n"
         "// every field: the whole bitmap, its top-left corner at (x, y), unturned, unscaled.\n"
         "// From C++14 on a field that a call does not name starts at 0 too, without a warning.\n"
         "#if defined(__cplusplus) && __cplusplus >= 201402L\n#define DISP_ZERO {}\n#else\n"
         "#define DISP_ZERO\n#endif\n"
         "typedef struct disp_sprite {\n"
         "  double x DISP_ZERO, y DISP_ZERO;  // where the origin lands on the target, in pixels\n"
         "  double degrees DISP_ZERO;         // turn about the origin, clockwise on the screen\n"
         "  double scalex DISP_ZERO, scaley DISP_ZERO;    // size factors; 0 stands for 1\n"
         "  double originx DISP_ZERO, originy DISP_ZERO;  // the pivot, in pixels of the part\n"
         "  long sx DISP_ZERO, sy DISP_ZERO;  // the part drawn: its top-left in the bitmap,\n"
         "  long sw DISP_ZERO, sh DISP_ZERO;  // its size (0: up to the bitmap's edge)\n"
         "  bool flipx DISP_ZERO, flipy DISP_ZERO;  // mirrored left to right, top to bottom\n"
         "} disp_sprite;\n"
         "// Blend modes of disp_setblend: how what is drawn meets what is there.\n"
         "enum { DISP_BLEND_NORMAL = 0, DISP_BLEND_ADD = 1, DISP_BLEND_MULTIPLY = 2 };\n"
         "#undef DISP_ZERO\n#endif\n\n";
}

void libheader(std::string const& lib) {
  std::string guard = lib == "disp" ? "QUIB_DISP_H" : "QUIB_SOUND_H";
  if (lib == "disp") {
    std::cout << "// Public entries of libdisp, the display library: window, drawing, text, "
                 "input, clock.\n// Plain C (C99 and later) and C++; the contract is "
                 "platform/README.md.\n";
  } else {
    std::cout << "// Public entries of libsound, the sound library: load, play, seek and "
                 "pitch sounds.\n// Plain C (C99 and later) and C++; the contract is "
                 "platform/README.md.\n";
  }
  std::cout << generated << "#ifndef " << guard << "\n#define " << guard << "\n\n";
  std::cout << "#ifndef __cplusplus\n#include <stdbool.h>\n#endif\n\n";
  if (lib == "disp") {
    std::cout << "#ifndef QUIB_HANDLES_DECLARED\n#define QUIB_HANDLES_DECLARED\n"
                 "typedef struct bitmap bitmap;  // a picture to draw on: the window's or an "
                 "off-screen one\n"
                 "typedef struct bitbuf bitbuf;  // a copy of a bitmap's pixels in plain memory\n"
                 "#endif\n\n";
    spritetypes();
  }
  std::cout << "#ifdef __cplusplus\nextern \"C\" {\n#endif\n";
  for (family const& f : families) {
    bool any = false;
    for (std::string const& e : f.entries) {
      row const* r = &rowof(e);
      if (r->lib != lib) continue;
      if (!any) std::cout << "\n// ---- " << f.title << "\n\n";
      any = true;
      std::cout << comment(docs.at(e).line);
      std::cout << wrapcall(entryresult(r->ret) + " " + e, paramlist(*r, entryparam, true), ";")
                << "\n";
    }
  }
  std::cout << "\n#ifdef __cplusplus\n}  // extern \"C\"\n#endif\n";
  std::cout << "\n// ---- Readable names\n\n"
               "// Every numbered entry under a name without its number: the facade name, and "
               "where a\n// function has several forms, the parameters that tell them apart "
               "(\"_on\" for a bitmap\n// given first).\n";
  for (family const& f : families) {
    for (std::string const& e : f.entries) {
      row const& r = rowof(e);
      if (r.lib != lib || !cnames.count(e)) continue;
      std::string const res = entryresult(r.ret);
      std::cout << wrapcall("static inline " + res + " " + cnames.at(e),
                            paramlist(r, entryparam, true), " {")
                << "\n  " << (res == "void" ? "" : "return ") << e << "(" << arglist(r)
                << ");\n}\n";
    }
  }
  std::cout << "\n";
  // The libraries and their tests are built from the table itself, with its type codes.
  std::cout << "#if defined(__cplusplus) && __cplusplus >= 202002L\n"
               "#if __has_include(\"platform/entries.h\")\n"
               "#include \"platform/entries.h\"  // in-tree: the table the libraries are built "
               "from\n#endif\n#endif\n\n#endif  // "
            << guard << "\n";
}

void facadeheader() {
  std::cout << "// The lower-case API of libdisp and libsound, one inline function per library "
               "entry, each\n// passing its arguments unchanged to its entry; grouped by "
               "family. C++11 and later.\n"
            << generated
            << "// Read once at the top level (<facade.h>) and once more inside namespace quib\n"
               "// (<quib.h>), each at most once.\n"
               "#if defined(QUIB_FACADE_AGAIN) ? !defined(QUIB_FACADE_IN_QUIB) : "
               "!defined(QUIB_FACADE_H)\n#ifdef QUIB_FACADE_AGAIN\n#define QUIB_FACADE_IN_QUIB\n"
               "#else\n#define QUIB_FACADE_H\n#endif\n\n"
               "#include \"facade/detail.h\"\n#include \"facade/mystring.h\"\n#include "
               "\"facade/random.h\"\n";
  for (family const& f : families) {
    std::cout << "\n// ==== " << f.title << " " << std::string(80 - 9 - f.title.size(), '=')
              << "\n";
    for (std::string const& l : f.intro) std::cout << "// " << l << "\n";
    for (std::string const& e : f.entries) {
      row const& r = rowof(e);
      std::string res = facaderesult(r.ret);
      std::cout << "\n" << comment(docs.at(e).line);
      std::string head = "inline " + res + " " + r.name;
      std::string params = paramlist(r, facadeparam, false);
      std::string body = std::string(res == "void" ? "" : "return ") + e + "(" + arglist(r) + ");";
      std::string one = head + "(" + params + ") { " + body + " }";
      if (one.size() <= 100) {
        std::cout << one << "\n";
      } else {
        std::cout << wrapcall(head, params, " {") << "\n  " << body << "\n}\n";
      }
      for (std::string const& a : docs.at(e).also) {
        std::cout << "// The same as " << r.name << "().\n";
        std::cout << wrapcall("inline " + res + " " + a, params, " {") << "\n  " << body << "\n}\n";
      }
    }
  }
  std::cout << "\n// Calls with plain int arguments (clear(0), sound(440, 200), drawbmp(b, 0, 0), "
               "i2hs(5)).\n#include \"facade/overloads.h\"\n\n"
               "// One channel for the failures of both libraries: lasterror(), lasterrortext(), "
               "setlog().\n#include \"facade/errors.h\"\n\n"
               "// In-tree C++20 code built from the entry table also gets the facade's types "
               "by its codes.\n#ifdef QUIB_DISP_ENTRIES\n"
               "typedef void qf_v;\ntypedef double qf_d;\ntypedef float qf_f;\ntypedef long "
               "qf_l;\ntypedef unsigned long qf_u;\ntypedef unsigned char qf_uc;\ntypedef char "
               "qf_c;\ntypedef bool qf_bool;\ntypedef char const* qf_s;\ntypedef short const* "
               "qf_ws;\ntypedef bitmap* qf_b;\ntypedef bitbuf* qf_bb;\ntypedef void* qf_p;\n"
               "typedef void const* qf_cp;\ntypedef disp_sprite const* qf_sp;\n"
               "typedef void (*qf_pu)(void*);\n"
               "typedef void (*qf_lf)(void*, char const*);\n"
               "typedef void (*qf_ef)(void*, unsigned long, char const*);\n"
               "typedef unsigned long (*qf_ck)(void);\ntypedef mystring "
               "qf_ms;\n#endif\n\n#endif\n";
}

// Message codes as Windows numbers them; tests/api checks them against libdisp's own.
struct named {
  char const* name;
  unsigned value;
};
named const messages[] = {{"MOVE", 0x003},
                          {"SIZE", 0x005},
                          {"SETFOCUS", 0x007},
                          {"KILLFOCUS", 0x008},
                          {"PAINT", 0x00F},
                          {"CLOSE", 0x010},
                          {"SHOWWINDOW", 0x018},
                          {"KEYDOWN", 0x100},
                          {"KEYUP", 0x101},
                          {"CHAR", 0x102},
                          {"IME_COMPOSITION", 0x10F},
                          {"MOUSEMOVE", 0x200},
                          {"LBUTTONDOWN", 0x201},
                          {"LBUTTONUP", 0x202},
                          {"RBUTTONDOWN", 0x204},
                          {"RBUTTONUP", 0x205},
                          {"MBUTTONDOWN", 0x207},
                          {"MBUTTONUP", 0x208},
                          {"MOUSEWHEEL", 0x20A},
                          {"XBUTTONDOWN", 0x20B},
                          {"XBUTTONUP", 0x20C},
                          {"MOUSEHWHEEL", 0x20E},
                          {"DROPFILES", 0x233},
                          {"MOUSELEAVE", 0x2A3},
                          {"USER", 0x400},
                          {"PADDOWN", 0x480},
                          {"PADUP", 0x481},
                          {"PADADDED", 0x482},
                          {"PADREMOVED", 0x483}};
// Gamepad buttons and axes, from libdisp's own table.
named const padbuttons[] = {
#define QUIB_NAMED(name, word, n) {#name, n},
    QUIB_PAD_BUTTONS(QUIB_NAMED)};
named const padaxes[] = {QUIB_PAD_AXES(QUIB_NAMED)};
#undef QUIB_NAMED
named const buttons[] = {{"LEFT", 1}, {"RIGHT", 2}, {"MIDDLE", 4}, {"X1", 5}, {"X2", 6}};

// The other numbers the entries take or give as modes, each group under its prefix; tests/api
// checks them against the libraries' own.
struct modegroup {
  char const* about;  // the comment above the group
  char const* prefix;
  std::vector<named> names;
  bool hex;
};
std::vector<modegroup> const modes = {
    {"Window styles for createwin(w, h, style) and createwin(w, h, x, y, style), added\n"
     "// together (QUIB_WIN_RESIZABLE + QUIB_WIN_ONTOP); QUIB_WIN_CENTRED as x or y (createwin,\n"
     "// setpos) centres the window in that direction.",
     "WIN_",
     {{"RESIZABLE", 1},
      {"BORDERLESS", 2},
      {"FULLSCREEN", 4},
      {"ONTOP", 8},
      {"CENTRED", 0x80000000u}},
     true},
    {"The colour that means none in an outline, fill or text box place: that part is not drawn.",
     "",
     {{"NOCOLOUR", 1}},
     false},
    {"Error codes of geterror(), getsounderror() and lasterror().",
     "ERR_",
     {{"NONE", 0},
      {"NOWINDOW", 1},
      {"ARGUMENT", 2},
      {"FILE", 3},
      {"MEMORY", 4},
      {"UNSUPPORTED", 5},
      {"DEVICE", 6}},
     false},
    {"Message box flags for msgbox(text, caption, flags), added together: one button set,\n"
     "// one icon, one default button.",
     "MB_",
     {{"OK", 0},
      {"OKCANCEL", 1},
      {"ABORTRETRYIGNORE", 2},
      {"YESNOCANCEL", 3},
      {"YESNO", 4},
      {"RETRYCANCEL", 5},
      {"CANCELTRYCONTINUE", 6},
      {"ICONERROR", 0x10},
      {"ICONQUESTION", 0x20},
      {"ICONWARNING", 0x30},
      {"ICONINFORMATION", 0x40},
      {"DEFBUTTON2", 0x100},
      {"DEFBUTTON3", 0x200}},
     true},
    {"The answers msgbox() gives: the button pressed.",
     "ID_",
     {{"OK", 1},
      {"CANCEL", 2},
      {"ABORT", 3},
      {"RETRY", 4},
      {"IGNORE", 5},
      {"YES", 6},
      {"NO", 7},
      {"TRYAGAIN", 10},
      {"CONTINUE", 11}},
     false},
    {"Font weights for setfontweight(), as in CSS and OpenType.",
     "WEIGHT_",
     {{"THIN", 100}, {"LIGHT", 300}, {"REGULAR", 400}, {"BOLD", 700}, {"BLACK", 900}},
     false},
};

void keysheader() {
  std::cout << "// Named key codes, mouse buttons and message codes for iskey(), waitkey(), "
               "ismouse(),\n// ismsg() and the rest, and the other numbered modes (window "
               "styles, error codes,\n// message boxes, font weights); plain C and C++. From "
               "libdisp's key table.\n"
            << generated
            << "#ifndef QUIB_KEYS_H\n#define QUIB_KEYS_H\n\n"
               "// Keys are Windows virtual-key codes. A letter is its UPPER-case character: "
               "iskey('P')\n// or iskey(QUIB_KEY_P). Never pass a lower-case letter: 'a'..'o' "
               "(97..111) are keypad\n// keys and 'p'..'z' (112..122) are F1..F11, so iskey('p') "
               "fires on F1. Digits are '0'..'9'.\n// Punctuation keys are never their character "
               "either: iskey('[') tests 91, the left Windows\n// key, while the [ key is "
               "QUIB_KEY_LEFTBRACKET (219); so for ; = , - . / ` \\ ] ' use the names\n"
               "// below (QUIB_KEY_SEMICOLON, QUIB_KEY_PLUS, QUIB_KEY_COMMA, ...).\n"
               "// Where two keys share a code (both Enter "
               "keys, both Shift keys) "
               "both names are given.\n";
  for (dsp_key const& k : dsp_keys) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "#define QUIB_KEY_%-13s %u\n", k.name, k.vk);
    std::cout << buf;
  }
  std::cout << "\n// Mouse buttons, as ismouse(), waitmouse(), getmouse() and pressmouse() "
               "take and give them.\n";
  for (named const& b : buttons) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "#define QUIB_MOUSE_%-7s %u\n", b.name, b.value);
    std::cout << buf;
  }
  std::cout << "\n// Message codes, for ismsg(), getmsg(), waitmsg(), getnextmsg() and "
               "waitnextmsg().\n";
  for (named const& m : messages) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "#define QUIB_MSG_%-12s 0x%03X\n", m.name, m.value);
    std::cout << buf;
  }
  std::cout
      << "\n// Gamepad buttons (the SDL game-controller layout) and axes, for ispadbuttondown(),\n"
         "// getpadbutton(), mappadbutton() and getpadaxis(); 0 is none.\n";
  for (named const& b : padbuttons) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "#define QUIB_PAD_%-13s %u\n", b.name, b.value);
    std::cout << buf;
  }
  for (named const& a : padaxes) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "#define QUIB_PADAXIS_%-13s %u\n", a.name, a.value);
    std::cout << buf;
  }
  for (modegroup const& g : modes) {
    std::cout << "\n// " << g.about << "\n";
    for (named const& n : g.names) {
      char buf[96];
      std::string const name = std::string(g.prefix) + n.name;
      if (g.hex)
        std::snprintf(buf, sizeof buf, "#define QUIB_%-20s 0x%XUL\n", name.c_str(), n.value);
      else
        std::snprintf(buf, sizeof buf, "#define QUIB_%-20s %uUL\n", name.c_str(), n.value);
      std::cout << buf;
    }
  }
  std::cout << "\n#endif  // QUIB_KEYS_H\n";
}

// One call of every facade function with int literals (0 and 1) for each number, so that a
// compiler says at once when a call of the ordinary kind is ambiguous.
void probe() {
  std::cout << "// Calls every facade function with int literals in every number place; "
               "compiled, never run.\n"
            << generated
            << "#include \"facade/facade.h\"\n\nvoid probe(bitmap* b, bitbuf* bb, void* p, "
               "short const* ws, void (*pu)(void*)) {\n  (void)b, (void)bb, (void)p, (void)ws, "
               "(void)pu;\n";
  for (int lit = 0; lit < 2; ++lit) {
    for (row const& r : rows) {
      std::string args;
      for (size_t i = 0; i < r.types.size(); ++i) {
        std::string const& t = r.types[i];
        std::string a = t == "s"    ? "\"t\""
                        : t == "ws" ? "ws"
                        : t == "b"  ? "b"
                        : t == "bb" ? "bb"
                        : t == "p"  ? "p"
                        : t == "cp" ? "p"
                        : t == "sp" ? "static_cast<disp_sprite const*>(nullptr)"
                        : t == "pu" ? "pu"
                        : t == "lf" ? "static_cast<void (*)(void*, char const*)>(nullptr)"
                        : t == "ef"
                            ? "static_cast<void (*)(void*, unsigned long, char const*)>(nullptr)"
                        : t == "ck" ? "static_cast<unsigned long (*)(void)>(nullptr)"
                                    : std::to_string(lit);
        args += (i ? ", " : "") + a;
      }
      std::cout << "  " << r.name << "(" << args << ");  // " << r.entry << "\n";
      for (std::string const& a : docs.at(r.entry).also)
        std::cout << "  " << a << "(" << args << ");  // " << r.entry << "\n";
    }
  }
  std::cout << "}\n";
}

// A test that every readable name (C names and facade aliases) reaches its own entry: each
// is called with zeros and empty texts through the recording libraries.
void namestest() {
  std::cout << "// Calls every readable name once and checks the entry it reaches.\n"
            << generated
            << "#include <gtest/gtest.h>\n\n#include \"facade/facade.h\"\n"
               "#include \"tests/support/recorder.h\"\n\nnamespace {\n\n"
               "std::string reached() { return rec::calls.empty() ? \"(nothing)\" : "
               "rec::calls.back().entry; }\n\n}  // namespace\n\n"
               "TEST(ReadableNames, EachReachesItsEntry) {\n"
               "  static short const ws[1] = {0};\n  (void)ws;\n";
  for (row const& r : rows) {
    std::string args;
    for (size_t i = 0; i < r.types.size(); ++i) {
      std::string const& t = r.types[i];
      std::string a = t == "s"    ? "\"\""
                      : t == "ws" ? "ws"
                      : t == "b"  ? "static_cast<bitmap*>(nullptr)"
                      : t == "bb" ? "static_cast<bitbuf*>(nullptr)"
                      : t == "p"  ? "static_cast<void*>(nullptr)"
                      : t == "cp" ? "static_cast<void const*>(nullptr)"
                      : t == "sp" ? "static_cast<disp_sprite const*>(nullptr)"
                      : t == "pu" ? "static_cast<void (*)(void*)>(nullptr)"
                      : t == "lf" ? "static_cast<void (*)(void*, char const*)>(nullptr)"
                      : t == "ef"
                          ? "static_cast<void (*)(void*, unsigned long, char const*)>(nullptr)"
                      : t == "ck" ? "static_cast<unsigned long (*)(void)>(nullptr)"
                                  : "0";
      args += (i ? ", " : "") + a;
    }
    std::vector<std::string> names = docs.at(r.entry).also;
    if (cnames.count(r.entry)) names.push_back(cnames.at(r.entry));
    for (std::string const& n : names)
      std::cout << "  rec::reset();\n  " << n << "(" << args << ");\n  EXPECT_EQ(reached(), \""
                << r.entry << "\") << \"" << n << "\";\n";
  }
  std::cout << "}\n";
}

// A test of every check line: each runs in a process of its own (headless, optionally with
// a 200 x 100 window open), makes its call and holds the result and the error code of the
// entry's library to what the line claims.
void claimstest() {
  std::cout << "// Holds the libraries to the claims the entry table makes (its check lines).\n"
            << generated
            << "#include <gtest/gtest.h>\n\n#include <climits>\n#include <cmath>\n#include "
               "<cstdlib>\n#include <string>\n\n"
               "#include \"facade/facade.h\"\n\nnamespace {\n\n"
               "void fresh(bool window) {\n  setenv(\"DISP_HEADLESS\", \"1\", 1);\n"
               "  setenv(\"DISP_CLOCK\", \"virtual\", 1);\n"
               "  if (window) {\n    ASSERT_TRUE(createwin(200, 100));\n  }\n"
               "  geterror();\n  getsounderror();\n}\n\n"
               "template <typename T>\nT same(T v) { return v; }\n"
               "inline std::string same(mystring v) { return v.text; }\n"
               "inline std::string same(char const* v) { return v ? v : \"(null)\"; }\n\n"
               "}  // namespace\n";
  for (family const& f : families) {
    for (std::string const& e : f.entries) {
      row const& r = rowof(e);
      doc const& d = docs.at(e);
      for (size_t i = 0; i < d.checks.size(); ++i) {
        std::string const& c = d.checks[i];
        size_t arrow = c.find(" → ");
        std::string call = c.substr(0, arrow), want = c.substr(arrow + 5), code;
        size_t err = want.rfind("error ");
        if (err != std::string::npos) {
          code = trim(want.substr(err + 6));
          want = trim(want.substr(0, err));
          if (!want.empty() && want.back() == ',') want.pop_back();
        }
        if (want == "null") want = "nullptr";
        std::cout << "\n// " << e << ": " << c << "\nTEST(Claims, " << e << "_" << i + 1
                  << ") {\n  fresh(" << (d.windowed[i] ? "true" : "false") << ");\n";
        if (want.empty())
          std::cout << "  " << call << ";\n";
        else
          std::cout << "  EXPECT_EQ(same(" << call << "), same(" << want << "));\n";
        std::cout << "  EXPECT_EQ(" << (r.lib == "sound" ? "getsounderror()" : "geterror()") << ", "
                  << (code.empty() ? "0" : code) << "u);\n}\n";
      }
    }
  }
}

std::string anchor(std::string const& title) {
  std::string a;
  for (char c : title) a += c == ' ' ? '-' : static_cast<char>(std::tolower(c));
  return a;
}

// Text for a cell of a Markdown table.
std::string cell(std::string const& text) {
  std::string esc;
  for (char c : text) esc += c == '|' ? std::string("\\|") : std::string(1, c);
  return esc;
}

// The cells of a table row, split at the bars that are not escaped.
std::vector<std::string> cells(std::string const& line) {
  std::vector<std::string> out;
  std::string cur;
  for (size_t i = 1; i < line.size(); ++i) {
    if (line[i] == '|' && line[i - 1] != '\\') {
      out.push_back(trim(cur));
      cur.clear();
    } else {
      cur += line[i];
    }
  }
  return out;
}

// platform/README.md (beside entries.txt) with the last cell of every row of its entry
// tables, the "Result / on failure" column, written from the results of entries.txt. A
// row may name several entries (the forms of one function): they must agree.
void readme(std::string const& entriestxt) {
  std::string const path = entriestxt.substr(0, entriestxt.find_last_of('/') + 1) + "README.md";
  std::ifstream in(path);
  if (!in) fail("cannot read " + path);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  static std::set<std::string> const heads = {"Result / on failure", "On failure",
                                              "Omitted / on failure"};
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i].rfind("|", 0) != 0 || lines[i + 1].rfind("|---", 0) != 0) continue;
    std::vector<std::string> const head = cells(lines[i]);
    size_t const named = head.size() > 1 && head[0] == "Facade" && head[1] == "Entry" ? 2 : 1;
    bool const results = heads.count(head.back()) > 0;
    for (i += 2; i < lines.size() && lines[i].rfind("|", 0) == 0; ++i) {
      if (!results) continue;
      std::vector<std::string> c = cells(lines[i]);
      std::string who;
      for (size_t k = 0; k < named && k < c.size(); ++k) who += c[k] + " ";
      std::string result, first;
      for (size_t at = who.find('`'); at != std::string::npos; at = who.find('`', at + 1)) {
        size_t end = at + 1;
        while (end < who.size() &&
               (std::isalnum(static_cast<unsigned char>(who[end])) || who[end] == '_'))
          ++end;
        auto it = docs.find(who.substr(at + 1, end - at - 1));
        if (it == docs.end() || it->second.result.empty()) continue;
        if (first.empty()) {
          first = it->first, result = it->second.result;
        } else if (it->second.result != result) {
          fail(path + ":" + std::to_string(i + 1) + ": " + first + " and " + it->first +
               " share a row but not a result");
        }
      }
      if (first.empty()) continue;
      std::string out = "|";
      for (size_t k = 0; k + 1 < c.size(); ++k) out += " " + c[k] + " |";
      lines[i] = out + " " + cell(result) + " |";
    }
  }
  for (std::string const& l : lines) std::cout << l << "\n";
}

void apimd() {
  std::cout << "<!-- Generated by tools/apigen from platform/entries.h and "
               "platform/entries.txt: edit those\n     and run `cmake --build build --target "
               "apigen_update`. -->\n"
               "# The quib API\n\n"
               "All of it on one page, with the C names: [`cheatsheet.md`](cheatsheet.md).\n\n"
               "Every function of `#include <facade.h>`, grouped by family, with its "
               "parameters and what it\ndoes. Each one forwards to one entry of `libdisp` or "
               "`libsound` (right column); the full\ncontract of each entry, with what omitted "
               "arguments and failures mean, is\n[`platform/README.md`](../platform/README.md). "
               "Key, mouse-button and message codes are named in\n`<keys.h>` (`QUIB_KEY_SPACE`, "
               "`QUIB_MOUSE_LEFT`, `QUIB_MSG_KEYDOWN`, ...).\n\n"
               "Types: `unsigned long` for sizes, colours (`0x00RRGGBB`), codes and handles; "
               "`long` for\npositions that may be negative; `mystring` is a 512-byte text value "
               "that converts to\n`char const*`. Calls with plain `int` literals work as "
               "written: `clear(0)` paints black,\n`sound(440, 200)` beeps 200 ms, `drawbmp(b, "
               "0, 0)` draws b at (0, 0), `i2hs(5)` gives \"5\".\n\n";
  for (family const& f : families)
    std::cout << "- [" << f.title << "](#" << anchor(f.title) << ")\n";
  for (family const& f : families) {
    std::cout << "\n## " << f.title << "\n\n";
    for (std::string const& l : f.intro) std::cout << l << "\n";
    std::cout << "\n| Function | Does | Result / on failure | Entry |\n|---|---|---|---|\n";
    for (std::string const& e : f.entries) {
      row const& r = rowof(e);
      doc const& d = docs.at(e);
      std::string result = d.result.empty() && r.ret == "v" ? "—" : d.result;
      for (size_t i = 0; i < d.checks.size(); ++i)
        result += (i ? "; `" : "<br>Checked: `") + d.checks[i] + "`" +
                  (d.windowed[i] ? " (window open)" : "");
      std::string also;
      for (std::string const& a : d.also) also += (also.empty() ? " Also `" : ", `") + a + "`";
      if (!also.empty()) also += ".";
      std::string const cn = cnames.count(e) ? "<br>`" + cnames.at(e) + "`" : "";
      std::cout << "| `" << facaderesult(r.ret) << " " << r.name << "("
                << paramlist(r, facadeparam, false) << ")` | " << cell(d.line) << also << " | "
                << cell(result) << " | `" << e << "`" << cn << " |\n";
    }
  }
}

// ---- The cheatsheet -------------------------------------------------------------------------

// The first clause of a one-liner, for a cheatsheet cell: up to the end of its first
// sentence or the first "; " outside parentheses, without its full stop. Never cut
// further: a row must say what the function does whole ("1 = resizable" included).
std::string fewwords(std::string const& line) {
  std::string s = line;
  int depth = 0;
  for (size_t i = 0; i + 1 < s.size(); ++i) {
    if (s[i] == '(') ++depth;
    if (s[i] == ')' && depth > 0) --depth;
    if (depth == 0 && (s[i] == '.' || s[i] == ';') && s[i + 1] == ' ') {
      s.erase(i);
      break;
    }
  }
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

// The name a C program calls an entry by: its readable name, or an extension's own.
std::string cname(row const& r) { return cnames.count(r.entry) ? cnames.at(r.entry) : r.entry; }

// The key codes of <keys.h> in brief: runs of one-character or numbered names with
// consecutive codes (A..Z, F1..F24, KP_0..KP_9) in one item each.
std::string keysinbrief() {
  auto stem = [](std::string const& n) {
    size_t const i = n.find_last_not_of("0123456789");
    if (i == std::string::npos) return std::string();
    return n.size() == 1 ? std::string() : i + 1 < n.size() ? n.substr(0, i + 1) : n;
  };
  auto next = [&](dsp_key const& a, dsp_key const& b) {
    std::string const x = a.name, y = b.name;
    return b.vk == a.vk + 1 && stem(x) == stem(y) &&
           (x.size() == 1 ? y.size() == 1 : stem(x) != x && stem(y) != y);
  };
  std::vector<std::string> items;
  size_t const n = sizeof dsp_keys / sizeof dsp_keys[0];
  for (size_t i = 0; i < n;) {
    size_t j = i;
    while (j + 1 < n && next(dsp_keys[j], dsp_keys[j + 1])) ++j;
    std::string item = std::string("`") + dsp_keys[i].name + "`";
    std::string code = std::to_string(dsp_keys[i].vk);
    if (j > i) {
      item += "..`" + std::string(dsp_keys[j].name) + "`";
      code += ".." + std::to_string(dsp_keys[j].vk);
    }
    items.push_back(item + " " + code);
    i = j + 1;
  }
  std::string out;
  for (std::string const& it : items) out += (out.empty() ? "" : ", ") + it;
  return out;
}

void cheatsheet() {
  std::cout << "<!-- Generated by tools/apigen from platform/entries.h and "
               "platform/entries.txt: edit those\n     and run `cmake --build build --target "
               "apigen_update`. -->\n"
               "# quib cheatsheet\n\n"
               "Every function on one page, by family: the call in C++ (`#include <facade.h>`), "
               "the same\ncall in C (`<disp.h>`, `<sound.h>`, the same parameters) and what it "
               "does. What each gives\nback and does on failure: [`api.md`](api.md); the full "
               "contract: [`platform/README.md`](../platform/README.md).\nColours are "
               "`0x00RRGGBB` (1 in an outline or fill place: none); `b` is a bitmap, "
               "`h` a sound.\n\n"
               "Errors, C++ only: `lasterror()` and `lasterrortext()` give the most recent "
               "failure of either\nlibrary on this thread (`createbmp: size 0 x 10 is outside "
               "1..16384`); `setlog(fn, user)` takes\nboth libraries' diagnostic lines instead "
               "of stderr.\n\n";
  std::string toc;
  for (family const& f : families)
    toc += (toc.empty() ? "" : " · ") + ("[" + f.title + "](#" + anchor(f.title) + ")");
  std::cout << toc << " · [Key codes](#key-codes)\n";
  for (family const& f : families) {
    std::cout << "\n## " << f.title << "\n\n| C++ | C | Does |\n|---|---|---|\n";
    for (std::string const& e : f.entries) {
      row const& r = rowof(e);
      doc const& d = docs.at(e);
      std::string call = "`" + r.name + "(" + arglist(r) + ")`";
      for (std::string const& a : d.also) call += " or `" + a + "`";
      std::cout << "| " << call << " | `" << cname(r) << "` | " << cell(fewwords(d.line)) << " |\n";
    }
  }
  std::cout << "\n## Key codes\n\n"
               "`QUIB_KEY_` and the name, from `<keys.h>`; a letter is its upper-case "
               "character (`iskey('P')`),\na digit its character. "
            << keysinbrief() << ".\n\nMouse buttons `QUIB_MOUSE_`: ";
  std::string list;
  for (named const& b : buttons)
    list +=
        (list.empty() ? "" : ", ") + ("`" + std::string(b.name) + "` " + std::to_string(b.value));
  std::cout << list << ". Messages `QUIB_MSG_`: ";
  list.clear();
  for (named const& m : messages)
    list += (list.empty() ? "" : ", ") + ("`" + std::string(m.name) + "`");
  std::cout << list << ".\n\nGamepad buttons `QUIB_PAD_`: ";
  list.clear();
  for (named const& b : padbuttons)
    list +=
        (list.empty() ? "" : ", ") + ("`" + std::string(b.name) + "` " + std::to_string(b.value));
  std::cout << list << ". Axes `QUIB_PADAXIS_`: ";
  list.clear();
  for (named const& a : padaxes)
    list +=
        (list.empty() ? "" : ", ") + ("`" + std::string(a.name) + "` " + std::to_string(a.value));
  std::cout << list << ".\n";
  std::cout << "\n## Named modes\n\nAlso from `<keys.h>`, C and C++ alike:";
  for (modegroup const& g : modes) {
    list.clear();
    for (named const& n : g.names)
      list += (list.empty() ? "" : ", ") + ("`QUIB_" + std::string(g.prefix) + n.name + "`");
    std::cout << "\n- " << list;
  }
  std::cout << ".\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(
        stderr,
        "usage: apigen "
        "disp-h|sound-h|facade-h|keys-h|api-md|cheatsheet|readme|probe|names-test|claims-test "
        "ENTRIES_TXT\n");
    return 2;
  }
  loadtable();
  loaddocs(argv[2]);
  makecnames();
  std::string what = argv[1];
  if (what == "disp-h") {
    libheader("disp");
  } else if (what == "sound-h") {
    libheader("sound");
  } else if (what == "facade-h") {
    facadeheader();
  } else if (what == "keys-h") {
    keysheader();
  } else if (what == "api-md") {
    apimd();
  } else if (what == "cheatsheet") {
    cheatsheet();
  } else if (what == "readme") {
    readme(argv[2]);
  } else if (what == "probe") {
    probe();
  } else if (what == "names-test") {
    namestest();
  } else if (what == "claims-test") {
    claimstest();
  } else {
    fail("unknown output " + what);
  }
  return std::cout ? 0 : 1;
}
