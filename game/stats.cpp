// Counters of one run of the program, and the ways out that must still write them.
#include "game/stats.h"

#include <signal.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/check.h"
#include "game/config.h"
#include "game/outfile.h"
#include "game/state.h"

namespace {

struct runstats {
  long steps;
  long games;
  long deaths;
  long jumps;
  int furthest;  // highest loop number the ball has been on
};
runstats stats;

volatile std::sig_atomic_t quitasked = 0;

void notefurthest() { stats.furthest = std::max(stats.furthest, loop[loopj].num); }

void onquit(int) { quitasked = 1; }

}  // namespace

void notestep() { ++stats.steps; }
void notegame() {
  ++stats.games;
  notefurthest();
}
void notejump() {
  ++stats.jumps;
  notefurthest();
}
void notedeath() { ++stats.deaths; }

void resetstats() { stats = {}; }

long stepsrun() { return stats.steps; }

bool writestats() {
  // Once: main() writes them to learn whether they were written, and the exit handler
  // covers the ways out that never come back to main().
  static bool done = false;
  char const* path = settings().stats;
  if (done || path == nullptr) return true;
  done = true;
  std::string why;
  std::FILE* f = openoutput(path, why);
  if (f == nullptr) {
    outputfailed("the statistics", path, why.c_str());
    return false;
  }
  std::fprintf(f, "steps %ld\ngames %ld\ndeaths %ld\njumps %ld\nfurthest_loop %d\n", stats.steps,
               stats.games, stats.deaths, stats.jumps, stats.furthest);
  writechecks(f);
  return closeoutput(f, "the statistics", path);
}

void writestatsatexit() {
  static bool registered = false;
  if (!registered) std::atexit([] { writestats(); });
  registered = true;
}

void catchquit() {
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    struct sigaction old {};
    // Only where the signal would still kill us: SDL's own handlers (a window's quit
    // message) and a parent's "ignore" (nohup) stay as they are.
    if (sigaction(sig, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) continue;
    struct sigaction sa {};
    sa.sa_handler = onquit;
    // A second signal finds the default again and ends a game that no longer listens.
    sa.sa_flags = SA_RESTART | SA_RESETHAND;
    sigemptyset(&sa.sa_mask);
    sigaction(sig, &sa, nullptr);
  }
}

bool isquitasked() { return quitasked != 0; }
