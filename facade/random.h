// Random numbers for course generation, on one 15-bit generator (0..32767 per draw,
// like the classic C runtime's rand), the same on every platform for a given seed.
#pragma once

// One draw of the generator: 0 to 32767.
int rand15();

// Seeds the generator.
void srand15(unsigned int seed);

// The seed given last (by srand15 or randomize): what a recording must name to lay the
// same course again.
unsigned int randseed();

// Makes randomize() use this seed instead of QUIB_SEED or the clock: a replay lays the
// recorded course.
void fixseed(unsigned int seed);

// A number from 0 to n - 1 (n >= 1), built from three draws.
long random(long n);

// Seeds the generator with the calendar time in seconds, or with QUIB_SEED when that
// environment variable holds a number, so a recorded run can be replayed exactly.
void randomize();
