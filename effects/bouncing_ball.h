#pragma once
// A big ball of 'o', '0' and 'O' bouncing on a field of dots.

#include "screen/screen_buffer.h"

// Writes '.' into the first 1,919 cells; the last cell is left alone.
void drawDottedField(ScreenBuffer& screen);

// Moves the ball one step and draws it, squashed near the walls.
void drawBouncingBall(ScreenBuffer& screen);
