#include <gtest/gtest.h>

#include "screen/frame_pacer.h"
#include "tests/fakes/scripted_clock.h"

namespace {

// How many readings of the tick counter one wait took.
uint64_t readingsOf(uint32_t interval)
{
    uint64_t before = scriptedReadings;
    waitSinceMark(interval);
    return scriptedReadings - before;
}

// Runs first: the mark still holds its initial 0.
TEST(FramePacer, TheFirstWaitEndsAtOnce)
{
    scriptedTicks = 31;
    scriptedStep = 1;
    EXPECT_EQ(readingsOf(30), 1u);
}

TEST(FramePacer, AWaitOfZeroTakesOneReading)
{
    scriptedTicks = 5000;
    markTick();
    EXPECT_EQ(readingsOf(0), 1u);
}

TEST(FramePacer, WaitsUntilTheIntervalHasPassedSinceTheMark)
{
    scriptedTicks = 5000;
    scriptedStep = 1;
    EXPECT_EQ(markTick(), 5000u);
    readingsOf(30);
    EXPECT_EQ(scriptedTicks, 5031u);  // the last reading was 5030
}

// A clock that moves only while the pacer sleeps: the wait sleeps most of
// the interval away in one go, naps through the last millisecond and ends
// exactly when the interval is complete, never earlier.
TEST(FramePacer, SleepsThroughTheWaitAndEndsExactlyAtTheDeadline)
{
    scriptedStep = 0;
    for (uint32_t interval : {1u, 2u, 24u, 30u}) {
        scriptedTicks = 7000;
        markTick();
        uint64_t sleeps = scriptedSleeps;
        EXPECT_LE(readingsOf(interval), 3u) << interval;
        EXPECT_EQ(scriptedTicks, 7000 + interval) << interval;
        EXPECT_LE(scriptedSleeps - sleeps, 2u) << interval;
    }
    scriptedStep = 1;
}

TEST(FramePacer, CountsAcrossTheWrapOfTheTickCounter)
{
    scriptedTicks = 0xFFFFFFFFu - 9;
    scriptedStep = 1;
    markTick();
    readingsOf(30);
    EXPECT_EQ(scriptedTicks, 21u);  // the last reading was 20, 30 after the mark
}

TEST(FramePacer, ASlowFrameIsFollowedByNoWait)
{
    scriptedTicks = 10000;
    scriptedStep = 1;
    markTick();
    scriptedTicks += 50;  // drawing and writing took 50 ms
    EXPECT_EQ(readingsOf(30), 1u);
    EXPECT_EQ(markTick(), 10052u);
}

}  // namespace
