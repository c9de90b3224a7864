#pragma once
// The whole show, as both programs play it: the terminal taken over and
// cleared, the intro of the bouncing name, then the scenes and the logo.

#include "screen/screen_buffer.h"

void playShow(ScreenBuffer& screen);
