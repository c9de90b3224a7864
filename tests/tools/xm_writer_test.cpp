#include <gtest/gtest.h>

#include <algorithm>

#include "tests/tools/module_bytes.h"
#include "tools/xm_writer.h"

namespace {

constexpr int kChannels = 2;
constexpr size_t kFirstPattern = 336;

XmInstrument instrumentWith(std::vector<int16_t> frames, bool looped, uint32_t loopStart,
                            uint32_t loopLength)
{
    XmInstrument instrument{};
    instrument.name = "test";
    instrument.sample = XmSample{"test", frames, looped, loopStart, loopLength, 64, 0, 128, 0};
    instrument.sustainPoint = -1;
    return instrument;
}

// One C-4 on channel 0 at row 0 of a 16-row pattern; with relative note 0
// the sample then plays at 8363 frames per second.
XmSong songPlaying(XmInstrument instrument)
{
    XmSong song{"test", "test", kChannels, 6, 125, {0}, {blankXmPattern(16, kChannels)}, {instrument}};
    XmCell& cell = xmCell(song.patterns[0], kChannels, 0, 0);
    cell.note = 49;
    cell.instrument = 1;
    return song;
}

std::vector<float> renderBytes(const std::vector<uint8_t>& bytes, std::string& log)
{
    std::ostringstream logStream;
    openmpt::module module(bytes, logStream);
    log = logStream.str();
    return renderSong(module);
}

// The left channel's smallest and largest value over [from, to) seconds.
std::pair<float, float> rangeBetween(const std::vector<float>& samples, double from, double to)
{
    size_t begin = static_cast<size_t>(from * kRenderRate) * 2;
    size_t end = std::min(samples.size(), static_cast<size_t>(to * kRenderRate) * 2);
    float low = 1e9f, high = -1e9f;
    for (size_t i = begin; i < end; i += 2) {
        low = std::min(low, samples[i]);
        high = std::max(high, samples[i]);
    }
    return {low, high};
}

TEST(XmWriter, WritesTheHeaderPatternAndInstrumentLayout)
{
    std::vector<int16_t> frames = {100, -200, 300, 32767, -32768, 0};
    XmSong song = songPlaying(instrumentWith(frames, true, 2, 3));
    XmCell& full = xmCell(song.patterns[0], kChannels, 1, 1);
    full = XmCell{50, 1, 0x30, 0x0F, 0x06};
    std::vector<uint8_t> bytes = encodeXm(song);

    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 17), "Extended Module: ");
    EXPECT_EQ(bytes[37], 0x1A);
    EXPECT_EQ(read16(bytes, 58), 0x0104u);
    EXPECT_EQ(read32(bytes, 60), 276u);
    EXPECT_EQ(read16(bytes, 64), 1u);   // orders
    EXPECT_EQ(read16(bytes, 68), 2u);   // channels
    EXPECT_EQ(read16(bytes, 70), 1u);   // patterns
    EXPECT_EQ(read16(bytes, 72), 1u);   // instruments
    EXPECT_EQ(read16(bytes, 74), 1u);   // linear frequencies
    EXPECT_EQ(read16(bytes, 76), 6u);
    EXPECT_EQ(read16(bytes, 78), 125u);

    // Row 0: a note with its instrument, then an empty cell; row 1: an empty
    // cell, then a full cell as five raw bytes; 14 more empty rows.
    const std::vector<uint8_t> packed = {0x83, 49, 1, 0x80, 0x80, 50, 1, 0x30, 0x0F, 0x06};
    size_t packedSize = packed.size() + 2 * 14;
    EXPECT_EQ(read32(bytes, kFirstPattern), 9u);
    EXPECT_EQ(read16(bytes, kFirstPattern + 5), 16u);
    EXPECT_EQ(read16(bytes, kFirstPattern + 7), packedSize);
    EXPECT_TRUE(std::equal(packed.begin(), packed.end(), bytes.begin() + kFirstPattern + 9));

    size_t instrument = kFirstPattern + 9 + packedSize;
    EXPECT_EQ(read32(bytes, instrument), 263u);
    EXPECT_EQ(read16(bytes, instrument + 27), 1u);
    EXPECT_EQ(read32(bytes, instrument + 29), 40u);
    size_t sample = instrument + 263;
    EXPECT_EQ(read32(bytes, sample), 12u);      // lengths in bytes
    EXPECT_EQ(read32(bytes, sample + 4), 4u);
    EXPECT_EQ(read32(bytes, sample + 8), 6u);
    EXPECT_EQ(bytes[sample + 14], 0x11);         // 16-bit, forward loop
    ASSERT_EQ(bytes.size(), sample + 40 + 12);

    int16_t value = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
        value = static_cast<int16_t>(value + static_cast<int16_t>(read16(bytes, sample + 40 + 2 * i)));
        EXPECT_EQ(value, frames[i]) << "frame " << i;
    }
}

