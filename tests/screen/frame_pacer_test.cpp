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

// The mark still holds its initial 0 on the first wait; a wait of 0, and
// one after a frame that took 50 ms of a 30 ms interval, end after a single
// reading, and the next mark lies where the slow frame ended.
TEST(FramePacer, AWaitWhoseIntervalHasPassedEndsAfterOneReading)
{
    scriptedTicks = 31;
    scriptedStep = 1;
    EXPECT_EQ(readingsOf(30), 1u) << "the first wait";
    markTick();
    EXPECT_EQ(readingsOf(0), 1u) << "a wait of 0";
    scriptedTicks = 10000;
    markTick();
    scriptedTicks += 50;
    EXPECT_EQ(readingsOf(30), 1u) << "after a slow frame";
    EXPECT_EQ(markTick(), 10052u);
}

// The wait ends on the first reading at least the interval after the mark,
// also across the wrap of the tick counter; on a clock that moves only
// while the pacer sleeps it sleeps most of the interval away in one go,
// naps through the last millisecond and ends exactly at the deadline.
TEST(FramePacer, WaitsUntilTheIntervalHasPassedSinceTheMark)
{
    for (uint32_t mark : {5000u, 0xFFFFFFFFu - 9}) {
        scriptedTicks = mark;
        markTick();
        readingsOf(30);
        EXPECT_EQ(scriptedTicks, mark + 31) << "the last reading was 30 after the mark " << mark;
    }
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

}  // namespace
