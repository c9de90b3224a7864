// The committed song, as libopenmpt (the demo's player) sees it, with its
// default render settings: 44100 Hz float stereo, played once.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "tests/tools/module_bytes.h"

namespace {

struct LoadedSong {
    std::string log;
    std::unique_ptr<openmpt::module> module;
};

// Loaded once for all tests, its log captured.
const LoadedSong& committedSong()
{
    static LoadedSong song = [] {
        LoadedSong loaded;
        std::ostringstream log;
        loaded.module = std::make_unique<openmpt::module>(readFileBytes(COMMITTED_MODULE), log);
        loaded.log = log.str();
        return loaded;
    }();
    return song;
}

// Rendered once, on a module of its own.
const std::vector<float>& committedRender()
{
    static std::vector<float> render = [] {
        std::ostringstream log;
        openmpt::module player(readFileBytes(COMMITTED_MODULE), log);
        return renderSong(player);
    }();
    return render;
}

std::string instrumentName(const openmpt::module& module, int instrument)
{
    std::vector<std::string> names = module.get_instrument_names();
    return instrument >= 1 && instrument <= static_cast<int>(names.size()) ? names[instrument - 1] : "";
}

// Every instrument named in some cell of the song's patterns.
std::set<std::string> instrumentsPlayed(const openmpt::module& module)
{
    std::set<std::string> played;
    for (int order = 0; order < module.get_num_orders(); ++order) {
        int pattern = module.get_order_pattern(order);
        for (int row = 0; row < module.get_pattern_num_rows(pattern); ++row)
            for (int channel = 0; channel < module.get_num_channels(); ++channel)
                played.insert(instrumentName(module, module.get_pattern_row_channel_command(
                                                         pattern, row, channel,
                                                         openmpt::module::command_instrument)));
    }
    return played;
}

std::string patternText(const openmpt::module& module, int pattern)
{
    std::string text;
    for (int row = 0; row < module.get_pattern_num_rows(pattern); ++row)
        for (int channel = 0; channel < module.get_num_channels(); ++channel)
            text += module.format_pattern_row_channel(pattern, row, channel);
    return text;
}

TEST(CommittedModule, LoadsWithoutAWordInTheLog)
{
    const LoadedSong& song = committedSong();
    ASSERT_TRUE(song.module);
    EXPECT_EQ(song.log, "");
}

TEST(CommittedModule, HasThirteenOrdersOf64RowsAtSpeed6And125Bpm)
{
    const openmpt::module& module = *committedSong().module;
    EXPECT_EQ(module.get_num_orders(), 13);
    EXPECT_GE(module.get_num_channels(), 4);
    for (int order = 0; order < module.get_num_orders(); ++order)
        EXPECT_EQ(module.get_pattern_num_rows(module.get_order_pattern(order)), 64) << order;
    EXPECT_EQ(module.get_current_speed(), 6);
    EXPECT_EQ(module.get_current_tempo(), 125);
    EXPECT_EQ(module.get_metadata("type"), "xm");
}

TEST(CommittedModule, TheBandPlaysDrumsBassLeadAndChords)
{
    std::set<std::string> played = instrumentsPlayed(*committedSong().module);
    for (const char* name : {"kick", "snare", "hihat", "crash", "bass", "lead", "arpeggio", "pad"})
        EXPECT_EQ(played.count(name), 1u) << name;
}

// No two orders play the same pattern or the same notes.
TEST(CommittedModule, EveryOrderHasItsOwnMaterial)
{
    const openmpt::module& module = *committedSong().module;
    std::set<std::string> seen;
    for (int order = 0; order < module.get_num_orders(); ++order)
        EXPECT_TRUE(seen.insert(patternText(module, module.get_order_pattern(order))).second)
            << "order " << order;
}

// The bursts of scene 2 fire on rows r with (r + 1) % 8 == 0 in orders 2
// and 3: each such row has a loud snare or crash.
TEST(CommittedModule, AccentsTheBurstRowsOfOrders2And3)
{
    const openmpt::module& module = *committedSong().module;
    for (int order : {2, 3}) {
        int pattern = module.get_order_pattern(order);
        for (int row = 7; row < 64; row += 8) {
            bool accented = false;
            for (int channel = 0; channel < module.get_num_channels(); ++channel) {
                auto cell = [&](int command) {
                    return module.get_pattern_row_channel_command(pattern, row, channel, command);
                };
                std::string name = instrumentName(module, cell(openmpt::module::command_instrument));
                bool drum = cell(openmpt::module::command_note) != 0 && (name == "snare" || name == "crash");
                // Volume column command 1 sets the volume; without it the
                // sample plays at its full 64.
                bool setVolume = cell(openmpt::module::command_volumeffect) == 1;
                bool loud = !setVolume || cell(openmpt::module::command_volume) >= 56;
                accented = accented || (drum && loud);
            }
            EXPECT_TRUE(accented) << "order " << order << " row " << row;
        }
    }
}

TEST(CommittedModule, LastsBetween95And110Seconds)
{
    const LoadedSong& song = committedSong();
    EXPECT_GE(song.module->get_duration_seconds(), 95.0);
    EXPECT_LE(song.module->get_duration_seconds(), 110.0);
    double rendered = committedRender().size() / 2.0 / kRenderRate;
    EXPECT_GE(rendered, 95.0);
    EXPECT_LE(rendered, 110.0);
}

TEST(CommittedModule, PeaksAtMostOneDecibelBelowFullScale)
{
    float peak = 0.0f;
    for (float x : committedRender())
        peak = std::max(peak, std::fabs(x));
    EXPECT_LE(peak, std::pow(10.0, -1.0 / 20.0));
    EXPECT_GE(peak, std::pow(10.0, -12.0 / 20.0));  // and is not mixed timidly low
}

// No stretch longer than a second with both channels below -60 dBFS, up
// to the last frame.
TEST(CommittedModule, NeverFallsSilentForASecond)
{
    const std::vector<float>& render = committedRender();
    const float quiet = 0.001f;
    size_t run = 0, longest = 0, longestEnd = 0;
    for (size_t frame = 0; frame < render.size() / 2; ++frame) {
        bool silent = std::fabs(render[2 * frame]) < quiet && std::fabs(render[2 * frame + 1]) < quiet;
        run = silent ? run + 1 : 0;
        if (run > longest) {
            longest = run;
            longestEnd = frame;
        }
    }
    EXPECT_LE(longest, static_cast<size_t>(kRenderRate))
        << "silent until " << static_cast<double>(longestEnd) / kRenderRate << " s";
}

}  // namespace
