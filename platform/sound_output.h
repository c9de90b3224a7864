#pragma once
// The platform's sound output: 44100 Hz, stereo, 16-bit, played by the sound
// system's own thread, which takes the song from the feed and tells it when
// what it takes will be heard.

#include "music/song_feed.h"

// Opens the default output, not yet playing. False when there is no sound
// output (no card, no server, a driver that will not start).
bool openSoundOutput();

// From now on the output's thread takes the audio from feed. False when the
// stream will not start.
bool playSoundOutput(SongFeed& feed);

// Returns once the output's thread is not taking audio and never will again.
void stopSoundOutput();

// Asks for a real-time priority for the calling thread, which renders the
// sound; a refusal is ignored.
void favourSoundThread();
