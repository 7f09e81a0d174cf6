// Record and replay. The rules depend on nothing but the seed, the steps and when keys and
// frames came between them (a frame sets the dying ball's radius, which the restart reads),
// so the recording keeps exactly those, and the replay runs its own loop that hands them
// over at the same steps. Recordings are untrusted input: read twice, checked first.
#include "game/replay.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "facade/facade.h"
#include "game/cli.h"
#include "game/loop.h"
#include "game/state.h"
#include "game/stats.h"
#include "render/scene.h"
#include "sound/cues.h"

namespace {

constexpr char magic[] = "quib-replay";
constexpr int formatversion = 1;
constexpr int maxline = 100;                    // longer lines are damage
constexpr long long maxstep = 1000000000000LL;  // 10^12 steps: 264 years of play
constexpr double maxclock = 1e6;                // the clock reads seconds since start-up

struct keyname {
  gamekey key;
  char const* name;
};
// The display library's names for the same keys, so recordings read like key scripts.
constexpr keyname keynames[] = {{key_space, "SPACE"},
                                {key_right, "RIGHT"},
                                {key_left, "LEFT"},
                                {key_up, "UP"},
                                {key_down, "DOWN"},
                                {key_numplus, "KP_PLUS"},
                                {key_numminus, "KP_MINUS"},
                                {key_home, "HOME"},
                                {key_end, "END"},
                                {key_r, "R"},
                                {key_f9, "F9"},
                                {key_f12, "F12"},
                                {key_esc, "ESC"}};

char const* nameof(gamekey k) {
  for (keyname const& n : keynames) {
    if (n.key == k) return n.name;
  }
  return "?";
}

enum class kind { key, frame, end };

struct event {
  long long step = 0;
  kind what = kind::end;
  gamekey key = key_space;
};

// Reads a recording line by line, checking each; `error` says what is wrong and where.
struct reader {
  std::FILE* f = nullptr;
  long line = 0;
  long long last = 0;  // step of the event before
  bool ended = false;  // the end line was read
  std::string error;

  ~reader() {
    if (f != nullptr) std::fclose(f);
  }

  bool bad(std::string const& why) {
    if (error.empty()) error = "line " + std::to_string(line) + ": " + why;
    return false;
  }

  // The next line that is neither blank nor a comment, split at spaces; false at the end
  // of the file (`error` set if the file is damaged there).
  bool fields(char* buf, char* word[3], int& n) {
    for (;;) {
      int len = 0, c = 0;
      ++line;
      while ((c = std::getc(f)) != EOF && c != '\n') {
        if (c == '\0' || len == maxline) return bad("not a line of a recording");
        buf[len++] = static_cast<char>(c);
      }
      buf[len] = '\0';
      if (c == EOF) {
        if (std::ferror(f)) return bad(std::strerror(errno));
        // A last line without its newline was cut off while being written: not used.
        if (len > 0) --line;
        return false;
      }
      char const* first = buf + std::strspn(buf, " \t\r");
      if (*first == '\0' || *first == '#') continue;
      n = 0;
      for (char* p = std::strtok(buf, " \t\r"); p != nullptr; p = std::strtok(nullptr, " \t\r")) {
        if (n == 3) return bad("too many fields");
        word[n++] = p;
      }
      return true;
    }
  }

  static bool number(char const* s, long long max, long long& v) {
    if (*s == '\0' || std::strlen(s) > 13) return false;
    v = 0;
    for (; *s != '\0'; ++s) {
      if (*s < '0' || *s > '9') return false;
      v = v * 10 + (*s - '0');
    }
    return v <= max;
  }

  bool header(unsigned& seed, double& clock) {
    char buf[maxline + 1];
    char* w[3];
    int n = 0;
    long long v = 0;
    if (!fields(buf, w, n) || n != 2 || std::strcmp(w[0], magic) != 0) {
      return bad("not a quib recording (no \"quib-replay 1\" line)");
    }
    if (!number(w[1], 1000000, v)) return bad("format version is not a number");
    if (v != formatversion) {
      return bad("format " + std::to_string(v) + "; this quib reads format " +
                 std::to_string(formatversion));
    }
    if (!fields(buf, w, n) || n != 2 || std::strcmp(w[0], "seed") != 0) {
      return bad("no \"seed N\" line");
    }
    if (!number(w[1], 0xFFFFFFFFLL, v)) return bad("seed is not a number from 0 to 4294967295");
    seed = static_cast<unsigned>(v);
    if (!fields(buf, w, n) || n != 2 || std::strcmp(w[0], "clock") != 0) {
      return bad("no \"clock SECONDS\" line");
    }
    char* end = nullptr;
    clock = std::strtod(w[1], &end);
    if (*end != '\0' || !std::isfinite(clock) || clock < 0 || clock > maxclock) {
      return bad("clock is not a number of seconds from 0 to 1e6");
    }
    return true;
  }

