// The song "qk17.xm" as the demo's player (libopenmpt, played once and stopped at the end) renders it,
// the generator that writes it, and the sample layout the writer stores.

#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "tools/xm_writer.h"

using openmpt::module;
constexpr int kRate = 44100;

static std::vector<uint8_t> fileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

// The bytes make_module writes, into a file of this process's own.
static std::vector<uint8_t> generate(const std::string& option)
{
    const std::string path = "make_module_test_" + std::to_string(getpid()) + ".xm";
    EXPECT_EQ(std::system(("'" MAKE_MODULE_BINARY "' " + option + " " + path).c_str()), 0);
    std::vector<uint8_t> bytes = fileBytes(path);
    unlink(path.c_str());
    return bytes;
}

// Loads a module as the demo does; libopenmpt must have nothing to say about it.
static std::unique_ptr<module> load(const std::vector<uint8_t>& bytes = fileBytes(SHOW_MODULE_PATH))
{
    std::ostringstream log;
    auto song = std::make_unique<module>(bytes, log, std::map<std::string, std::string>{{"play.at_end", "stop"}});
    EXPECT_EQ(log.str(), "");
    return song;
}

// Plays the song to its end, as interleaved stereo.
static std::vector<float> render(module& song)
{
    std::vector<float> out, block(2 * 256);
    while (const size_t frames = song.read_interleaved_stereo(kRate, 256, block.data()))
        out.insert(out.end(), block.begin(), block.begin() + 2 * frames);
    return out;
}

// The schedule ends the last scene at order 12 or at row 85 of order 11: when, in seconds, libopenmpt says.
static double lastSceneEnd(module& song)
{
    if (song.get_pattern_num_rows(song.get_order_pattern(11)) > 85)
        return song.set_position_order_row(11, 85);
    return song.set_position_order_row(12, 0);
}

static double peakDecibels(const std::vector<float>& out, double from, double to)
{
    float peak = 0.0f;
    for (size_t i = 2 * static_cast<size_t>(from * kRate); i < std::min(out.size(), 2 * size_t(to * kRate)); ++i)
        peak = std::max(peak, std::fabs(out[i]));
    return peak > 0.0f ? 20.0 * std::log10(peak) : -999.0;
}

TEST(Generator, WritesTheCommittedModuleAgainByteForByte)
{
    EXPECT_TRUE(generate("") == fileBytes(SHOW_MODULE_PATH));
}

// Scenes end at orders 2, 4, 6, 8 and the last as above. The ball scene's bursts, on rows r with
// (r + 1) % 8 == 0 of orders 2 and 3, fall on accented hits; the farewell (from order 8) lasts for its text
// to scroll through once (28.8 s); the show lasts 90-110 s.
TEST(CommittedModule, LayoutFitsTheScheduleAndTheBurstsFallOnAccents)
{
    std::unique_ptr<module> loaded = load();
    module& song = *loaded;
    ASSERT_GT(song.get_num_orders(), 12) << "the last scene must end before the song";
    std::vector<bool> snareOrCrash(1, false);  // by instrument number; 0 is none
    for (const std::string& name : song.get_instrument_names())
        snareOrCrash.push_back(name == "snare" || name == "crash");
    for (int order = 2; order <= 3; ++order) {
        const int pattern = song.get_order_pattern(order);
        ASSERT_GE(song.get_pattern_num_rows(pattern), 64) << "order " << order;
        for (int row = 7; row < song.get_pattern_num_rows(pattern); row += 8) {
            bool accent = false;
            for (int c = 0; c < song.get_num_channels(); ++c) {
                auto at = [&](int what) { return song.get_pattern_row_channel_command(pattern, row, c, what); };
                // Volume column effect 1 sets the volume; without it the sample plays at 64.
                accent |= at(module::command_note) && snareOrCrash.at(at(module::command_instrument)) &&
                          (at(module::command_volumeffect) != 1 || at(module::command_volume) >= 56);
            }
            EXPECT_TRUE(accent) << "no accent in order " << order << " row " << row;
        }
    }
    const double end = lastSceneEnd(song);
    EXPECT_GE(end - song.set_position_order_row(8, 0), 28.8);
    EXPECT_GE(end, 90.0);
    EXPECT_LE(end, 110.0);
}

