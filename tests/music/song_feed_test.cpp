// The song rendered ahead for the device: what the device takes is the song
// exactly, whatever the sizes on either side; the ring never runs further
// ahead than it may; the heard clock follows the device's reports through
// their jitter and jumps with them; and the closing fade falls without a
// step.

#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.hpp>

#include <cmath>
#include <memory>
#include <sstream>
#include <vector>

#include "music/module_file.h"
#include "music/song_feed.h"
#include "platform/clock.h"
#include "tests/music/test_module.h"

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

struct FedSong {
    std::ostringstream log;
    std::unique_ptr<openmpt::module> module;
    SongRender render;
    std::unique_ptr<SongPosition> position = std::make_unique<SongPosition>();
    std::unique_ptr<SongFeed> feed = std::make_unique<SongFeed>();

    explicit FedSong(const std::vector<uint8_t>& bytes) : module(openModule(bytes, log))
    {
        render.module = module.get();
        feed->render = &render;
        feed->position = position.get();
    }
};

// The device's first take: the lead-in, silent.
void takeLeadIn(SongFeed& feed)
{
    std::vector<int16_t> lead(2 * kFeedLeadFrames, 7);
    fillFeed(feed);
    takeFeed(feed, lead.data(), kFeedLeadFrames, 0);
    EXPECT_TRUE(std::all_of(lead.begin(), lead.end(), [](int16_t s) { return s == 0; }));
}

std::vector<uint8_t> showModule()
{
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(readModuleFile(SHOW_MODULE_PATH, bytes));
    return bytes;
}

TEST(SongFeedTest, TheDeviceTakesExactlyTheSongAndTheRingStaysWithinItsReach)
{
    const std::vector<uint8_t> bytes = showModule();
    FedSong fed(bytes);
    FedSong reference(bytes);
    takeLeadIn(*fed.feed);
    const size_t takes[] = {992, 1, 4096, 333, 7000};
    std::vector<int16_t> taken, expected;
    for (int round = 0; round < 40; ++round) {
        fillFeed(*fed.feed);
        int64_t ahead = fed.feed->filled.load() - fed.feed->taken.load();
        EXPECT_LE(ahead, kFeedAheadFrames);
        EXPECT_GT(ahead, kFeedAheadFrames - kFeedChunkFrames);
        size_t frames = takes[round % 5];
        std::vector<int16_t> out(2 * frames), direct(2 * frames);
        takeFeed(*fed.feed, out.data(), frames, round * 100 * kMillis);
        renderSong(reference.render, *reference.position, direct.data(), frames);
        taken.insert(taken.end(), out.begin(), out.end());
        expected.insert(expected.end(), direct.begin(), direct.end());
    }
    ASSERT_EQ(taken.size(), expected.size());
    EXPECT_LE(largestDifference(taken, expected), kDither);
    EXPECT_GT(std::count_if(taken.begin(), taken.end(), [](int16_t s) { return s != 0; }), 100000);
}

// Taking more than the ring holds gives silence after what it had, and the
// heard clock then ends where the audio does.
TEST(SongFeedTest, ADeviceThatOutrunsTheRingGetsSilenceAndTheClockStopsAtTheLastRealFrame)
{
    FedSong fed(showModule());
    fillFeed(*fed.feed);
    std::vector<int16_t> out(2 * (kFeedAheadFrames + 1000), 7);
    takeFeed(*fed.feed, out.data(), kFeedAheadFrames + 1000, 0);
    EXPECT_EQ(fed.feed->taken.load(), kFeedAheadFrames);
    EXPECT_TRUE(std::all_of(out.begin() + 2 * kFeedAheadFrames, out.end(), [](int16_t s) { return s == 0; }));
    EXPECT_EQ(heardFrameAt(*fed.position, kNanosPerSecond), kFeedAheadFrames - kFeedLeadFrames);
}

// A device that takes 1000 frames every 1000 / 44100 s and reports their DAC
// time with up to 10 ms of jitter: the heard clock stays within 2 ms of the
// true one. A report 100 ms off (the stream restarted, an underrun) moves
// the clock at once.
TEST(SongFeedTest, TheHeardClockRidesOutJitterAndFollowsAJump)
{
    FedSong fed(showModule());
    std::vector<int16_t> out(2 * 1000);
    const int64_t latency = 90 * kMillis;
    const int64_t jitter[] = {0, 10, -7, 4, -10, 9, -3, 6};
    auto takeAt = [&](int take, int64_t shift) {
        fillFeed(*fed.feed);
        int64_t first = fed.feed->taken.load();
        int64_t now = first * kNanosPerSecond / kSampleRate;
        takeFeed(*fed.feed, out.data(), 1000, now + latency + shift + jitter[take % 8] * kMillis);
        // Halfway through the device's buffer period, the frame heard now.
        int64_t then = now + 11 * kMillis;
        int64_t trueHeard = (then - latency - shift) * kSampleRate / kNanosPerSecond - kFeedLeadFrames;
        return heardFrameAt(*fed.position, then) - trueHeard;
    };
    for (int take = 0; take < 200; ++take) {
        int64_t error = takeAt(take, 0);
        if (take >= 50) {
            ASSERT_LE(std::abs(error), 2 * kSampleRate / 1000) << "take " << take;
        }
    }
    int64_t error = takeAt(0, 100 * kMillis);
    EXPECT_LE(std::abs(error), 2 * kSampleRate / 1000);
}

TEST(SongFeedTest, TheFadeFallsInDecibelsWithoutAStepToSilence)
{
    const int64_t length = kSampleRate * 3 / 10;
    EXPECT_EQ(fadeGain(-5, length), 1.0f);
    EXPECT_EQ(fadeGain(0, length), 1.0f);
    EXPECT_EQ(fadeGain(length, length), 0.0f);
    float previous = 1.0f;
    for (int64_t since = 1; since <= length; ++since) {
        float gain = fadeGain(since, length);
        ASSERT_LE(gain, previous) << since;
        // No step: 0.05 % a frame, and the last one from -60 dB to nothing.
        ASSERT_LE(previous - gain, 0.0011f) << since;
        previous = gain;
    }
    // The last 100 ms are at least 40 dB down: a song at -10 dBFS is below -50.
    EXPECT_LT(fadeGain(length - kSampleRate / 10, length), 0.0101f);
}

// The fade begins at the next frame the device takes, whatever the ring has
// rendered before the request, and what follows it is silence.
TEST(SongFeedTest, TheFadeStartsAtTheNextFrameTakenAndEndsInSilence)
{
    const std::vector<uint8_t> bytes = showModule();
    FedSong fed(bytes);
    FedSong reference(bytes);
    std::vector<int16_t> out(2 * 4000), direct(2 * 4000);
    auto take = [&] {
        fillFeed(*fed.feed);
        takeFeed(*fed.feed, out.data(), 4000, 0);
        renderSong(reference.render, *reference.position, direct.data(), 4000);
    };
    takeLeadIn(*fed.feed);
    take();
    EXPECT_LE(largestDifference(out, direct), kDither);
    const int64_t silentAt = fadeFeed(*fed.feed, 6000);
    EXPECT_EQ(silentAt, 4000 + 6000);
    take();
    for (int i = 0; i < 4000; ++i) {
        float gain = fadeGain(i, 6000);
        ASSERT_NEAR(out[2 * i], direct[2 * i] * gain, kDither + 0.5) << i;
    }
    take();
    take();
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t s) { return s == 0; }));
}

}  // namespace
