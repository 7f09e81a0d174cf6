// The whole state of the game: plain globals and three record types, shared by the
// game rules, the drawing and the sound cues. Nothing here is ever allocated or freed.
#pragma once

struct vector {
  double x;
  double y;
};

// One circle of the course.
struct loopinfo {
  bool live;        // the ring slot holds a loop
  double x, y;      // centre, world pixels
  double r;         // radius, pixels
  int color;        // display colour 0x00RRGGBB
  int num;          // sequence number within the game, from 0
  int tric;         // spike count; zero or less means none
  double tria[12];  // spike angles, radians (orbit convention)
  int tris[12];     // spike sides: +1 inside, -1 outside
};

struct ballinfo {
  bool live;
  double phase;  // ball-clock value from which the orbit angle is measured
  double stamp;  // ball-clock value of the last start, jump or death
  double r;      // always 6
  int side;      // +1 inside its loop, -1 outside
  int dir;       // +1 or -1, flips at every jump
};

constexpr int loopslots = 16;

// Window and clocks.
extern int w, h;
extern double framestep, framedraw;
extern double ftimestep, ftimedraw, ftimeball;
extern bool fpsb;

// Course.
extern loopinfo loop[loopslots];
extern int loopl, loopj, loopn, loopstp, loopci, loopcn;
extern int rnd, rndt;

// Ball.
extern ballinfo ball;
extern double spd, spdmul, ballexp;
extern vector ballp;

// View and chasing line.
extern vector scrp;
extern double scrrot;
extern vector scrloopp;
extern double linep;
extern int linec;

// Control flags.
extern bool spaceb, initb, autob;

// Sound handles, set once at start.
extern unsigned int sbg, sj1, sj2, sj3, sj4;

// Working values of one computation each.
extern double angle;
extern vector loopp, rotp;

// Slot after / before slot i in the ring.
inline int nextslot(int i) { return (i + 1) % loopslots; }
inline int prevslot(int i) { return (i + loopslots - 1) % loopslots; }

// Level of a loop and whether it opens one, under the current loops-per-level.
inline int levelof(loopinfo const& l) { return l.num / loopstp; }
inline bool ischeckpoint(loopinfo const& l) { return l.num % loopstp == 0; }

// The ball's own clock on the loop in slot i: it runs 100/r times the simulation clock,
// so the ball covers the same arc length per second on every loop.
inline double ballclock(int i) { return ftimestep * 100 / loop[i].r; }
