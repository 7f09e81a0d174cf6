// The state record, and the scripts the switches name (DISP_KEYS, DISP_PAD_SCRIPT, the
// DISP_SHOT list) read through one line reader: a bad line costs one line on stderr and is
// skipped, and the rest of the script still plays.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/disp/internal.h"
#include "platform/disp/input/keys.h"

dsp_state dsp;

namespace {

constexpr char dsp_blanks[] = " \t\r\n";

// A key of a script: a name of the key table or a decimal virtual-key code 1..255.
unsigned dsp_keyof(char const* tok) {
  if (unsigned vk = dsp_vkofname(tok)) return vk;
  char* end = nullptr;
  errno = 0;
  long v = strtol(tok, &end, 10);
  if (end != tok && *end == '\0' && errno == 0 && v >= 1 && v <= 255 && tok[0] != '+' &&
      tok[0] != '-')
    return unsigned(v);
  return 0;
}

// "SECONDS DROP PATH": the path is the rest of the line, inner spaces kept.
void dsp_keydrop(char const* file, int lineno, bool timeok, double at, char const* rest) {
  std::string path = rest ? rest : "";
  path.erase(0, path.find_first_not_of(dsp_blanks));
  path.erase(path.find_last_not_of(dsp_blanks) + 1);
  char const* why = path.empty() ? "the file is missing"
                    : !timeok    ? "the time is not a number of seconds >= 0"
                                 : nullptr;
  if (why)
    dsp_warn("%s:%d: %s (expected \"SECONDS DROP PATH\"); line skipped", file, lineno, why);
  else
    dsp.input.script.push_back({at, 0, path});
}

// The text of a TEXT or COMPOSE line: the rest of the line without its outer blanks, \xNN
// giving any byte (a space or '#' to type) and \\ a backslash; false for another escape.
bool dsp_unescape(char const* rest, std::string& out) {
  std::string s = rest ? rest : "";
  s.erase(0, s.find_first_not_of(dsp_blanks));
  s.erase(s.find_last_not_of(dsp_blanks) + 1);
  out.clear();
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\') {
      out += s[i];
    } else if (i + 1 < s.size() && s[i + 1] == '\\') {
      out += '\\';
      ++i;
    } else if (i + 3 < s.size() && s[i + 1] == 'x' && isxdigit((unsigned char)s[i + 2]) &&
               isxdigit((unsigned char)s[i + 3])) {
      out += char(std::stoi(s.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      return false;
    }
  }
  return true;
}

// "SECONDS TEXT TEXT" (text a key press typed) or "SECONDS COMPOSE [TEXT]" (the input
// method's composition so far, the caret at its end; none: the composition ended).
void dsp_keytext(char const* file, int lineno, bool timeok, double at, bool compose,
                 char const* rest) {
  std::string text;
  bool const escapesok = dsp_unescape(rest, text);
  char const* why = !timeok                    ? "the time is not a number of seconds >= 0"
                    : !escapesok               ? "an escape other than \\xNN or \\\\"
                    : text.empty() && !compose ? "the text is missing"
                                               : nullptr;
  if (why) {
    dsp_warn("%s:%d: %s (expected \"SECONDS %s TEXT\"); line skipped", file, lineno, why,
             compose ? "COMPOSE" : "TEXT");
    return;
  }
  std::string buf;
  dsp_scriptkey k{at, 0};
  k.typing = compose ? 2 : 1;
  k.text = dsp_utf8(text.c_str(), buf);  // bytes that are not UTF-8 read as Latin-1
  dsp.input.script.push_back(std::move(k));
}

// One line of the key script: "SECONDS KEY" (a tap), "SECONDS down|up KEY" (a key held
// from one line to another) "SECONDS DROP PATH", or typed
// text: "SECONDS TEXT TEXT", "SECONDS COMPOSE [TEXT]".
void dsp_keyline(char const* file, int lineno, char* text) {
  char* save = nullptr;
  char* t1 = strtok_r(text, dsp_blanks, &save);
  char* t2 = strtok_r(nullptr, dsp_blanks, &save);
  double at = 0;
  bool const timeok = dsp_seconds(t1, at);
  if (t2 && strcasecmp(t2, "DROP") == 0) return dsp_keydrop(file, lineno, timeok, at, save);
  if (t2 && (strcasecmp(t2, "TEXT") == 0 || strcasecmp(t2, "COMPOSE") == 0))
    return dsp_keytext(file, lineno, timeok, at, strcasecmp(t2, "COMPOSE") == 0, save);
  char* t3 = t2 ? strtok_r(nullptr, dsp_blanks, &save) : nullptr;
  // "down" and "up" are key names too: only a third field makes them a hold or a release.
  int const hold = !t3 ? 0 : strcasecmp(t2, "down") == 0 ? 1 : strcasecmp(t2, "up") == 0 ? -1 : 0;
  char* t4 = t3 ? strtok_r(nullptr, dsp_blanks, &save) : nullptr;
  unsigned const vk = hold ? dsp_keyof(t3) : t2 ? dsp_keyof(t2) : 0;
  char const* why = !t2                   ? "a key is missing"
                    : (t3 && !hold) || t4 ? "more than two fields"
                    : !timeok             ? "the time is not a number of seconds >= 0"
                    : vk == 0             ? "unknown key"
                                          : nullptr;
  if (why)
    dsp_warn("%s:%d: %s (expected \"SECONDS KEY\" or \"SECONDS down|up KEY\"); line skipped", file,
             lineno, why);
  else
    dsp.input.script.push_back({at, vk, {}, hold});
}

}  // namespace

