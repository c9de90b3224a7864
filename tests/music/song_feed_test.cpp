// The song rendered ahead for the device: the device takes the song exactly, the ring stays within its
// reach, the heard clock follows the device's reports, and the closing fade falls without a step.

#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <vector>

#include "music/module_file.h"
#include "music/song_feed.h"
#include "platform/clock.h"

namespace {

constexpr int64_t kMillis = kNanosPerMilli;
constexpr int kDither = 2;  // libopenmpt dithers its 16-bit output: two renders differ by this much

int largestDifference(const std::vector<int16_t>& a, const std::vector<int16_t>& b)
{
    int largest = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        largest = std::max(largest, std::abs(a[i] - b[i]));
    return largest;
}

bool silent(const std::vector<int16_t>& samples, size_t from = 0)
{
    return std::all_of(samples.begin() + from, samples.end(), [](int16_t s) { return s == 0; });
}

// The show's song through a feed, and the same song rendered straight beside it.
struct FedSong {
    std::ostringstream log;
    std::unique_ptr<openmpt::module> module = loadModule(SHOW_MODULE_PATH, log);
    std::unique_ptr<openmpt::module> straight = loadModule(SHOW_MODULE_PATH, log);
    SongRender render{module.get()}, straightRender{straight.get()};
    SongPosition position, straightPosition;
    SongFeed feed{&render, &position};

    // The device takes out.size() / 2 frames, the first heard at heardNanos; direct gets them rendered straight.
    void take(std::vector<int16_t>& out, std::vector<int16_t>& direct, int64_t heardNanos = 0)
    {
        fillFeed(feed);
        takeFeed(feed, out.data(), out.size() / 2, heardNanos);
        direct.resize(out.size());
        renderSong(straightRender, straightPosition, direct.data(), out.size() / 2);
    }
    // The device's first take: the lead-in, silent.
    void takeLeadIn()
    {
        std::vector<int16_t> lead(2 * kFeedLeadFrames, 7);
        fillFeed(feed);
        takeFeed(feed, lead.data(), kFeedLeadFrames, 0);
        EXPECT_TRUE(silent(lead));
    }
};

TEST(SongFeedTest, TheDeviceTakesExactlyTheSongAndTheRingStaysWithinItsReach)
{
    FedSong fed;
    fed.takeLeadIn();
    const size_t takes[] = {992, 1, 4096, 333, 7000};
    std::vector<int16_t> taken, expected, out, direct;
    for (int round = 0; round < 40; ++round) {
        fillFeed(fed.feed);
        const int64_t ahead = fed.feed.filled.load() - fed.feed.taken.load();
        EXPECT_LE(ahead, kFeedAheadFrames);
        EXPECT_GT(ahead, kFeedAheadFrames - kFeedChunkFrames);
        out.resize(2 * takes[round % 5]);
        fed.take(out, direct, round * 100 * kMillis);
        taken.insert(taken.end(), out.begin(), out.end());
        expected.insert(expected.end(), direct.begin(), direct.end());
    }
    EXPECT_LE(largestDifference(taken, expected), kDither);
    EXPECT_GT(std::count_if(taken.begin(), taken.end(), [](int16_t s) { return s != 0; }), 100000);
}

// Past what the ring holds the device gets silence, and the heard clock ends where the audio does.
TEST(SongFeedTest, ADeviceThatOutrunsTheRingGetsSilenceAndTheClockStopsAtTheLastRealFrame)
{
    FedSong fed;
    std::vector<int16_t> out(2 * (kFeedAheadFrames + 1000), 7), direct;
    fed.take(out, direct);
    EXPECT_EQ(fed.feed.taken.load(), kFeedAheadFrames);
    EXPECT_TRUE(silent(out, 2 * kFeedAheadFrames));
    EXPECT_EQ(heardFrameAt(fed.position, kNanosPerSecond), kFeedAheadFrames - kFeedLeadFrames);
}

// Takes of 1000 frames reported with up to 10 ms of jitter: the heard clock stays within 2 ms of the true
// one; a report 100 ms off (a restarted stream, an underrun) moves it at once.
TEST(SongFeedTest, TheHeardClockRidesOutJitterAndFollowsAJump)
{
    FedSong fed;
    std::vector<int16_t> out(2 * 1000);
    const int64_t latency = 90 * kMillis;
    const int64_t jitter[] = {0, 10, -7, 4, -10, 9, -3, 6};
    auto errorAt = [&](int take, int64_t shift) {
        fillFeed(fed.feed);
        const int64_t now = fed.feed.taken.load() * kNanosPerSecond / kSampleRate;
        takeFeed(fed.feed, out.data(), 1000, now + latency + shift + jitter[take % 8] * kMillis);
        const int64_t then = now + 11 * kMillis;  // halfway through the device's buffer period
        const int64_t trueHeard = (then - latency - shift) * kSampleRate / kNanosPerSecond - kFeedLeadFrames;
        return heardFrameAt(fed.position, then) - trueHeard;
    };
    for (int take = 0; take < 200; ++take) {
        const int64_t error = errorAt(take, 0);
        ASSERT_TRUE(take < 50 || std::abs(error) <= 2 * kSampleRate / 1000) << "take " << take << ": " << error;
    }
    EXPECT_LE(std::abs(errorAt(0, 100 * kMillis)), 2 * kSampleRate / 1000);
}

// The fade begins at the next frame the device takes, whatever the ring rendered before, falls in decibels
// without a step (0.05 % a frame, the last one from -60 dB to nothing) and ends in silence.
TEST(SongFeedTest, TheFadeStartsAtTheNextFrameTakenAndFallsWithoutAStepToSilence)
{
    const int64_t length = kSampleRate * 3 / 10;
    EXPECT_EQ(fadeGain(-5, length), 1.0f);
    EXPECT_EQ(fadeGain(0, length), 1.0f);
    EXPECT_EQ(fadeGain(length, length), 0.0f);
    for (int64_t since = 1; since <= length; ++since) {
        ASSERT_LE(fadeGain(since, length), fadeGain(since - 1, length)) << since;
        ASSERT_LE(fadeGain(since - 1, length) - fadeGain(since, length), 0.0011f) << since;
    }
    // The last 100 ms are at least 40 dB down: a song at -10 dBFS is below -50.
    EXPECT_LT(fadeGain(length - kSampleRate / 10, length), 0.0101f);

    FedSong fed;
    std::vector<int16_t> out(2 * 4000), direct;
    fed.takeLeadIn();
    fed.take(out, direct);
    EXPECT_LE(largestDifference(out, direct), kDither);
    EXPECT_EQ(fadeFeed(fed.feed, 6000), 4000 + 6000);
    fed.take(out, direct);
    for (int i = 0; i < 4000; ++i)
        ASSERT_NEAR(out[2 * i], direct[2 * i] * fadeGain(i, 6000), kDither + 0.5) << i;
    fed.take(out, direct);
    fed.take(out, direct);
    EXPECT_TRUE(silent(out));
}

}  // namespace
