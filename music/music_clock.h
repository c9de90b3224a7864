#pragma once
// The song that plays from the end of the intro on, and where it is as the
// listener hears it. One real implementation over libopenmpt and the
// platform's sound output (music_clock.cpp); tests link a scripted song.

#include <cstdint>

// Opens the sound output, loads the module and starts playing it. Returns only
// on success; a module that cannot be loaded or played ends the process with
// status 1 and no message. Without a sound output the song plays silently in
// real time.
void startMusic(const char* fileName);

// The order and row that will be heard while the frame drawn now is on the
// screen. Once the song has ended, songOrder() is 256 and songRow() 0.
int32_t songOrder();
int32_t songRow();

// The frame drawn from the position last read is on the terminal now and
// stays for frameMs: the positions read for the next frame are those heard
// while it is on the screen. Returns how many milliseconds longer (or, by
// one at most, shorter) than frameMs to wait before the next frame, so that
// frames come to land where orders begin and every scene cut shows on its
// note.
int32_t notePictureShown(uint32_t frameMs);

// The sound falls to silence over about 0.3 s from now; the process's exit
// then waits (half a second at most) until the silence is heard, so the
// music is never cut.
void fadeOutMusic();
