#pragma once
// Playing the song without sound output: a thread of ours renders it at
// exactly real time, waking at absolute deadlines on the monotonic clock,
// so the song position runs as it would with a sound card.

#include "music/song_position.h"
#include "music/song_render.h"

constexpr int kSilentFrames = 1024;  // rendered per wake-up

// From now on the thread renders render, alone, and publishes into position
// what a listener would hear. False when the thread cannot start.
bool startSilentPlayer(SongRender& render, SongPosition& position);

// Returns once the thread is not rendering and never will again: from then on
// nothing touches the module.
void stopSilentPlayer();
