#pragma once
// The show after the intro: five scenes paced by the song, then the logo.

#include "screen/screen_buffer.h"

// Builds the logo's line table and the five banners, before anything is drawn.
void prepareScenes();

// Starts the music, plays scenes 1 to 5 into `screen` and the closing logo.
void runScenes(ScreenBuffer& screen);