  // The next event; false at the end of the recording or on damage (`error` set).
  bool next(event& e) {
    char buf[maxline + 1];
    char* w[3];
    int n = 0;
    if (!fields(buf, w, n)) return false;
    if (ended) return bad("more after the end line");
    if (n != 2) return bad("expected \"STEP EVENT\"");
    if (!number(w[0], maxstep, e.step)) return bad("step is not a number from 0 to 10^12");
    if (e.step < last) {
      return bad("step " + std::to_string(e.step) + " comes after step " + std::to_string(last));
    }
    last = e.step;
    if (std::strcmp(w[1], "frame") == 0) {
      e.what = kind::frame;
    } else if (std::strcmp(w[1], "end") == 0) {
      e.what = kind::end;
      ended = true;
    } else {
      e.what = kind::key;
      bool known = false;
      for (keyname const& k : keynames) {
        if (std::strcmp(w[1], k.name) == 0) {
          e.key = k.key;
          known = true;
        }
      }
      if (!known) return bad("unknown event " + quoted(w[1], 20));
    }
    return true;
  }
};

// Opens a recording for reading and reads its header; "" or the reason it cannot be read.
std::string openrecording(reader& r, char const* path, unsigned& seed, double& clock) {
  struct stat st {};
  if (stat(path, &st) != 0) return std::strerror(errno);
  // A FIFO or a device would block or never end.
  if (!S_ISREG(st.st_mode)) return "not a regular file";
  r.f = std::fopen(path, "r");
  if (r.f == nullptr) return std::strerror(errno);
  if (!r.header(seed, clock)) return r.error;
  return "";
}

// Recording.
std::FILE* recfile = nullptr;

void endrecord() {
  if (recfile == nullptr) return;
  std::fprintf(recfile, "%ld end\n", stepsrun());
  std::fclose(recfile);
  recfile = nullptr;
}

// Replay.
bool replaying = false;
reader play;
event pending;
bool havepending = false;
bool finished = false;
bool failed = false;
bool closedbyrecording = false;
unsigned recseed = 0;
double recclock = 0;
double pace = 0;  // the replay's own pacing clock: 120 steps a second, like the game

void advance() {
  havepending = play.next(pending);
  if (!play.error.empty()) {
    std::fprintf(stderr, "quib: the recording went bad while playing: %s\n", play.error.c_str());
    failed = true;
    finished = true;
  }
}

// Hands over what the recording holds before the next step, then runs that step; false
// once the recording is played out.
bool replaystep() {
  while (!finished && havepending && pending.step == stepsrun()) {
    switch (pending.what) {
      case kind::key:
        if (pending.key == key_esc) closedbyrecording = true;
        actkey(pending.key);
        break;
      case kind::frame:
        drawall();
        break;
      case kind::end:
        finished = true;
        break;
    }
    if (!finished) advance();
  }
  // A recording cut short (no end line) ends with its last event.
  if (!havepending) finished = true;
  if (finished) return false;
  step();
  ftimestep += 1 / framestep;
  return true;
}

// One pass of the replay's loop: the main loop's pass, with the recording in place of
// the player's keys and of the drawing clock.
bool replaypass() {
  if (isquitasked()) closewin();
  if (finished || !iswin()) return false;
  setaudioloop(82.33, 27.49);
  if (isnextmsg()) {
    // The player's own keys would change the run; Esc still quits.
    if (iskey(key_esc)) closewin();
  } else {
    delay(1);
  }
  while (gettimer() > pace + 1 / framestep) {
    pace += 1 / framestep;
    if (!replaystep()) break;
  }
  return true;
}

void lastframe() {
  char const* path = std::getenv("QUIB_LASTFRAME");
  if (path == nullptr || *path == '\0') return;
  if (bitmap* b = getwin(); b != nullptr) savebmp(b, path);
}

}  // namespace

std::string checkrecording(char const* path, bool* ended) {
  reader r;
  unsigned seed = 0;
  double clock = 0;
  std::string why = openrecording(r, path, seed, clock);
  if (!why.empty()) return why;
  event e;
  while (r.next(e)) {
  }
  if (ended != nullptr) *ended = r.ended;
  return r.error;
}

bool startrecord(char const* path) {
  struct stat st {};
  char const* why = nullptr;
  if (stat(path, &st) == 0 && !S_ISREG(st.st_mode)) {
    why = "not a regular file";
  } else if ((recfile = std::fopen(path, "w")) == nullptr) {
    why = std::strerror(errno);
  }
  if (why != nullptr) {
    std::fprintf(stderr, "quib: cannot record into %s: %s\n", quoted(path).c_str(), why);
    return false;
  }
  std::atexit(endrecord);
  return true;
}

bool startreplay(char const* path) {
  bool ended = false;
  std::string why = checkrecording(path, &ended);
  if (why.empty()) why = openrecording(play, path, recseed, recclock);
  if (!why.empty()) {
    std::fprintf(stderr, "quib: cannot replay %s: %s\n", quoted(path).c_str(), why.c_str());
    return false;
  }
  if (!ended) {
    std::fprintf(stderr,
                 "quib: %s has no end line (the run was cut short); replaying what it holds\n",
                 quoted(path).c_str());
  }
  replaying = true;
  fixseed(recseed);
  advance();
  return !failed;
}

void initreplay() {
  if (recfile != nullptr) {
    std::fprintf(recfile,
                 "%s %d\n# made by quib %s; lines after the clock: STEP KEY, STEP frame, STEP "
                 "end\nseed %u\nclock %a\n",
                 magic, formatversion, QUIB_VERSION, randseed(), ftimestep);
    std::fflush(recfile);
  }
  if (replaying) {
    ftimestep = recclock;
    pace = gettimer();
  }
}

void onkey(gamekey k) {
  if (recfile != nullptr) {
    std::fprintf(recfile, "%ld %s\n", stepsrun(), nameof(k));
    std::fflush(recfile);
  }
  if (k == key_esc) lastframe();
}

void noteframe() {
  if (recfile == nullptr) return;
  std::fprintf(recfile, "%ld frame\n", stepsrun());
  std::fflush(recfile);
}

int runreplay() {
  while (replaypass()) {
  }
  // A recorded Esc closed the window; the recorded run still finished that pass's steps.
  // A signal still ends it, should a recording claim a great many steps after its Esc.
  if (closedbyrecording) {
    while (!isquitasked() && replaystep()) {
    }
  }
  closewin();
  return failed ? 2 : 0;
}
