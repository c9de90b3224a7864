#pragma once
// The song rendered ahead of the sound device. A thread of ours renders into
// a ring a fixed stretch ahead of what the device has taken, so that the
// device's own thread only copies: a late wake-up of ours costs nothing
// heard. The device side also applies the closing fade and tells the song
// position when what it takes will be heard. One thread fills, one takes;
// the ring's two counts are the only handover.

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "music/song_position.h"
#include "music/song_render.h"
#include "platform/sound_output.h"

constexpr int64_t kFeedRingFrames = 32768;   // about 740 ms
constexpr int64_t kFeedAheadFrames = 16384;  // rendered ahead of the device: about 370 ms
constexpr int64_t kFeedChunkFrames = 512;    // rendered at a time
constexpr int64_t kNoFade = INT64_MAX;
// Silence the device gets before the song: a sound server may drop the very
// first frames of a new stream.
constexpr int64_t kFeedLeadFrames = 2048;

struct SongFeed {
    SongRender* render = nullptr;
    SongPosition* position = nullptr;
    int16_t samples[2 * kFeedRingFrames] = {};
    // Frames ever put into the ring and ever handed to the device, counted
    // from the start of the lead-in: song frame f is ring frame f + lead.
    std::atomic<int64_t> filled{kFeedLeadFrames};
    std::atomic<int64_t> taken{0};
    std::atomic<int64_t> fadeStart{kNoFade};  // the first frame that fades
    int64_t fadeFrames = 1;
    // The device side's estimate of when frame 0 is heard, smoothed over
    // its reports, which jitter by up to a device period.
    int64_t heardOrigin = 0;
    bool heardOriginKnown = false;
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> filling{false};
};

// Renders into the ring until it is kFeedAheadFrames ahead of the device.
// Called by the filling thread only (or by a test).
void fillFeed(SongFeed& feed);

// Starts the thread that keeps the ring filled, after a first fill, so the
// device finds audio at once. False when the thread cannot start.
bool startFeed(SongFeed& feed, SongRender& render, SongPosition& position);

// The device's side: copies frames stereo frames into out (silence for any
// the ring does not have yet), faded as asked, and records when they are
// heard from the device's report that the first of them is heard at
// monotonic time heardNanos. kHeardUnknown (the device primes its buffer
// before it starts, at a moment it cannot tell) records nothing: the
// listener has not heard them yet.
void takeFeed(SongFeed& feed, int16_t* out, size_t frames, int64_t heardNanos);

// From the next frame the device takes on, the sound falls to silence over
// frames frames. Returns the song frame at which it is silent.
int64_t fadeFeed(SongFeed& feed, int64_t frames);

// The gain of a frame `since` frames into a fade of `length`: falls evenly
// in decibels from 1 to -60 dB, then 0.
float fadeGain(int64_t since, int64_t length);

// Returns once the filling thread has stopped for good: from then on nothing
// touches the module.
void stopFeed(SongFeed& feed);
