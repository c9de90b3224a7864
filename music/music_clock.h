#pragma once
// The song that plays from the end of the intro on, and where it is now.
// One real implementation over libopenmpt and SDL2 (music_clock_sdl.cpp);
// tests link a scripted song position.

#include <cstdint>

// Opens the sound output, loads the module and starts playing it. Returns only
// on success; a module that cannot be loaded or played ends the process with
// status 1 and no message.
void startMusic(const char* fileName);

// The order and row the listener hears now. Once the song has ended,
// songOrder() is 256 and songRow() 0.
int32_t songOrder();
int32_t songRow();
