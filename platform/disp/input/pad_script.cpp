// The scripted pads of DISP_PAD_SCRIPT: up to 16 pads, numbered by the script, plugged in
// when the window opens and driven line by line on the library's clock (buttons, sticks,
// triggers, unplugging). No SDL: a headless run with a script stays free of it.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <strings.h>

#include "platform/disp/input/pad.h"
#include "platform/disp/input/padnames.h"
#include "platform/disp/internal.h"

namespace {

constexpr int dsp_scriptmax = 16;  // scripted pads 0..15

// A line: at `at` seconds, pad `pad` is plugged in or out, or a button goes down or up, or
// an axis takes a value.
struct dsp_padline {
  enum kind { down, up, plug, unplug, axis };
  double at = 0;
  int pad = 0;
  kind what = plug;
  int number = 0;  // the button (down, up) or axis (axis)
  double value = 0;
};

struct dsp_scriptpad {
  bool named = false;  // the script speaks of it: it is plugged in when the window opens
  bool plugged = false;
  double axes[dsp_padaxes + 1] = {};
};

struct {
  bool given = false;             // DISP_PAD_SCRIPT named a readable file
  std::deque<dsp_padline> lines;  // still to play; a line played is gone, also for a later window
  dsp_scriptpad pads[dsp_scriptmax];
} dsp_script;

constexpr char dsp_blanks[] = " \t\r\n";

int dsp_wordof(char const* w, char const* const* words, int n) {
  for (int i = 0; i < n; ++i)
    if (strcasecmp(w, words[i]) == 0) return i + 1;
  return 0;
}

#define QUIB_WORD(name, word, n) word,
char const* const dsp_buttonwords[] = {QUIB_PAD_BUTTONS(QUIB_WORD)};
char const* const dsp_axiswords[] = {QUIB_PAD_AXES(QUIB_WORD)};
#undef QUIB_WORD

// A pad: a whole decimal number 0..15. An axis's value: a finite number, nothing after it.
bool dsp_padnumber(char const* s, int& out) {
  if (!s || !*s || strspn(s, "0123456789") != strlen(s) || strlen(s) > 2) return false;
  out = atoi(s);
  return out < dsp_scriptmax;
}
bool dsp_value(char const* s, double& out) {
  if (!s) return false;
  char* end = nullptr;
  errno = 0;
  out = strtod(s, &end);
  return end != s && *end == '\0' && errno == 0 && std::isfinite(out);
}

// "SECONDS [PAD] down|up BUTTON", "SECONDS [PAD] plug|unplug", "SECONDS [PAD] axis AXIS
// VALUE"; PAD is 0 when left out.
char const* dsp_padparse(char* text, dsp_padline& l) {
  char* save = nullptr;
  char* t[6] = {};
  int n = 0;
  for (char* w = strtok_r(text, dsp_blanks, &save); w && n < 6;
       w = strtok_r(nullptr, dsp_blanks, &save))
    t[n++] = w;
  if (!dsp_seconds(t[0], l.at)) return "the time is not a number of seconds >= 0";
  int at = 1;
  if (t[1] && strspn(t[1], "0123456789") == strlen(t[1])) {
    if (!dsp_padnumber(t[1], l.pad)) return "the pad is not a number 0..15";
    at = 2;
  }
  char const* word = t[at];
  static char const* const kinds[] = {"down", "up", "plug", "unplug", "axis"};
  int const kind = word ? dsp_wordof(word, kinds, 5) : 0;
  if (kind == 0) return "expected down, up, plug, unplug or axis";
  l.what = dsp_padline::kind(kind - 1);
  int const fields = at + (l.what == dsp_padline::axis ? 3 : l.what <= dsp_padline::up ? 2 : 1);
  if (l.what <= dsp_padline::up) {
    if (!t[at + 1]) return "a button is missing";
    if ((l.number = dsp_wordof(t[at + 1], dsp_buttonwords, dsp_padbuttons)) == 0)
      return "unknown button";
  } else if (l.what == dsp_padline::axis) {
    if (!t[at + 1] || !t[at + 2]) return "an axis or its value is missing";
    if ((l.number = dsp_wordof(t[at + 1], dsp_axiswords, dsp_padaxes)) == 0) return "unknown axis";
    bool const trigger = l.number >= 5;  // axes 5 and 6 rest at 0
    if (!dsp_value(t[at + 2], l.value) || l.value > 1 || l.value < (trigger ? 0 : -1))
      return trigger ? "a trigger's value is a number 0..1" : "a stick's value is a number -1..1";
  }
  if (n > fields) return "too many fields";
  return nullptr;
}

void dsp_padscriptline(char const* file, int lineno, char* text) {
  dsp_padline l;
  if (char const* why = dsp_padparse(text, l)) {
    dsp_warn("%s:%d: %s; line skipped", file, lineno, why);
    return;
  }
  dsp_script.pads[l.pad].named = true;
  dsp_script.lines.push_back(l);
}

std::string dsp_scriptname(int n) { return "scripted pad " + std::to_string(n); }

void dsp_scriptplug(int n) {
  dsp_scriptpad& p = dsp_script.pads[n];
  if (p.plugged) return;
  p = {true, true, {}};  // a fresh pad: sticks centred, triggers at rest
  dsp_padarrived(&dsp_scriptpads, n, dsp_scriptname(n));
}

void dsp_scriptunplug(int n) {
  if (!dsp_script.pads[n].plugged) return;
  dsp_script.pads[n].plugged = false;
  dsp_padleft(&dsp_scriptpads, n);
}

void dsp_scriptapply(dsp_padline const& l) {
  dsp_scriptpad& p = dsp_script.pads[l.pad];
  switch (l.what) {
    case dsp_padline::plug:
      return dsp_scriptplug(l.pad);
    case dsp_padline::unplug:
      return dsp_scriptunplug(l.pad);
    case dsp_padline::down:
    case dsp_padline::up:
      return dsp_padpress(&dsp_scriptpads, l.pad, l.number, l.what == dsp_padline::down);
    case dsp_padline::axis:
      if (p.plugged) p.axes[l.number] = l.value;
      return;
  }
}

// Every pad the script speaks of (pad 0 always) is plugged in, in order.
bool dsp_scriptopen() {
  if (!dsp_script.given) return false;
  dsp_script.pads[0].named = true;
  for (int n = 0; n < dsp_scriptmax; ++n)
    if (dsp_script.pads[n].named) dsp_scriptplug(n);
  return true;
}

void dsp_scriptclose() {
  for (dsp_scriptpad& p : dsp_script.pads) p.plugged = false;
}

void dsp_scriptpump() {
  auto& lines = dsp_script.lines;
  if (lines.empty()) return;
  double const now = dsp_now();
  while (!lines.empty() && lines.front().at <= now) {
    dsp_scriptapply(lines.front());
    lines.pop_front();
  }
}

double dsp_scriptdue() { return dsp_script.lines.empty() ? HUGE_VAL : dsp_script.lines.front().at; }

double dsp_scriptaxis(int dev, int axis) {
  return dev >= 0 && dev < dsp_scriptmax ? dsp_script.pads[dev].axes[axis] : 0;
}

}  // namespace

dsp_paddriver const dsp_scriptpads = {
    "script",
    dsp_scriptopen,
    dsp_scriptclose,
    dsp_scriptpump,
    dsp_scriptdue,
    dsp_scriptaxis,
    [](int, double, double, unsigned) { return false; },  // no motors
};

bool dsp_padscripted() { return dsp_script.given; }

void dsp_readpads(char const* path) {
  bool const read = dsp_readscript(
      "DISP_PAD_SCRIPT", path, 254, "no scripted controller",
      [](void*, char const* file, int lineno, char* text) {
        dsp_padscriptline(file, lineno, text);
      },
      nullptr);
  if (!read) return;
  dsp_script.given = true;
  // Lines keep their order; one due earlier than the line before it waits for it.
  auto& lines = dsp_script.lines;
  for (size_t i = 1; i < lines.size(); ++i) lines[i].at = std::max(lines[i].at, lines[i - 1].at);
}
