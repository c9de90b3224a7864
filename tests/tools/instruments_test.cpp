#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "tests/tools/module_bytes.h"
#include "tools/instruments.h"
#include "tools/score.h"
#include "tools/synth.h"
#include "tools/xm_writer.h"

namespace {

bool isTone(int instrument)
{
    return instrument >= kBass;
}

int largestStep(const std::vector<int16_t>& frames)
{
    int largest = 0;
    for (size_t i = 1; i < frames.size(); ++i)
        largest = std::max(largest, std::abs(frames[i] - frames[i - 1]));
    return largest;
}

// The pitch of the left channel over [from, to) seconds: the shortest lag
// whose correlation comes close to the best one.
double pitchOf(const std::vector<float>& stereo, double from, double to)
{
    std::vector<double> x;
    for (size_t i = static_cast<size_t>(from * kRenderRate); i < static_cast<size_t>(to * kRenderRate); ++i)
        x.push_back(stereo.at(2 * i));
    const int shortest = 20, longest = 1200;
    size_t span = x.size() - longest;
    std::vector<double> correlation(longest + 1, 0.0);
    for (int lag = shortest; lag <= longest; ++lag) {
        double sum = 0.0, a = 0.0, b = 0.0;
        for (size_t i = 0; i < span; ++i) {
            sum += x[i] * x[i + lag];
            a += x[i] * x[i];
            b += x[i + lag] * x[i + lag];
        }
        correlation[lag] = sum / std::sqrt(a * b + 1e-30);
    }
    double best = *std::max_element(correlation.begin(), correlation.end());
    for (int lag = shortest + 1; lag < longest; ++lag)
        if (correlation[lag] >= 0.95 * best && correlation[lag] >= correlation[lag - 1] &&
            correlation[lag] >= correlation[lag + 1]) {
            double left = correlation[lag - 1], mid = correlation[lag], right = correlation[lag + 1];
            double shift = 0.5 * (left - right) / (left - 2.0 * mid + right);
            return kRenderRate / (lag + shift);
        }
    return 0.0;
}

TEST(Synth, SineOfTurnsMatchesTheLibrarySine)
{
    for (int i = -2000; i <= 2000; ++i) {
        double turns = i / 997.0;
        EXPECT_NEAR(sineOfTurns(turns), std::sin(2.0 * 3.14159265358979323846 * turns), 1e-9) << turns;
    }
}

TEST(Instruments, TonesLoopWholeWithoutAClickAndDrumsRingOut)
{
    std::vector<XmInstrument> instruments = makeInstruments();
    ASSERT_EQ(instruments.size(), static_cast<size_t>(kInstrumentCount));
    for (int number = 1; number <= kInstrumentCount; ++number) {
        const XmSample& sample = instruments[number - 1].sample;
        const std::vector<int16_t>& frames = sample.frames;
        SCOPED_TRACE(sample.name);
        ASSERT_GT(frames.size(), 100u);
        int peak = 0;
        for (int16_t f : frames)
            peak = std::max(peak, std::abs(static_cast<int>(f)));
        EXPECT_GT(peak, 20000);  // loud enough to leave room in the mix
        if (isTone(number)) {
            EXPECT_TRUE(sample.looped);
            EXPECT_EQ(sample.loopStart, 0u);
            EXPECT_EQ(sample.loopLength, frames.size());
            // A saw's reset may fall right on the joint: allow 1 % over the
            // steepest step inside.
            EXPECT_LE(std::abs(frames.front() - frames.back()), largestStep(frames) * 101 / 100);
        } else {
            EXPECT_FALSE(sample.looped);
            EXPECT_LE(std::abs(frames.back()), 64);
        }
    }
}

// Every tone, played as A-4 on its own, sounds at 440 Hz.
TEST(Instruments, TonesAreInTune)
{
    std::vector<XmInstrument> instruments = makeInstruments();
    for (int number = kBass; number <= kInstrumentCount; ++number) {
        SCOPED_TRACE(instruments[number - 1].name);
        XmSong song{"tune", "test", 1, 6, 125, {0}, {blankXmPattern(64, 1)}, {instruments[number - 1]}};
        XmCell& cell = xmCell(song.patterns[0], 1, 0, 0);
        cell.note = static_cast<uint8_t>(noteNamed("A4"));
        cell.instrument = 1;
        std::ostringstream log;
        openmpt::module module(encodeXm(song), log);
        std::vector<float> out = renderSong(module);
        EXPECT_EQ(log.str(), "");
        // The stab has died away after half a second, the pad has only
        // started to sound after a tenth.
        EXPECT_NEAR(pitchOf(out, 0.1, 0.4), 440.0, 440.0 * 0.005);
    }
}

}  // namespace
