// The checking mode (QUIB_CHECK=1): after every simulation step the game's invariants are
// verified; each violation is printed with its step and counted, and the run exits 3.
#pragma once

#include <cstdio>

// True when QUIB_CHECK asks for the checks (read once).
bool ischecking();

// Verifies the state after one step; called at the end of every step, does nothing
// unless checking. Every game-hour of steps it also samples the peak memory.
void checkstep();

// Verifies the state now, whatever QUIB_CHECK says; returns the number of violations
// found (each printed unless too many lines were printed already).
int checkstate();

// Violations counted so far.
long checkfailures();

// `violations N` and the peak memory per game-hour, `peak_rss_kb_hour_H KB`, for the
// statistics file; nothing unless checking.
void writechecks(std::FILE* f);
