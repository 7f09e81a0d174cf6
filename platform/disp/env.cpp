// The environment switches of libdisp (DISP_HEADLESS, DISP_CLOCK, DISP_KEYS, DISP_QUIT_AT,
// DISP_SHOT, DISP_STATS, DISP_SIZE, DISP_FULLSCREEN, DISP_PAD_SCRIPT), read once at the first
// entry call. A bad value costs one line on stderr and falls back to the default, so a typo
// never stops the game.
#include <cerrno>
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <SDL2/SDL_gamecontroller.h>

#include "platform/disp/internal.h"
#include "platform/disp/keys.h"

dsp_state dsp;

void dsp_warn(char const* fmt, ...) {
  char line[512];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(line, sizeof line, fmt, ap);
  va_end(ap);
  fprintf(stderr, "disp: %s\n", line);
}

std::string dsp_quote(char const* s) {
  if (!s) return "(null)";
  std::string out;
  unsigned char const* p = reinterpret_cast<unsigned char const*>(s);
  size_t taken = 0;
  while (*p) {
    // The length of a well-formed UTF-8 character here, 0 for a stray byte.
    int n = *p < 0x80             ? 1
            : (*p & 0xE0) == 0xC0 ? 2
            : (*p & 0xF0) == 0xE0 ? 3
            : (*p & 0xF8) == 0xF0 ? 4
                                  : 0;
    for (int i = 1; i < n; ++i)
      if ((p[i] & 0xC0) != 0x80) n = 0;
    if (n == 2 && *p < 0xC2) n = 0;  // overlong
    if (taken + std::max(n, 1) > dsp_quotemax) {
      out += "...";
      break;
    }
    if (n == 0 || (n == 1 && (*p < 0x20 || *p == 0x7F))) {
      char hex[5];
      snprintf(hex, sizeof hex, "\\x%02X", *p);
      out += hex;
      ++p, ++taken;
    } else {
      out.append(reinterpret_cast<char const*>(p), size_t(n));
      p += n, taken += size_t(n);
    }
  }
  return out;
}

