// Where the song is: every row start noted within 2 ms of libopenmpt's time for it, and the end (order
// 256) where the song ends; heard later, as the published clock says; whole reads while threads write.

#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.hpp>
#include <sstream>
#include <algorithm>
#include <thread>

#include "music/module_file.h"
#include "music/song_render.h"
#include "tests/music/test_module.h"

namespace {

constexpr int64_t kMillis = 1000000;

TEST(SongPositionTest, EveryRowStartsWhenLibopenmptSaysItDoes)
{
    std::vector<uint8_t> show;
    ASSERT_TRUE(readModuleFile(SHOW_MODULE_PATH, show));
    std::ostringstream log;
    openmpt::module song(show, log);
    int showRows = 0;  // the show plays every pattern of its order list whole
    for (int order = 0; order < song.get_num_orders(); ++order)
        showRows += song.get_pattern_num_rows(song.get_order_pattern(order));
    const struct {
        std::vector<uint8_t> bytes;
        size_t bufferFrames;
        int rows;
    } cases[] = {{show, 1024, showRows}, {briefModule(), 100, kBriefLastRow + 1},
                 {briefModule(), 333, kBriefLastRow + 1}};
    for (const auto& [bytes, bufferFrames, rows] : cases) {
        SCOPED_TRACE(testing::Message() << rows << " rows in buffers of " << bufferFrames);
        std::unique_ptr<openmpt::module> module = openModule(bytes, log), reference = openModule(bytes, log);
        ASSERT_TRUE(module && reference);
        int16_t oneFrame[2];  // the reference then counts ticks at the render's rate
        reference->read_interleaved_stereo(kSampleRate, 1, oneFrame);
        SongRender render{module.get()};
        auto position = std::make_unique<SongPosition>();
        std::vector<int16_t> samples(2 * bufferFrames, 1);
        int64_t seen = 0, frame = 0;
        SongRow row{};
        while (!render.ended && render.framesRendered < 200 * kSampleRate) {  // a song that never ends fails
            renderSong(render, *position, samples.data(), bufferFrames);
            for (; recordedRowStart(*position, seen, frame, row) && row.order != kOrderAfterEnd; ++seen)
                EXPECT_NEAR(frame, reference->set_position_order_row(row.order, row.row) * kSampleRate, 0.002 * kSampleRate)
                    << "order " << row.order << " row " << row.row;
        }
        EXPECT_EQ(seen, rows);
        EXPECT_NEAR(frame, module->get_duration_seconds() * kSampleRate, 0.002 * kSampleRate);
        EXPECT_EQ(row.order * 100 + row.row, kOrderAfterEnd * 100);
        renderSong(render, *position, samples.data(), bufferFrames);  // silence, and nothing more recorded
        EXPECT_EQ(std::count(samples.begin(), samples.end(), 0), static_cast<long>(samples.size()));
        EXPECT_EQ(rowAtFrame(*position, render.framesRendered).order, kOrderAfterEnd);
    }
}

TEST(SongPositionTest, ReportsTheRowHeardNowNotTheOneJustRendered)
{
    auto position = std::make_unique<SongPosition>();
    EXPECT_EQ(heardRowAt(*position, 0).order, 0);  // nothing recorded yet
    recordRowStart(*position, 0, 0, 0);
    recordRowStart(*position, 1441, 3, 17);
    recordRowStart(*position, 5410, kOrderAfterEnd, 0);
    // Frame 1000 heard at 50 ms, at the sample rate either side, but never past 5409, the last frame handed
    // to the device: the end recorded at 5410 is not heard yet.
    recordHeardClock(*position, 1000, 50 * kMillis, 5409);
    const int64_t reads[][3] = {{0, -1205, 0}, {40, 559, 0}, {60, 1441, 3}, {140, 4969, 3}, {900, 5409, 3}};  // ms, frame, order
    for (const auto& [ms, frame, order] : reads) {
        EXPECT_EQ(heardFrameAt(*position, ms * kMillis), frame) << ms;
        EXPECT_EQ(heardRowAt(*position, ms * kMillis).order, order) << ms;
    }
    // The next order start after a frame: only row 0 starts count, and the end of the song is one.
    recordRowStart(*position, 6000, 4, 0);
    int64_t start = -1;
    const int64_t after[][2] = {{-1, 0}, {0, 5410}, {1441, 5410}, {5410, 6000}};  // frame, next order start
    for (const auto& [frame, next] : after) {
        EXPECT_TRUE(nextOrderStart(*position, frame, start));
        EXPECT_EQ(start, next) << "after frame " << frame;
    }
    EXPECT_FALSE(nextOrderStart(*position, 6000, start));
}

// Row start i is at frame 100 i, order i, row i % 64: a read that mixed two writes shows a row that does not
// match its order, or goes backwards. The rows and the heard clock come from two threads, as from a renderer
// and a device; under ThreadSanitizer this also shows there is no data race.
TEST(SongPositionTest, ReadsStayWholeWhileTheRendererAndTheDeviceWrite)
{
    auto position = std::make_unique<SongPosition>();
    const int rows = 200000;
    std::thread renderer([&position] {
        for (int i = 0; i < rows; ++i)
            recordRowStart(*position, int64_t{i} * 100, i, i % 64);
    });
    std::thread device([&position] {
        for (int64_t heard = 0; heard < int64_t{rows - 1} * 100;) {
            heard = std::max<int64_t>(heard, (position->rowStarts.load() - 1) * 100);
            recordHeardClock(*position, heard, 0, heard);
        }
    });
    int torn = 0;
    for (int reads = 0, last = 0; reads < 400000; ++reads) {
        SongRow row = heardRowAt(*position, 0);
        torn += row.row != row.order % 64 || row.order < last;
        last = row.order;
    }
    renderer.join();
    device.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(heardRowAt(*position, 0).order, rows - 1);
}

}  // namespace
