// World-to-window transform and the two shapes a loop is made of: a spike and the
// loop's circle, both greyed wherever the chasing line has passed them.
#pragma once

struct vector;

constexpr long grey = 0x808080;

// Turns the world point (x, y) into window pixels in place; also leaves it in `rotp`.
void rotate(double& x, double& y);
void rotate(vector& p);

// One spike of the loop of integer centre (cx, cy) and radius r at angle t; `outline`
// goes to the triangle's outline place (1: none); side +1 points inward, -1 outward.
void drawtri(long cx, long cy, long r, double t, long outline, long color, long side);

// The circle of world centre x and radius r, drawn at the window point `loopp`: in
// colour right of the line, grey left of it, split into two arcs where the line cuts it.
void drawcircle(double x, double y, double r, long color);