TEST(XmWriter, AnEmptyPatternIsStoredWithoutData)
{
    XmSong song = songPlaying(instrumentWith({1, 2}, false, 0, 0));
    song.patterns[0] = blankXmPattern(64, kChannels);
    std::vector<uint8_t> bytes = encodeXm(song);
    EXPECT_EQ(read16(bytes, kFirstPattern + 5), 64u);
    EXPECT_EQ(read16(bytes, kFirstPattern + 7), 0u);
    EXPECT_EQ(read32(bytes, kFirstPattern + 9), 263u);  // the instrument follows at once
}

TEST(XmWriter, AVolumeEnvelopeWithSustainAndVibratoAreStored)
{
    XmInstrument instrument = instrumentWith({1, 2}, false, 0, 0);
    instrument.volumeEnvelope = {{0, 0}, {10, 64}, {300, 20}};
    instrument.sustainPoint = 1;
    instrument.fadeout = 0x0800;
    instrument.vibratoSweep = 48;
    instrument.vibratoDepth = 3;
    instrument.vibratoRate = 24;
    std::vector<uint8_t> bytes = encodeXm(songPlaying(instrument));
    size_t at = kFirstPattern + 9 + read16(bytes, kFirstPattern + 7);
    EXPECT_EQ(read16(bytes, at + 129 + 8), 300u);
    EXPECT_EQ(read16(bytes, at + 129 + 10), 20u);
    EXPECT_EQ(bytes[at + 225], 3);     // points
    EXPECT_EQ(bytes[at + 227], 1);     // sustain point
    EXPECT_EQ(bytes[at + 233], 0x03);  // on, with sustain
    EXPECT_EQ(bytes[at + 236], 48);
    EXPECT_EQ(bytes[at + 237], 3);
    EXPECT_EQ(bytes[at + 238], 24);
    EXPECT_EQ(read16(bytes, at + 239), 0x0800u);
}

// What libopenmpt plays from our bytes: a steady level for exactly the
// sample's length (lengths counted in bytes, data delta-coded), then silence.
TEST(XmWriter, LibopenmptPlaysAOneShotSampleForItsWholeLength)
{
    std::vector<int16_t> frames(8363, 12000);  // one second at C-4
    std::string log;
    std::vector<float> out = renderBytes(encodeXm(songPlaying(instrumentWith(frames, false, 0, 0))), log);
    EXPECT_EQ(log, "");
    auto [low, high] = rangeBetween(out, 0.05, 0.95);
    EXPECT_GT(low, 0.05f);
    EXPECT_LT(high - low, 0.01f);
    auto [afterLow, afterHigh] = rangeBetween(out, 1.05, 1.9);
    EXPECT_GT(afterLow, -0.001f);
    EXPECT_LT(afterHigh, 0.001f);
}

// A head of positive frames, then a loop of negative ones: after the first
// pass the sound must stay in the loop, never go back to the head.
TEST(XmWriter, LibopenmptRepeatsOnlyTheLoop)
{
    std::vector<int16_t> frames(8000, 12000);
    std::fill(frames.begin() + 4000, frames.end(), -12000);
    std::string log;
    std::vector<float> out =
        renderBytes(encodeXm(songPlaying(instrumentWith(frames, true, 4000, 4000))), log);
    EXPECT_EQ(log, "");
    EXPECT_GT(rangeBetween(out, 0.05, 0.4).first, 0.05f);
    auto [low, high] = rangeBetween(out, 0.55, 1.9);  // the loop has run four times
    EXPECT_LT(high, -0.05f);
    EXPECT_LT(high - low, 0.01f);
}

}  // namespace
