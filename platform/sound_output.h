#pragma once
// The platform's sound output: 44100 Hz, stereo, 16-bit, played from a
// thread of the sound system's that takes the song from the renderer and
// publishes what the listener hears.

#include "music/song_position.h"
#include "music/song_render.h"

// Opens the default output, not yet playing. False when there is no sound
// output (no card, no server, a driver that will not start).
bool openSoundOutput();

// From now on the output renders render, alone, and publishes into position
// what the listener hears.
void playSoundOutput(SongRender& render, SongPosition& position);

// Returns once nothing is being rendered and nothing will be again: from
// then on nothing touches the module.
void stopSoundOutput();
