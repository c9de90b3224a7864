// The published song position: which row a frame belongs to, the listener's
// clock, and reads that stay whole while the rendering thread writes.

#include "music/song_position.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

constexpr int64_t kMillis = 1000000;

TEST(SongPositionTest, FindsTheRowPlayingAtAFrame)
{
    auto position = std::make_unique<SongPosition>();
    EXPECT_EQ(rowAtFrame(*position, 500).order, 0);  // nothing recorded yet
    recordRowStart(*position, 0, 0, 0);
    recordRowStart(*position, 5292, 0, 1);
    recordRowStart(*position, 10584, 3, 17);
    EXPECT_EQ(rowAtFrame(*position, -1).row, 0);
    EXPECT_EQ(rowAtFrame(*position, 5291).row, 0);
    EXPECT_EQ(rowAtFrame(*position, 5292).row, 1);
    SongRow later = rowAtFrame(*position, 999999);
    EXPECT_EQ(later.order, 3);
    EXPECT_EQ(later.row, 17);
}

// Older row starts are overwritten; a frame older than all that are kept
// gets the oldest kept rather than a wrong newer one or a stale (0, 0).
TEST(SongPositionTest, KeepsTheNewestRowStartsOnly)
{
    auto position = std::make_unique<SongPosition>();
    const int count = kRowStartSlots + 10;
    for (int i = 0; i < count; ++i) {
        recordRowStart(*position, i * 100, 1, i);
    }
    int64_t frame = -1;
    SongRow row{};
    EXPECT_FALSE(recordedRowStart(*position, 9, frame, row));
    ASSERT_TRUE(recordedRowStart(*position, 10, frame, row));
    EXPECT_EQ(frame, 1000);
    EXPECT_EQ(row.row, 10);
    EXPECT_EQ(rowAtFrame(*position, 50).row, 10);
    EXPECT_EQ(rowAtFrame(*position, (count - 1) * 100 + 99).row, count - 1);
    EXPECT_FALSE(recordedRowStart(*position, count, frame, row));
}

TEST(SongPositionTest, TheListenersClockRunsAtTheSampleRateUpToItsLimit)
{
    auto position = std::make_unique<SongPosition>();
    recordHeardClock(*position, 1000, 50 * kMillis, 1000 + 4410);
    EXPECT_EQ(heardFrameAt(*position, 50 * kMillis), 1000);
    EXPECT_EQ(heardFrameAt(*position, 40 * kMillis), 1000);  // never before its anchor
    EXPECT_EQ(heardFrameAt(*position, 60 * kMillis), 1000 + 441);
    EXPECT_EQ(heardFrameAt(*position, 150 * kMillis), 1000 + 4410);
    EXPECT_EQ(heardFrameAt(*position, 900 * kMillis), 1000 + 4410);
    recordHeardClock(*position, 2000, 0, kNoHeardLimit);
    EXPECT_EQ(heardFrameAt(*position, 2000 * kMillis), 2000 + 2 * kSampleRate);
}

// The end of the song is a row start like any other, heard only once the
// listener's clock has reached it.
TEST(SongPositionTest, ReportsTheEndOnlyOnceItIsHeard)
{
    auto position = std::make_unique<SongPosition>();
    recordRowStart(*position, 0, 0, 0);
    recordRowStart(*position, 90000, 12, 63);
    recordRowStart(*position, 95292, kOrderAfterEnd, 0);
    // As a device two 1024-frame buffers behind the rendering would publish it.
    recordHeardClock(*position, 95292 - 2048, 0, 95292 - 1024);
    EXPECT_EQ(heardRowAt(*position, 0).order, 12);
    EXPECT_EQ(heardRowAt(*position, 30 * kMillis).order, 12);  // held at the limit
    recordHeardClock(*position, 95292 - 1024, 30 * kMillis, 95292);
    EXPECT_EQ(heardRowAt(*position, 30 * kMillis + 23 * kMillis).order, 12);
    SongRow end = heardRowAt(*position, 30 * kMillis + 24 * kMillis);
    EXPECT_EQ(end.order, kOrderAfterEnd);
    EXPECT_EQ(end.row, 0);
}

// One thread writes as the renderer does, another reads as the schedule
// does. Row i starts at frame 100 i with order i / 64 and row i % 64, so a
// read that mixed two writes would show a row that does not match its
// frame or that goes backwards.
TEST(SongPositionTest, ReadsStayWholeWhileTheRendererWrites)
{
    auto position = std::make_unique<SongPosition>();
    const int rows = 200000;
    std::thread renderer([&position] {
        for (int i = 0; i < rows; ++i) {
            recordRowStart(*position, int64_t{i} * 100, i / 64, i % 64);
            recordHeardClock(*position, int64_t{i} * 100 + 50, 0, int64_t{i} * 100 + 50);
        }
    });
    int64_t lastHeard = -1;
    int torn = 0;
    int backwards = 0;
    for (int reads = 0; reads < 400000; ++reads) {
        SongRow row = heardRowAt(*position, 0);
        int64_t heard = int64_t{row.order} * 64 + row.row;
        backwards += heard < lastHeard;
        lastHeard = std::max(lastHeard, heard);
        int64_t index = std::max<int64_t>(0, heard - 3);
        int64_t frame = 0;
        SongRow kept{};
        if (recordedRowStart(*position, index, frame, kept)) {
            torn += frame != index * 100 || kept.order != index / 64 || kept.row != index % 64;
        }
    }
    renderer.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(backwards, 0);
    SongRow last = heardRowAt(*position, 0);
    EXPECT_EQ(int64_t{last.order} * 64 + last.row, rows - 1);
}

}  // namespace
