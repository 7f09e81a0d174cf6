// The game's five sounds: loading at start, one common pitch for all of them, and the
// loop-back of the background music over its repeating stretch.
#pragma once

#include <string>
#include <vector>

// Starts the sound library and loads the music and the four effects.
void initsound();

// Loads one sound given as audio/NAME: from the working directory where it lies there,
// else from the first of sounddirs() that holds it; 0 (no sound) after one stderr line
// naming every place tried.
unsigned int loadsound(char const* path);

// The data directories tried after the working directory: $QUIB_DATA_DIR, the installed
// <prefix>/share/quib beside the binary, the source tree the binary was built from.
std::vector<std::string> sounddirs();

// Sets the frequency setting v (semitones; 0 is natural pitch) on all five sounds.
void setaudiofrqall(double v);

// Once the music has played past `end` seconds, sends it back to `start`.
void setaudioloop(double end, double start);
