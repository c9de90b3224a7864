#pragma once
// The group's name travelling diagonally between two paddles.

#include "screen/screen_buffer.h"

// Moves the name one step and draws it with both paddles (14 cells).
void drawBouncingName(ScreenBuffer& screen);
