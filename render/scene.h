// Draws one whole frame from the game state: loops, ball, chasing line, frame rate.
#pragma once

void drawall();   // clear, loops, ball, line, figure, then show the frame
void drawloop();  // every live loop in slot order: spikes, circle, rings, number
void drawball();  // the white ball, or the dying ball shrinking in its loop's colour
void drawline();  // the chasing line, in the colour of the loop it last reached
void drawfps();   // the frame-rate figure, when switched on
