// The view and the chasing line, moved once per simulation step: the camera eases
// toward the ball's loop and turns by level; the line advances behind the ball.
#pragma once

void movescr();
void moveline();
