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
extern int w, h;          // window size, logical pixels
extern double framestep;  // simulation steps per second (120)
extern double framedraw;  // frames drawn per second (60)
extern double ftimestep;  // simulation clock, seconds: moves one step at a time
extern double ftimedraw;  // drawing clock, seconds: start of the period of the last frame
extern double ftimeball;  // ftimestep at the ball's last death
extern bool fpsb;         // show the frame-rate overlay; kept across new games

// Course.
extern loopinfo loop[loopslots];  // the ring of the 16 newest loops
extern int loopl;                 // slot of the newest loop
extern int loopj;                 // slot of the loop the ball is on
extern int loopn;                 // loops made this game: the num the next one gets
extern int loopstp;               // loops per level, at least 1
extern int loopci;                // current colour band, 0 to loopcn - 1 (may lie above
                                  // after loopcn is lowered, until the next checkpoint)
extern int loopcn;                // colour bands in a full turn of the hue circle, at least 1
extern int rnd;                   // next loop's radius, then a random bit of its spikes
extern int rndt;                  // next loop's rows of spikes: 0, 1 or 2

// Ball.
extern ballinfo ball;   // the one ball
extern double spd;      // speed: the ball covers 100 * spd pixels a second along its loop
extern double spdmul;   // the player's speed multiplier, applied at each jump
extern double ballexp;  // the dying ball's radius as last drawn; below 0 once shrunk away
extern vector ballp;    // ball centre as last worked out by getballp (the drawing turns it
                        // into window pixels in place, so readers work it out afresh)

// View and chasing line.
extern vector scrp;      // camera: the world point shown at the window's centre
extern double scrrot;    // rotation of the view, radians
extern vector scrloopp;  // drawn position of the newest loop, gliding to its true centre
extern double linep;     // x of the chasing line, world pixels
extern int linec;        // slot of the loop the line last reached: it is drawn in its colour

// Control flags: consumed by the next simulation step (spaceb, initb) or read every step.
extern bool spaceb;  // SPACE was pressed
extern bool initb;   // a new game was asked for (R, or the restart after a death)
extern bool autob;   // auto-play: the game presses SPACE by itself

// Sound handles, set once at start.
extern unsigned int sbg;  // the music
extern unsigned int sj1;  // a switch from the outside to the inside
extern unsigned int sj2;  // a switch from the inside to the outside
extern unsigned int sj3;  // a jump onto another loop
extern unsigned int sj4;  // the ball's death

// Working values of one computation each.
extern double angle;  // an angle during course generation and the contact tests, radians
extern vector loopp;  // the ball's centre on its loop's outside (contact test); one loop's
                      // centre while it is drawn
extern vector rotp;   // the result of the last view transform

// Slot after / before slot i in the ring.
inline int nextslot(int i) { return (i + 1) % loopslots; }
inline int prevslot(int i) { return (i + loopslots - 1) % loopslots; }

// Level of a loop and whether it opens one, under the current loops-per-level.
inline int levelof(loopinfo const& l) { return l.num / loopstp; }
inline bool ischeckpoint(loopinfo const& l) { return l.num % loopstp == 0; }

// The ball's own clock on the loop in slot i: it runs 100/r times the simulation clock,
// so the ball covers the same arc length per second on every loop.
inline double ballclock(int i) { return ftimestep * 100 / loop[i].r; }