// Only a regular file is read: a device or a FIFO could feed lines without end (or none,
// and block), and a directory has no lines; each is one warning and no script. The open
// itself does not wait for a FIFO's writer.
bool dsp_readscript(char const* who, char const* path, size_t longest, char const* without,
                    dsp_linefn take, void* arg) {
  std::string const quoted = dsp_quote(path);
  char const* file = quoted.c_str();
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  struct stat st;
  int err = fd < 0 ? errno : fstat(fd, &st) != 0 ? errno : 0;
  if (fd >= 0 && err == 0 && !S_ISREG(st.st_mode)) {
    dsp_warn("%s: cannot read %s: not a regular file; %s", who, file, without);
    close(fd);
    return false;
  }
  FILE* f = err == 0 ? fdopen(fd, "r") : nullptr;
  if (!f) {
    if (err == 0) err = errno;
    if (fd >= 0) close(fd);
    dsp_warn("%s: cannot read %s: %s; %s", who, file, strerror(err), without);
    return false;
  }
  std::string line;
  int lineno = 0;
  for (int c = 0; c != EOF;) {
    line.clear();
    bool toolong = false;
    while ((c = getc(f)) != EOF && c != '\n') {
      if (line.size() < longest)
        line.push_back(char(c));
      else
        toolong = true;
    }
    if (c == EOF && line.empty() && !toolong) break;
    ++lineno;
    if (toolong) {
      dsp_warn("%s:%d: line too long; skipped", file, lineno);
      continue;
    }
    line.resize(strnlen(line.c_str(), line.size()));  // a zero byte ends the line
    if (size_t hash = line.find('#'); hash != std::string::npos) line.resize(hash);
    if (line.find_first_not_of(dsp_blanks) == std::string::npos) continue;  // blank or comment
    take(arg, file, lineno, line.data());
  }
  fclose(f);
  return true;
}

void dsp_readkeys(char const* path) {
  dsp_readscript(
      "DISP_KEYS", path, 1022, "no scripted keys",
      [](void*, char const* file, int lineno, char* text) { dsp_keyline(file, lineno, text); },
      nullptr);
}

// DISP_SHOT: SECONDS:FILE.png items separated by commas.
void dsp_readshots(char const* list) {
  std::string all(list);
  size_t pos = 0;
  while (pos <= all.size()) {
    size_t comma = all.find(',', pos);
    if (comma == std::string::npos) comma = all.size();
    std::string item = all.substr(pos, comma - pos);
    pos = comma + 1;
    if (item.empty()) continue;
    size_t colon = item.find(':');
    double at = 0;
    if (colon == std::string::npos || colon + 1 == item.size() ||
        !dsp_seconds(item.substr(0, colon).c_str(), at)) {
      dsp_warn("DISP_SHOT: cannot read \"%s\" (expected SECONDS:FILE.png); skipped",
               dsp_quote(item).c_str());
      continue;
    }
    dsp.shots.push_back({at, item.substr(colon + 1), false});
  }
}
