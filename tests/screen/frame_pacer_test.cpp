#include <gtest/gtest.h>

#include "screen/frame_pacer.h"
#include "tests/fakes/scripted_clock.h"

namespace {

// Each wait ends on the first reading at least the interval after the mark,
// also across the wrap of the tick counter; one whose interval has passed
// (the first, the mark still at its initial 0; one of 0; one after a frame
// that took 50 ms of a 30 ms interval) after a single reading. On a clock
// that moves only while the pacer sleeps (step 0) it sleeps most of the
// interval away in one go, naps through the last millisecond and ends
// exactly at the deadline. `late`: the ticks from the mark to the wait;
// `end`: the counter after the wait, where the next mark lies.
TEST(FramePacer, WaitsUntilTheIntervalHasPassedSinceTheMark)
{
    const struct { uint32_t step, mark, late, interval, end; uint64_t readings; } waits[] = {
        {1, 0, 31, 30, 32, 1}, {1, 40, 0, 0, 42, 1}, {1, 10000, 50, 30, 10052, 1},
        {1, 5000, 0, 30, 5031, 3}, {1, 0xFFFFFFFFu - 9, 0, 30, 21, 3},
        {0, 7000, 0, 1, 7001, 3}, {0, 7000, 0, 2, 7002, 3}, {0, 7000, 0, 24, 7024, 3}, {0, 7000, 0, 30, 7030, 3},
    };
    for (const auto& wait : waits) {
        SCOPED_TRACE(testing::Message() << "the wait from " << wait.mark << " for " << wait.interval);
        scriptedStep = wait.step;
        scriptedTicks = wait.mark;
        if (&wait != waits)
            markTick();
        scriptedTicks += wait.late;
        const uint64_t readings = scriptedReadings;
        waitSinceMark(wait.interval);
        EXPECT_EQ(scriptedTicks, wait.end);
        EXPECT_LE(scriptedReadings - readings, wait.readings);
    }
}

}  // namespace
