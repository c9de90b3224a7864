#pragma once
// A twisting ribbon of shade blocks down rows 1 to 23.

#include <cstdint>

#include "screen/screen_buffer.h"

// Turns the ribbon one phase step and draws one slice in each of rows 1 to 23,
// its core at `column`.
void drawHelix(ScreenBuffer& screen, int32_t column);
