// Record and replay. The rules depend on nothing but the seed, the steps and when keys and
// frames came between them (a frame sets the dying ball's radius, which the restart reads),
// so the recording keeps exactly those, and the replay goes through the main loop's own
// pass(), which takes them from here at the same steps. Recordings are untrusted input:
// read twice, checked first.
#include "game/replay.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "facade/facade.h"
#include "game/cli.h"
#include "game/loop.h"
#include "game/outfile.h"
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
// The game draws a frame whenever one is due after its steps, so a run never goes more
// than a few steps without one; only a stall between the two clock readings of one pass
// could stretch that. A minute of steps without a frame cannot follow from a real run:
// such a recording (say an end line 10^12 steps after its last event) is damage, and would
// otherwise keep the replay busy for days.
constexpr long long maxunframed = 120 * 60;

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
  long long last = 0;   // step of the event before
  long long drawn = 0;  // step of the last frame, or the start
  bool ended = false;   // the end line was read
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
    if (e.step - drawn > maxunframed) {
      return bad("step " + std::to_string(e.step) + " comes more than " +
                 std::to_string(maxunframed) + " steps after the last frame (step " +
                 std::to_string(drawn) + ")");
    }
    if (std::strcmp(w[1], "frame") == 0) {
      e.what = kind::frame;
      drawn = e.step;
    } else if (std::strcmp(w[1], "end") == 0) {
      e.what = kind::end;
      ended = true;
    } else {
      e.what = kind::key;
      if (!keyfromname(w[1], e.key)) return bad("unknown event " + quoted(w[1], 20));
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

// Recording. Every line is flushed, so a run cut short by a crash keeps what it had; the
// first write that fails is said once, and the rest of the recording is dropped.
std::FILE* recfile = nullptr;
char const* recpath = nullptr;
bool recordlost = false;

void recordline(char const* fmt, ...) __attribute__((format(printf, 1, 2)));
void recordline(char const* fmt, ...) {
  if (recfile == nullptr) return;
  va_list args;
  va_start(args, fmt);
  bool ok = std::vfprintf(recfile, fmt, args) >= 0 && std::fflush(recfile) == 0;
  va_end(args);
  if (ok) return;
  outputfailed("the recording", recpath, std::strerror(errno));
  recordlost = true;
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
  std::string why;
  recfile = openoutput(path, why);
  if (recfile == nullptr) {
    std::fprintf(stderr, "quib: cannot record into %s: %s\n", quoted(path).c_str(), why.c_str());
    return false;
  }
  recpath = path;
  std::atexit([] { finishrecord(); });
  return true;
}

bool finishrecord() {
  if (recfile != nullptr) {
    recordline("%ld end\n", stepsrun());
    if (recfile != nullptr && !closeoutput(recfile, "the recording", recpath)) recordlost = true;
    recfile = nullptr;
  }
  return !recordlost;
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

void stopreplay() {
  if (play.f != nullptr) std::fclose(play.f);
  play = reader{};
  replaying = havepending = finished = failed = closedbyrecording = false;
}

void initreplay() {
  recordline(
      "%s %d\n# made by quib %s; lines after the clock: STEP KEY, STEP frame, STEP "
      "end\nseed %u\nclock %a\n",
      magic, formatversion, QUIB_VERSION, randseed(), ftimestep);
  if (replaying) {
    ftimestep = recclock;
    pace = gettimer();
  }
}

void onkey(gamekey k) {
  char const* name = keyname(k);
  recordline("%ld %s\n", stepsrun(), name != nullptr ? name : "?");
}

void noteframe() { recordline("%ld frame\n", stepsrun()); }

bool isreplaying() { return replaying; }

bool isplayedout() { return finished; }

bool isreplaystepdue() {
  if (!(gettimer() > pace + 1 / framestep)) return false;
  pace += 1 / framestep;
  return true;
}

bool feedreplay() {
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
  return !finished;
}

int runreplay() {
  while (pass()) {
  }
  // A recorded Esc closed the window; the recorded run still finished that pass's steps,
  // and the recording cannot claim more of them than a minute's worth.
  if (closedbyrecording) {
    while (!isquitasked() && feedreplay()) runstep();
  }
  closewin();
  return failed ? 2 : 0;
}
