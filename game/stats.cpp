// Counters of one run of the program.
#include "game/stats.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

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

void notefurthest() { stats.furthest = std::max(stats.furthest, loop[loopj].num); }

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

void writestats() {
  char const* path = std::getenv("QUIB_STATS");
  if (path == nullptr || *path == '\0') return;
  std::FILE* f = std::fopen(path, "w");
  if (f == nullptr) {
    std::perror(path);
    return;
  }
  std::fprintf(f, "steps %ld\ngames %ld\ndeaths %ld\njumps %ld\nfurthest_loop %d\n", stats.steps,
               stats.games, stats.deaths, stats.jumps, stats.furthest);
  std::fclose(f);
}
