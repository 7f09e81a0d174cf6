// Run statistics for tests and players' curiosity: written at exit to the file named by
// QUIB_STATS as `name value` lines; nothing is kept or written without it.
#pragma once

void notestep();
void notegame();
void notejump();
void notedeath();

// Writes steps, games, deaths, jumps and furthest_loop to $QUIB_STATS, if set.
void writestats();
