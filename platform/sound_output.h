#pragma once
// The platform's sound output: 44100 Hz, stereo, 16-bit, played by the sound
// system's own thread. That thread asks the program for every buffer through
// playSoundFrames, which the program defines (the music clock does): bound
// at link time, as the platform itself is.

#include <cstddef>
#include <cstdint>

constexpr int32_t kSoundOutputRate = 44100;

// The moment a buffer is heard, when the device cannot tell: it primes its
// buffer before it starts playing.
constexpr int64_t kHeardUnknown = -1;

// Defined by the program; called on the output's thread only, once playing.
// Fills `frames` stereo frames into out. heardNanos is the monotonic time at
// which the first of them is heard, or kHeardUnknown.
void playSoundFrames(int16_t* out, size_t frames, int64_t heardNanos);

// Opens the default output, not yet playing. False when there is no sound
// output (no card, no server, a driver that will not start).
bool openSoundOutput();

// From now on the output's thread calls playSoundFrames. False when the
// stream will not start.
bool playSoundOutput();

// Returns once the output's thread is not taking audio and never will again.
void stopSoundOutput();

// Asks for a real-time priority for the calling thread, which renders the
// sound; a refusal is ignored.
void favourSoundThread();