namespace {

// A time in seconds: a finite number >= 0 and nothing after it.
bool dsp_seconds(char const* s, double& out) {
  errno = 0;
  char* end = nullptr;
  double v = strtod(s, &end);
  if (end == s || *end != '\0' || errno == ERANGE || !std::isfinite(v) || v < 0) return false;
  out = v;
  return true;
}

// A yes/no switch; `def` for an unset variable.
bool dsp_flag(char const* var, bool def) {
  char const* v = getenv(var);
  if (!v) return def;
  static char const* const yes[] = {"1", "yes", "true", "on"};
  static char const* const no[] = {"0", "no", "false", "off", ""};
  for (char const* y : yes)
    if (strcasecmp(v, y) == 0) return true;
  for (char const* n : no)
    if (strcasecmp(v, n) == 0) return false;
  dsp_warn("%s=%s is neither 1 nor 0; using %d", var, dsp_quote(v).c_str(), def ? 1 : 0);
  return def;
}

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

// DISP_KEYS: one "SECONDS KEY" or "SECONDS DROP PATH" per line; '#' starts a comment.
// Only a regular file is read: a device or a FIFO could feed lines without end (or none,
// and block), and a directory has no lines; each is one warning and no script.
void dsp_readkeys(char const* path) {
  std::string const quoted = dsp_quote(path);
  char const* file = quoted.c_str();
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  struct stat st;
  int err = fd < 0 ? errno : fstat(fd, &st) != 0 ? errno : 0;
  if (fd >= 0 && err == 0 && !S_ISREG(st.st_mode)) {
    dsp_warn("DISP_KEYS: %s is not a regular file; no scripted keys", file);
    close(fd);
    return;
  }
  FILE* f = err == 0 ? fdopen(fd, "r") : nullptr;
  if (!f) {
    if (err == 0) err = errno;
    if (fd >= 0) close(fd);
    dsp_warn("DISP_KEYS: cannot read %s: %s; no scripted keys", file, strerror(err));
    return;
  }
  char buf[1024];
  int lineno = 0;
  bool longline = false;
  while (fgets(buf, sizeof buf, f)) {
    size_t len = strlen(buf);
    bool whole = len > 0 && buf[len - 1] == '\n';
    if (longline) {  // the rest of a line already reported
      longline = !whole;
      continue;
    }
    ++lineno;
    if (!whole && !feof(f)) {
      dsp_warn("%s:%d: line too long; skipped", file, lineno);
      longline = true;
      continue;
    }
    if (char* hash = strchr(buf, '#')) *hash = '\0';
    char* save = nullptr;
    char* t1 = strtok_r(buf, " \t\r\n", &save);
    if (!t1) continue;  // blank or comment
    char* t2 = strtok_r(nullptr, " \t\r\n", &save);
    double at = 0;
    bool timeok = dsp_seconds(t1, at);
    if (t2 && strcasecmp(t2, "DROP") == 0) {  // the path is the rest of the line, spaces kept
      std::string path = save ? save : "";
      path.erase(0, path.find_first_not_of(" \t\r\n"));
      path.erase(path.find_last_not_of(" \t\r\n") + 1);
      char const* why = path.empty() ? "the file is missing"
                        : !timeok    ? "the time is not a number of seconds >= 0"
                                     : nullptr;
      if (why)
        dsp_warn("%s:%d: %s (expected \"SECONDS DROP PATH\"); line skipped", file, lineno, why);
      else
        dsp.input.script.push_back({at, 0, path});
      continue;
    }
    char* t3 = t2 ? strtok_r(nullptr, " \t\r\n", &save) : nullptr;
    unsigned vk = t2 ? dsp_keyof(t2) : 0;
    char const* why = !t2       ? "a key is missing"
                      : t3      ? "more than two fields"
                      : !timeok ? "the time is not a number of seconds >= 0"
                      : vk == 0 ? "unknown key"
                                : nullptr;
    if (why) {
      dsp_warn("%s:%d: %s (expected \"SECONDS KEY\"); line skipped", file, lineno, why);
      continue;
    }
    dsp.input.script.push_back({at, vk});
  }
  fclose(f);
}

// ---- DISP_PAD_SCRIPT (gamepads, pad.cpp) ----
// Lines "SECONDS down BUTTON", "SECONDS up BUTTON", "SECONDS unplug", "SECONDS plug"; BUTTON
// is SDL's name of a controller button (a, b, x, y, back, start, dpleft, leftshoulder, ...).
// Only a regular file is read: a device or a pipe could feed it without end.
void dsp_readpads(char const* file) {
  struct stat st;
  errno = 0;
  FILE* f = stat(file, &st) == 0 && S_ISREG(st.st_mode) ? fopen(file, "r") : nullptr;
  if (!f) {
    dsp_warn("DISP_PAD_SCRIPT: cannot read %.200s: %s; no scripted controller", file,
             errno ? strerror(errno) : "not a regular file");
    return;
  }
  dsp_padplan& plan = dsp_padscript();
  plan.given = true;
  char buf[256];
  int lineno = 0;
  while (fgets(buf, sizeof buf, f)) {
    ++lineno;
    if (!strchr(buf, '\n') && !feof(f)) {  // a line too long for any valid one
      dsp_warn("%.200s:%d: line too long; skipped", file, lineno);
      int c;
      while ((c = fgetc(f)) != EOF && c != '\n') {
      }
      continue;
    }
    if (char* hash = strchr(buf, '#')) *hash = '\0';
    char* save = nullptr;
    char* t1 = strtok_r(buf, " \t\r\n", &save);
    if (!t1) continue;
    char* t2 = strtok_r(nullptr, " \t\r\n", &save);
    char* t3 = t2 ? strtok_r(nullptr, " \t\r\n", &save) : nullptr;
    char* t4 = t3 ? strtok_r(nullptr, " \t\r\n", &save) : nullptr;
    dsp_padline l{0, dsp_padline::plug};
    bool press = t2 && (strcasecmp(t2, "down") == 0 || strcasecmp(t2, "up") == 0);
    bool plug = t2 && (strcasecmp(t2, "plug") == 0 || strcasecmp(t2, "unplug") == 0);
    if (press) {
      l.what = strcasecmp(t2, "down") == 0 ? dsp_padline::down : dsp_padline::up;
      l.button = t3 ? SDL_GameControllerGetButtonFromString(t3) : SDL_CONTROLLER_BUTTON_INVALID;
    } else if (plug) {
      l.what = strcasecmp(t2, "plug") == 0 ? dsp_padline::plug : dsp_padline::unplug;
    }
    char const* why = !dsp_seconds(t1, l.at)          ? "the time is not a number of seconds >= 0"
                      : !press && !plug               ? "expected down, up, plug or unplug"
                      : press && !t3                  ? "a button is missing"
                      : press && l.button < 0         ? "unknown button"
                      : (press && t4) || (plug && t3) ? "too many fields"
                                                      : nullptr;
    if (why)
      dsp_warn("%.200s:%d: %s; line skipped", file, lineno, why);
    else
      plan.lines.push_back(l);
  }
  fclose(f);
  // Lines keep their order; one due earlier than the line before it waits for it.
  for (size_t i = 1; i < plan.lines.size(); ++i)
    plan.lines[i].at = std::max(plan.lines[i].at, plan.lines[i - 1].at);
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

// DISP_SIZE: WIDTHxHEIGHT, each 1..16384, nothing else around them.
void dsp_readsize(char const* v) {
  int w = 0, h = 0, used = 0;
  if (sscanf(v, "%5d%*[xX]%5d%n", &w, &h, &used) == 2 && v[used] == '\0' && w >= 1 && h >= 1 &&
      w <= 16384 && h <= 16384 && v[0] >= '0' && v[0] <= '9') {
    dsp.env.sizew = w;
    dsp.env.sizeh = h;
    return;
  }
  dsp_warn("DISP_SIZE=%s is not WIDTHxHEIGHT (each 1..16384); using the canvas's own size", v);
}

void dsp_atexit() {
  if (dsp.stats.on) dsp_writestats();
}

}  // namespace

void dsp_readenv() {
  dsp.clock.epochns = dsp_steadyns();
  dsp.env.headless = dsp_flag("DISP_HEADLESS", false);

  if (char const* c = getenv("DISP_CLOCK")) {
    if (strcasecmp(c, "virtual") == 0)
      dsp.env.virtualclock = true;
    else if (*c && strcasecmp(c, "real") != 0)
      dsp_warn("DISP_CLOCK=%s is neither \"virtual\" nor \"real\"; using the real clock",
               dsp_quote(c).c_str());
  }

  if (char const* q = getenv("DISP_QUIT_AT"); q && *q) {
    if (!dsp_seconds(q, dsp.env.quitat)) {
      dsp_warn("DISP_QUIT_AT=%s is not a number of seconds >= 0; ignored", dsp_quote(q).c_str());
      dsp.env.quitat = -1;
    }
  }

  if (char const* k = getenv("DISP_KEYS"); k && *k) {
    dsp.env.keysfile = k;
    dsp_readkeys(k);
  }

  if (char const* s = getenv("DISP_SHOT"); s && *s) dsp_readshots(s);

  if (char const* p = getenv("DISP_PAD_SCRIPT"); p && *p) dsp_readpads(p);
  if (char const* s = getenv("DISP_SIZE"); s && *s) dsp_readsize(s);
  dsp.env.fullscreen = dsp_flag("DISP_FULLSCREEN", false);

  if (char const* s = getenv("DISP_STATS"); s && *s) {
    dsp.env.statsfile = s;
    dsp.stats.on = true;
    atexit(dsp_atexit);
  }
}
