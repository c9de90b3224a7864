#include "tools/xm_writer.h"

#include <algorithm>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kSongHeaderSize = 276;  // counted from the field itself
constexpr uint32_t kPatternHeaderSize = 9;
constexpr uint32_t kInstrumentHeaderSize = 263;
constexpr uint32_t kSampleHeaderSize = 40;
constexpr int kEnvelopePoints = 12;

void put8(Bytes& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
}

void put16(Bytes& out, uint32_t value)
{
    put8(out, value);
    put8(out, value >> 8);
}

void put32(Bytes& out, uint32_t value)
{
    put16(out, value);
    put16(out, value >> 16);
}

// A fixed-size text field, padded with zero bytes (cut if too long).
void putText(Bytes& out, const std::string& text, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        put8(out, i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
}

void putZeros(Bytes& out, size_t count)
{
    out.insert(out.end(), count, 0);
}

void putSongHeader(Bytes& out, const XmSong& song)
{
    putText(out, "Extended Module: ", 17);
    putText(out, song.name, 20);
    put8(out, 0x1A);
    putText(out, song.tracker, 20);
    put16(out, 0x0104);
    put32(out, kSongHeaderSize);
    put16(out, static_cast<uint32_t>(song.orders.size()));
    put16(out, 0);  // restart position
    put16(out, song.channels);
    put16(out, static_cast<uint32_t>(song.patterns.size()));
    put16(out, static_cast<uint32_t>(song.instruments.size()));
    put16(out, 1);  // linear frequency table
    put16(out, song.speed);
    put16(out, song.bpm);
    for (size_t i = 0; i < 256; ++i)
        put8(out, i < song.orders.size() ? song.orders[i] : 0);
}

// A cell with every field set is stored as five raw bytes; any other cell
// as a mask byte followed by just the fields it has.
void packCell(Bytes& out, const XmCell& cell)
{
    const uint8_t fields[5] = {cell.note, cell.instrument, cell.volume, cell.effect, cell.param};
    uint8_t mask = 0x80;
    for (int i = 0; i < 5; ++i)
        if (fields[i] != 0)
            mask |= static_cast<uint8_t>(1 << i);
    if (mask == 0x9F) {
        out.insert(out.end(), fields, fields + 5);
        return;
    }
    put8(out, mask);
    for (int i = 0; i < 5; ++i)
        if (fields[i] != 0)
            put8(out, fields[i]);
}

void putPattern(Bytes& out, const XmPattern& pattern)
{
    // A pattern without notes or effects is stored without data.
    bool empty = std::all_of(pattern.cells.begin(), pattern.cells.end(), [](const XmCell& c) {
        return c.note == 0 && c.instrument == 0 && c.volume == 0 && c.effect == 0 && c.param == 0;
    });
    Bytes packed;
    if (!empty)
        for (const XmCell& cell : pattern.cells)
            packCell(packed, cell);
    put32(out, kPatternHeaderSize);
    put8(out, 0);  // packing type
    put16(out, pattern.rows);
    put16(out, static_cast<uint32_t>(packed.size()));
    out.insert(out.end(), packed.begin(), packed.end());
}

void putEnvelope(Bytes& out, const std::vector<XmEnvelopePoint>& points)
{
    for (int i = 0; i < kEnvelopePoints; ++i) {
        bool used = i < static_cast<int>(points.size());
        put16(out, used ? points[i].tick : 0);
        put16(out, used ? points[i].value : 0);
    }
}

void putSampleHeader(Bytes& out, const XmSample& sample)
{
    const uint32_t bytesPerFrame = 2;
    put32(out, static_cast<uint32_t>(sample.frames.size()) * bytesPerFrame);
    put32(out, sample.looped ? sample.loopStart * bytesPerFrame : 0);
    put32(out, sample.looped ? sample.loopLength * bytesPerFrame : 0);
    put8(out, sample.volume);
    put8(out, static_cast<uint8_t>(sample.finetune));
    put8(out, 0x10 | (sample.looped ? 1 : 0));  // 16-bit, forward loop
    put8(out, sample.panning);
    put8(out, static_cast<uint8_t>(sample.relativeNote));
    put8(out, 0);
    putText(out, sample.name, 22);
}

// Each stored value is the difference to the previous frame.
void putSampleData(Bytes& out, const std::vector<int16_t>& frames)
{
    int16_t previous = 0;
    for (int16_t frame : frames) {
        put16(out, static_cast<uint16_t>(frame - previous));
        previous = frame;
    }
}

void putInstrument(Bytes& out, const XmInstrument& instrument)
{
    const auto& envelope = instrument.volumeEnvelope;
    put32(out, kInstrumentHeaderSize);
    putText(out, instrument.name, 22);
    put8(out, 0);  // type
    put16(out, 1);  // one sample
    put32(out, kSampleHeaderSize);
    putZeros(out, 96);  // every key plays sample 0
    putEnvelope(out, envelope);
    putEnvelope(out, {});  // no panning envelope
    put8(out, static_cast<uint32_t>(envelope.size()));
    put8(out, 0);
    put8(out, instrument.sustainPoint < 0 ? 0 : instrument.sustainPoint);
    put8(out, 0);  // volume loop start
    put8(out, 0);  // volume loop end
    putZeros(out, 3);  // panning sustain and loop
    uint8_t volumeType = 0;
    if (!envelope.empty())
        volumeType |= 1;
    if (!envelope.empty() && instrument.sustainPoint >= 0)
        volumeType |= 2;
    put8(out, volumeType);
    put8(out, 0);  // panning envelope off
    put8(out, 0);  // vibrato waveform: sine
    put8(out, instrument.vibratoSweep);
    put8(out, instrument.vibratoDepth);
    put8(out, instrument.vibratoRate);
    put16(out, instrument.fadeout);
    putZeros(out, 22);
    putSampleHeader(out, instrument.sample);
    putSampleData(out, instrument.sample.frames);
}

}  // namespace

XmPattern blankXmPattern(int rows, int channels)
{
    return XmPattern{rows, std::vector<XmCell>(static_cast<size_t>(rows * channels), XmCell{})};
}

XmCell& xmCell(XmPattern& pattern, int channels, int row, int channel)
{
    return pattern.cells[static_cast<size_t>(row * channels + channel)];
}

std::vector<uint8_t> encodeXm(const XmSong& song)
{
    Bytes out;
    putSongHeader(out, song);
    for (const XmPattern& pattern : song.patterns)
        putPattern(out, pattern);
    for (const XmInstrument& instrument : song.instruments)
        putInstrument(out, instrument);
    return out;
}
