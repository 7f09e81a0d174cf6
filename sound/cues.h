// The game's five sounds: loading at start, one common pitch for all of them, and the
// loop-back of the background music over its repeating stretch.
#pragma once

#include <string>
#include <vector>

// Starts the sound library and loads the music and the four effects.
void initsound();

// Loads one sound given as audio/NAME: from the working directory where it lies there and
// loads, else from the first of sounddirs() whose copy loads (one stderr line then names
// the copies that did not load and the one that plays); 0 (no sound) after one stderr
// line naming every place tried.
unsigned int loadsound(char const* path);

// The data directories tried after the working directory: $QUIB_DATA_DIR, the installed
// <prefix>/share/quib beside the binary, and for the game run from its build folder only,
// the source tree it was built from.
std::vector<std::string> sounddirs();

// Sets the frequency setting v (semitones; 0 is natural pitch) on all five sounds.
void setaudiofrqall(double v);

// Once the music has played past `end` seconds, sends it back to `start`.
void setaudioloop(double end, double start);
