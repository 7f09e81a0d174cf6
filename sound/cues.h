// The game's five sounds: loading at start, one common pitch for all of them, and the
// loop-back of the background music over its repeating stretch.
#pragma once

// Starts the sound library and loads the music and the four effects.
void initsound();

// Sets the frequency setting v (semitones; 0 is natural pitch) on all five sounds.
void setaudiofrqall(double v);

// Once the music has played past `end` seconds, sends it back to `start`.
void setaudioloop(double end, double start);
