// The ball: where it is, the three tests its life depends on (spikes, other loops, the
// chasing line) and what changes it: a new ball, SPACE, a jump, death and auto-play.
#pragma once

void initball();
void getballp();      // ballp = the ball's centre, world pixels
bool istri(long i);   // spike i of the ball's loop hits the ball
bool istri();         // some spike of the ball's loop hits the ball
bool isloop(long i);  // the ball touches the loop in slot i
long isloop();        // lowest touched slot, or -1
bool isline();        // the chasing line has passed the ball
void jump(long i);    // puts the ball onto the loop in slot i
void space();         // one SPACE press: flip, jump or ask for a new game
void kill();          // ends the ball's life (once)
void autogame();      // presses SPACE by itself when a spike or a loop is in reach

// Speed factor and frequency setting that a jump onto a loop of `level` gives.
double levelspeed(int level);
double levelpitch(int level);
