// The silent player: without sound output the song still runs, at real time
// and never ahead of it, and its end is heard.

#include "music/silent_player.h"

#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.hpp>
#include <sstream>
#include <thread>

#include "music/module_file.h"
#include "music/monotonic_time.h"
#include "tests/music/test_module.h"

namespace {

constexpr int64_t kNanosPerSecond = 1000000000;

// The player's thread outlives the test, so what it uses is never released.
SongRender briefRender;
SongPosition briefPosition;

int64_t framesIn(int64_t nanos)
{
    return nanos * kSampleRate / kNanosPerSecond;
}

TEST(SilentPlayerTest, PlaysInStepWithTheClockToTheEnd)
{
    std::ostringstream* log = new std::ostringstream;
    briefRender.module = openModule(makeBriefTestModule(), *log).release();
    ASSERT_NE(briefRender.module, nullptr);

    int64_t before = monotonicNanos();
    ASSERT_TRUE(startSilentPlayer(briefRender, briefPosition));
    int64_t after = monotonicNanos();

    int64_t endHeardAt = 0;
    int lastRow = -1;
    int rowsSeen = 0;
    while (monotonicNanos() - before < 5 * kNanosPerSecond) {
        int64_t now = monotonicNanos();
        int64_t heard = heardFrameAt(briefPosition, now);
        // Never ahead of real time; behind it at most by a late wake-up.
        EXPECT_LE(heard, framesIn(now - before));
        EXPECT_GE(heard, framesIn(now - after) - kSilentFrames - framesIn(kNanosPerSecond / 10));
        SongRow row = heardRowAt(briefPosition, now);
        if (row.order == kOrderAfterEnd) {
            endHeardAt = now;
            EXPECT_EQ(row.row, 0);
            break;
        }
        EXPECT_GE(row.row, lastRow);
        rowsSeen += row.row != lastRow;
        lastRow = row.row;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_NE(endHeardAt, 0) << "the end of the song was never heard";
    // The end comes exactly when real time reaches it, plus scheduling delays.
    EXPECT_GE(endHeardAt - before, static_cast<int64_t>(kBriefModuleSeconds * kNanosPerSecond));
    EXPECT_LT(endHeardAt - after, static_cast<int64_t>((kBriefModuleSeconds + 0.5) * kNanosPerSecond));
    EXPECT_GE(rowsSeen, kBriefModuleRows / 2) << "polled every 2 ms, rows last 20 ms";
    EXPECT_EQ(lastRow, kBriefModuleRows - 1);
}

// In a child process, so that the player stopped here is the only one.
void stopAndCheckNothingMoves()
{
    static SongRender render;
    static SongPosition position;
    std::ostringstream* log = new std::ostringstream;
    render.module = openModule(makeTestModule(), *log).release();
    if (render.module == nullptr || !startSilentPlayer(render, position)) {
        exit(2);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    stopSilentPlayer();
    int64_t rowsAtStop = position.rowStarts.load();
    int64_t heardAtStop = position.heardLimit.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    bool moved = position.rowStarts.load() != rowsAtStop || position.heardLimit.load() != heardAtStop;
    exit(rowsAtStop > 0 && !moved ? 0 : 3);
}

TEST(SilentPlayerDeathTest, StopsRenderingWhenAsked)
{
    EXPECT_EXIT(stopAndCheckNothingMoves(), testing::ExitedWithCode(0), "^$");
}

}  // namespace
