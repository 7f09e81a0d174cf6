// Random numbers for course generation, on the C runtime's generator.
#pragma once

// A number from 0 to n - 1 (n >= 1), built from three rand() calls.
long random(long n);

// Seeds the generator with the calendar time in seconds, or with QUIB_SEED when that
// environment variable holds a number, so a recorded run can be replayed exactly.
void randomize();
