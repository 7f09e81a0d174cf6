// Course generation: the first loop of a game and every loop after it, with its radius,
// colour band and spikes, laid into the 16-slot ring one loop ahead of the ball.
#pragma once

// Empties the ring, lays loop 0 at (0, 0) in slot 1 and restarts the music at level 0.
void initloop();

// Chooses radius and spike rows of the next loop from its number and level, and adds it
// touching the newest loop on its right.
void addloop();

// Puts a loop of centre (x, y), radius r and `rows` spike rows into the next ring slot.
void addloop(double x, double y, double r, long rows);
