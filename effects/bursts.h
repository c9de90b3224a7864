#pragma once
// A burst of 'o' and 'O' at a random place that collapses over four frames.

#include <cstdint>

#include "screen/screen_buffer.h"

// A trigger of exactly 1 starts a new burst; any other value lets the current
// one play on. Draws the stage reached.
void drawBurst(ScreenBuffer& screen, int32_t trigger);
