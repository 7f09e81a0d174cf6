// Definitions and program-start values of the game's globals.
#include "game/state.h"

int w = 800, h = 600;
double framestep, framedraw;
double ftimestep, ftimedraw, ftimeball;
bool fpsb;

loopinfo loop[loopslots];
int loopl, loopj, loopn, loopstp, loopci, loopcn;
int rnd, rndt;

ballinfo ball;
double spd, spdmul, ballexp;
vector ballp;

vector scrp;
double scrrot;
vector scrloopp;
double linep;
int linec;

bool spaceb, initb, autob;

unsigned int sbg, sj1, sj2, sj3, sj4;

double angle;
vector loopp, rotp;
