#include "music/song_feed.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <system_error>
#include <thread>

#include "platform/clock.h"
#include "platform/sound_output.h"

static_assert(kFeedRingFrames % kFeedChunkFrames == 0, "chunks never wrap around the ring");
static_assert(kFeedLeadFrames % kFeedChunkFrames == 0, "the song starts on a chunk");
static_assert(kFeedAheadFrames + kFeedChunkFrames <= kFeedRingFrames,
              "the filling side never reaches frames the device has not taken");

static constexpr int64_t kFillPauseNanos = 4 * kNanosPerMilli;
static constexpr float kFadeFloorDecibels = -60.0f;
// A report this far from the estimate is a new start (the stream began for
// real after its first buffers, an underrun, a stop of the process).
static constexpr int64_t kHeardJumpNanos = 40 * kNanosPerMilli;
static constexpr int64_t kHeardSmoothing = 16;  // reports averaged, roughly

void fillFeed(SongFeed& feed)
{
    int64_t filled = feed.filled.load(std::memory_order_relaxed);
    while (filled + kFeedChunkFrames - feed.taken.load(std::memory_order_acquire) <= kFeedAheadFrames) {
        int16_t* chunk = feed.samples + 2 * (filled % kFeedRingFrames);
        renderSong(*feed.render, *feed.position, chunk, kFeedChunkFrames);
        filled += kFeedChunkFrames;
        feed.filled.store(filled, std::memory_order_release);
    }
}

// Sequentially consistent, as in the silent player: either the thread sees
// the stop request before it renders, or stopFeed sees it filling and waits.
static void keepFilled(SongFeed* feed)
{
    favourSoundThread();
    for (;;) {
        feed->filling.store(true);
        if (feed->stopRequested.load()) {
            feed->filling.store(false);
            return;
        }
        fillFeed(*feed);
        feed->filling.store(false);
        sleepUntilNanos(monotonicNanos() + kFillPauseNanos);
    }
}

bool startFeed(SongFeed& feed, SongRender& render, SongPosition& position)
{
    feed.render = &render;
    feed.position = &position;
    fillFeed(feed);
    try {
        std::thread(keepFilled, &feed).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

float fadeGain(int64_t since, int64_t length)
{
    if (since <= 0) {
        return 1.0f;
    }
    if (since >= length) {
        return 0.0f;
    }
    float decibels = kFadeFloorDecibels * static_cast<float>(since) / static_cast<float>(length);
    return std::pow(10.0f, decibels / 20.0f);
}

static void fade(const SongFeed& feed, int16_t* samples, int64_t first, size_t frames)
{
    int64_t start = feed.fadeStart.load(std::memory_order_acquire);
    if (first + static_cast<int64_t>(frames) <= start) {
        return;
    }
    for (size_t i = 0; i < frames; ++i) {
        float gain = fadeGain(first + static_cast<int64_t>(i) - start, feed.fadeFrames);
        for (int channel = 0; channel < 2; ++channel) {
            int16_t& sample = samples[2 * i + channel];
            sample = static_cast<int16_t>(std::lround(sample * gain));
        }
    }
}

// Frames are heard at the sample rate, so every report gives an estimate of
// when frame 0 was heard; a running average of them keeps the heard clock
// steady through the device's jitter and follows its drift.
static int64_t smoothHeard(SongFeed& feed, int64_t first, int64_t heardNanos)
{
    int64_t origin = heardNanos - first * kNanosPerSecond / kSampleRate;
    int64_t error = origin - feed.heardOrigin;
    if (!feed.heardOriginKnown || error > kHeardJumpNanos || error < -kHeardJumpNanos) {
        feed.heardOrigin = origin;
        feed.heardOriginKnown = true;
    } else {
        feed.heardOrigin += error / kHeardSmoothing;
    }
    return feed.heardOrigin + first * kNanosPerSecond / kSampleRate;
}

void takeFeed(SongFeed& feed, int16_t* out, size_t frames, int64_t heardNanos)
{
    int64_t first = feed.taken.load(std::memory_order_relaxed);
    int64_t available = feed.filled.load(std::memory_order_acquire) - first;
    size_t copied = static_cast<size_t>(std::clamp<int64_t>(available, 0, static_cast<int64_t>(frames)));
    for (size_t done = 0; done < copied;) {
        int64_t at = (first + static_cast<int64_t>(done)) % kFeedRingFrames;
        size_t run = std::min(copied - done, static_cast<size_t>(kFeedRingFrames - at));
        std::memcpy(out + 2 * done, feed.samples + 2 * at, 2 * run * sizeof(int16_t));
        done += run;
    }
    std::memset(out + 2 * copied, 0, 2 * (frames - copied) * sizeof(int16_t));
    fade(feed, out, first, copied);
    feed.taken.store(first + static_cast<int64_t>(copied), std::memory_order_release);
    int64_t songFirst = first - kFeedLeadFrames;
    if (heardNanos == kHeardUnknown) {
        return;
    }
    recordHeardClock(*feed.position, songFirst, smoothHeard(feed, songFirst, heardNanos),
                     songFirst + static_cast<int64_t>(copied));
}

int64_t fadeFeed(SongFeed& feed, int64_t frames)
{
    feed.fadeFrames = std::max<int64_t>(1, frames);
    int64_t start = feed.taken.load(std::memory_order_acquire);
    feed.fadeStart.store(start, std::memory_order_release);
    return start - kFeedLeadFrames + feed.fadeFrames;
}

void stopFeed(SongFeed& feed)
{
    feed.stopRequested.store(true);
    while (feed.filling.load()) {
        std::this_thread::yield();
    }
}
