#include "tests/music/test_module.h"

#include <cstdio>
#include <cstring>

namespace {

struct Cell {
    uint8_t note = 0;
    uint8_t instrument = 0;
    uint8_t volume = 0;
    uint8_t effect = 0;
    uint8_t parameter = 0;
};

constexpr int kChannels = 2;
constexpr uint8_t kSpeedOrTempo = 0x0F;
constexpr uint8_t kPatternBreak = 0x0D;
constexpr uint8_t kExtended = 0x0E;

void put8(std::vector<uint8_t>& out, unsigned value)
{
    out.push_back(static_cast<uint8_t>(value));
}

void put16(std::vector<uint8_t>& out, unsigned value)
{
    put8(out, value & 0xFF);
    put8(out, value >> 8);
}

void put32(std::vector<uint8_t>& out, uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

void putText(std::vector<uint8_t>& out, const char* text, size_t width)
{
    for (size_t i = 0; i < width; ++i) {
        put8(out, i < strlen(text) ? static_cast<uint8_t>(text[i]) : 0);
    }
}

void putHeader(std::vector<uint8_t>& out, const std::vector<uint8_t>& orders, unsigned patterns)
{
    putText(out, "Extended Module: ", 17);
    putText(out, "row clock check", 20);
    put8(out, 0x1A);
    putText(out, "textdemo tests", 20);
    put16(out, 0x0104);
    put32(out, 276);
    put16(out, static_cast<unsigned>(orders.size()));
    put16(out, 0);  // restart position
    put16(out, kChannels);
    put16(out, patterns);
    put16(out, 1);  // instruments
    put16(out, 1);  // linear frequencies
    put16(out, 6);  // speed
    put16(out, 125);
    for (size_t i = 0; i < 256; ++i) {
        put8(out, i < orders.size() ? orders[i] : 0);
    }
}

// Notes on every fourth row in channel 0 and every eighth in channel 1.
std::vector<Cell> patternWithNotes(int rows, uint8_t rootNote)
{
    std::vector<Cell> cells(static_cast<size_t>(rows * kChannels));
    for (int row = 0; row < rows; ++row) {
        if (row % 4 == 0) {
            cells[row * kChannels] = {static_cast<uint8_t>(rootNote + row % 12), 1, 0, 0, 0};
        }
        if (row % 8 == 0) {
            cells[row * kChannels + 1] = {static_cast<uint8_t>(rootNote - 12), 1, 0x40, 0, 0};
        }
    }
    return cells;
}

void setEffect(std::vector<Cell>& cells, int row, int channel, uint8_t effect, uint8_t parameter)
{
    cells[row * kChannels + channel].effect = effect;
    cells[row * kChannels + channel].parameter = parameter;
}

void putPattern(std::vector<uint8_t>& out, const std::vector<Cell>& cells)
{
    std::vector<uint8_t> packed;
    for (const Cell& cell : cells) {
        if (cell.note == 0 && cell.instrument == 0 && cell.volume == 0 && cell.effect == 0 &&
            cell.parameter == 0) {
            put8(packed, 0x80);
            continue;
        }
        put8(packed, cell.note);
        put8(packed, cell.instrument);
        put8(packed, cell.volume);
        put8(packed, cell.effect);
        put8(packed, cell.parameter);
    }
    put32(out, 9);
    put8(out, 0);
    put16(out, static_cast<unsigned>(cells.size() / kChannels));
    put16(out, static_cast<unsigned>(packed.size()));
    out.insert(out.end(), packed.begin(), packed.end());
}

void putInstrument(std::vector<uint8_t>& out)
{
    constexpr int kFrames = 256;
    constexpr int kPeriod = 32;
    put32(out, 263);
    putText(out, "square", 22);
    put8(out, 0);
    put16(out, 1);   // samples
    put32(out, 40);  // sample header size
    for (int i = 0; i < 96 + 48 + 48 + 14; ++i) {
        put8(out, 0);  // keymap, envelopes, their points and types, vibrato
    }
    put16(out, 0);  // fadeout
    for (int i = 0; i < 22; ++i) {
        put8(out, 0);
    }
    put32(out, 2 * kFrames);  // length, loop start and loop length in bytes
    put32(out, 0);
    put32(out, 2 * kFrames);
    put8(out, 48);    // volume
    put8(out, 0);     // finetune
    put8(out, 0x11);  // forward loop, 16-bit
    put8(out, 128);   // panning
    put8(out, 0);     // relative note
    put8(out, 0);
    putText(out, "square", 22);
    int16_t previous = 0;
    for (int i = 0; i < kFrames; ++i) {
        int16_t value = (i % kPeriod) < kPeriod / 2 ? 6000 : -6000;
        put16(out, static_cast<uint16_t>(value - previous));
        previous = value;
    }
}

}  // namespace

std::vector<uint8_t> makeTestModule()
{
    std::vector<uint8_t> out;
    putHeader(out, {0, 1, 2, 0}, 3);

    std::vector<Cell> first = patternWithNotes(64, 49);
    setEffect(first, 0, 0, kSpeedOrTempo, 6);
    setEffect(first, 0, 1, kSpeedOrTempo, 125);
    putPattern(out, first);

    std::vector<Cell> second = patternWithNotes(32, 53);
    setEffect(second, 0, 1, kSpeedOrTempo, 137);
    putPattern(out, second);

    std::vector<Cell> third = patternWithNotes(64, 56);
    setEffect(third, 0, 1, kSpeedOrTempo, 4);
    setEffect(third, 16, 1, kSpeedOrTempo, 150);
    setEffect(third, 40, 0, kExtended, 0xE2);  // the row lasts three times as long
    setEffect(third, 47, 1, kPatternBreak, 0);
    putPattern(out, third);

    putInstrument(out);
    return out;
}

std::vector<uint8_t> makeBriefTestModule()
{
    std::vector<uint8_t> out;
    putHeader(out, {0}, 1);
    std::vector<Cell> only = patternWithNotes(kBriefModuleRows, 49);
    setEffect(only, 0, 0, kSpeedOrTempo, 2);
    setEffect(only, 0, 1, kSpeedOrTempo, 250);
    putPattern(out, only);
    putInstrument(out);
    return out;
}

bool writeFileBytes(const char* fileName, const std::vector<uint8_t>& bytes)
{
    FILE* file = fopen(fileName, "wb");
    if (file == nullptr) {
        return false;
    }
    bool written = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}
