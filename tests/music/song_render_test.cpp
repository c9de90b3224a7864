// The renderer's row starts against libopenmpt's own times for those rows,
// and the end of the song.

#include "music/song_render.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <libopenmpt/libopenmpt.hpp>
#include <sstream>

#include "music/module_file.h"
#include "tests/music/test_module.h"

namespace {

constexpr double kTolerance = 0.002;  // seconds
constexpr const char* kShowModule = SHOW_MODULE_PATH;

struct Timing {
    int rows = 0;            // row starts recorded before the end
    double worstError = 0;   // seconds
    int64_t endFrame = -1;
};

// Renders the whole module in buffers of bufferFrames and compares every row
// start with the time a second instance of the module gives for that row.
Timing checkRowTimes(const std::vector<uint8_t>& bytes, size_t bufferFrames)
{
    std::ostringstream log;
    std::unique_ptr<openmpt::module> module = openModule(bytes, log);
    std::unique_ptr<openmpt::module> reference = openModule(bytes, log);
    EXPECT_NE(module, nullptr);
    EXPECT_NE(reference, nullptr);
    if (!module || !reference) {
        return {};
    }
    // The reference counts ticks at the same mixing rate as the render.
    int16_t oneFrame[2];
    reference->read_interleaved_stereo(kSampleRate, 1, oneFrame);

    SongRender render;
    render.module = module.get();
    auto position = std::make_unique<SongPosition>();
    std::vector<int16_t> samples(2 * bufferFrames);
    Timing timing;
    int64_t seen = 0;
    int64_t previousFrame = -1;
    while (!render.ended) {
        renderSong(render, *position, samples.data(), bufferFrames);
        int64_t frame = 0;
        SongRow row{};
        for (; recordedRowStart(*position, seen, frame, row); ++seen) {
            EXPECT_GT(frame, previousFrame);
            previousFrame = frame;
            if (row.order == kOrderAfterEnd) {
                EXPECT_EQ(row.row, 0);
                timing.endFrame = frame;
                continue;
            }
            ++timing.rows;
            double expected = reference->set_position_order_row(row.order, row.row);
            double error = std::fabs(double(frame) / kSampleRate - expected);
            timing.worstError = std::max(timing.worstError, error);
            EXPECT_LE(error, kTolerance) << "order " << row.order << " row " << row.row;
        }
    }
    EXPECT_EQ(seen, timing.rows + 1) << "nothing after the end";
    EXPECT_NEAR(double(timing.endFrame) / kSampleRate, module->get_duration_seconds(), kTolerance);
    return timing;
}

TEST(SongRenderTest, EveryRowStartsWhenLibopenmptSaysItDoes)
{
    for (size_t bufferFrames : {size_t{1024}, size_t{333}, size_t{4096}}) {
        SCOPED_TRACE(bufferFrames);
        Timing timing = checkRowTimes(makeTestModule(), bufferFrames);
        EXPECT_EQ(timing.rows, kTestModuleRowsPlayed);
        RecordProperty("worst_error_us_" + std::to_string(bufferFrames),
                       static_cast<int>(timing.worstError * 1e6));
    }
}

TEST(SongRenderTest, TheShowsModuleKeepsTimeRowByRow)
{
    std::vector<uint8_t> bytes;
    struct stat status;
    if (stat(kShowModule, &status) != 0) {
        GTEST_SKIP() << kShowModule << " is not there yet";
    }
    ASSERT_TRUE(readModuleFile(kShowModule, bytes));
    Timing timing = checkRowTimes(bytes, 1024);
    EXPECT_GE(timing.rows, 13 * 64);
    RecordProperty("worst_error_us", static_cast<int>(timing.worstError * 1e6));
    RecordProperty("rows", timing.rows);
}

TEST(SongRenderTest, AfterTheEndComesSilenceAndTheEndStaysRecorded)
{
    std::ostringstream log;
    std::unique_ptr<openmpt::module> module = openModule(makeTestModule(), log);
    ASSERT_NE(module, nullptr);
    SongRender render;
    render.module = module.get();
    auto position = std::make_unique<SongPosition>();
    std::vector<int16_t> samples(2 * 1024);
    int64_t loudFrames = 0;
    while (!render.ended) {
        renderSong(render, *position, samples.data(), 1024);
        for (int16_t sample : samples) {
            loudFrames += sample != 0;
        }
    }
    EXPECT_GT(loudFrames, 0);
    int64_t end = render.framesRendered;
    for (int i = 0; i < 10; ++i) {
        std::fill(samples.begin(), samples.end(), int16_t{1});
        renderSong(render, *position, samples.data(), 1024);
        EXPECT_EQ(std::count(samples.begin(), samples.end(), int16_t{0}), 2048);
    }
    EXPECT_EQ(render.framesRendered, end + 10 * 1024);
    SongRow after = rowAtFrame(*position, render.framesRendered);
    EXPECT_EQ(after.order, kOrderAfterEnd);
    EXPECT_EQ(after.row, 0);
}

}  // namespace