// A held tone (bass, lead, arpeggio, pad) sounds until released: one left sounding through a whole order in
// which its channel plays nothing is a forgotten release, droning on under the next scene.
TEST(CommittedModule, NoHeldNoteDronesThroughAnOrderOfItsChannelsSilence)
{
    std::unique_ptr<module> loaded = load();
    module& song = *loaded;
    std::vector<bool> held(1, false);  // by instrument number
    for (const std::string& name : song.get_instrument_names())
        held.push_back(name == "bass" || name.rfind("lead", 0) == 0 || name == "arpeggio" || name.rfind("pad", 0) == 0);
    const int keyOff = 255, noteCut = 254;  // libopenmpt's codes
    std::vector<int> sounding(song.get_num_channels(), -1);  // the order its note began in
    for (int order = 0; order < song.get_num_orders(); ++order) {
        const int pattern = song.get_order_pattern(order);
        std::vector<bool> busy(song.get_num_channels(), false);
        for (int row = 0; row < song.get_pattern_num_rows(pattern); ++row)
            for (int c = 0; c < song.get_num_channels(); ++c) {
                auto at = [&](int what) { return song.get_pattern_row_channel_command(pattern, row, c, what); };
                auto shown = [&](int what) { return song.format_pattern_row_channel_command(pattern, row, c, what); };
                const int note = at(module::command_note), instrument = at(module::command_instrument);
                const bool cut = shown(module::command_effect) == "E" && shown(module::command_parameter)[0] == 'C';
                busy[c] = busy[c] || note != 0;
                if (note == keyOff || note == noteCut || cut)
                    sounding[c] = -1;
                else if (note != 0 && instrument != 0)
                    sounding[c] = held.at(instrument) ? order : -1;
            }
        for (int c = 0; c < song.get_num_channels(); ++c)
            EXPECT_FALSE(!busy[c] && sounding[c] >= 0 && sounding[c] < order)
                << "channel " << c << " holds a note from order " << sounding[c] << " through order " << order;
    }
}

// Nothing clips, the music never stops for more than a second before the last scene ends, and the song ends
// at most 3 s after it, once the final hit has died below -50 dBFS (and before the process ends, 3 s on).
TEST(CommittedModule, PlaysWithoutGapsAndTheEndingDecaysBeforeTheSongEnds)
{
    const double end = lastSceneEnd(*load());
    const std::vector<float> out = render(*load());
    const double length = static_cast<double>(out.size()) / (2 * kRate);
    EXPECT_GT(length, end);
    EXPECT_LE(length, end + 3.0);
    EXPECT_LT(peakDecibels(out, 0.0, length), 0.0);
    size_t quietRun = 0, longestQuiet = 0;
    for (size_t i = 0; i + 1 < out.size() && i < 2 * static_cast<size_t>(end * kRate); i += 2) {
        quietRun = std::max(std::fabs(out[i]), std::fabs(out[i + 1])) < 0.001f ? quietRun + 1 : 0;
        longestQuiet = std::max(longestQuiet, quietRun);
    }
    EXPECT_LE(longestQuiet, static_cast<size_t>(kRate));
    EXPECT_GT(peakDecibels(out, end, end + 0.5), -12.0);  // the hit itself is loud
    EXPECT_LT(peakDecibels(out, length - 0.1, length), -50.0);
    EXPECT_LT(peakDecibels(out, end + 2.9, end + 3.0), -50.0);
}

// A head of 4000 positive frames, then a loop of 4000 negative ones, at C-4 (8363 frames a second): the head
// sounds once, then only the loop, level and steady. Lengths in frames instead of bytes, or samples stored raw
// instead of delta-coded, still load but fail this.
TEST(XmWriter, LibopenmptPlaysTheHeadOnceThenOnlyTheLoop)
{
    XmSample sample{"test", std::vector<int16_t>(4000, 12000), true, 4000, 4000, 64, 0, 128, 0};
    sample.frames.resize(8000, -12000);
    XmSong xm{"test", "test", 2, 6, 125, {0}, {blankXmPattern(16, 2)}, {{"test", sample, {}, -1, 0, 0, 0, 0}}};
    xmCell(xm.patterns[0], 2, 0, 0) = XmCell{49, 1, 0, 0, 0};
    std::vector<float> out = render(*load(encodeXm(xm)));
    out.resize(4 * kRate);  // two seconds; a shorter render is padded with silence, which fails below
    // Both sides alike: 0.05-0.4 s plays the head, 0.55-1.9 s the loop four times over.
    EXPECT_GT(*std::min_element(out.begin() + kRate / 10, out.begin() + 8 * kRate / 10), 0.05f);
    auto loop = std::minmax_element(out.begin() + 11 * kRate / 10, out.begin() + 38 * kRate / 10);
    EXPECT_LT(*loop.second, -0.05f);
    EXPECT_LT(*loop.second - *loop.first, 0.01f);
}
