#pragma once
// Sound output through SDL2: 44100 Hz, stereo, 16-bit, and a device thread
// that asks for kDeviceFrames at a time.

#include "music/song_position.h"
#include "music/song_render.h"

constexpr int kDeviceFrames = 1024;

// Initialises SDL's audio and opens the default output, paused. Nothing the
// libraries print meanwhile reaches the terminal. False when there is no
// sound output (no card, no server, a driver that will not start).
bool openAudioDevice();

// From now on the device thread renders render, alone, and publishes into
// position what the listener hears.
void playAudioDevice(SongRender& render, SongPosition& position);

// Pauses the device and returns once no buffer is being rendered: from then
// on nothing touches the module.
void stopAudioDevice();
