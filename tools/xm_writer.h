#pragma once
// The byte layout of an XM module: plain records in, file bytes out.

#include <cstdint>
#include <string>
#include <vector>

constexpr uint8_t kXmKeyOff = 97;

// One cell; 0 means "empty" for every field. volume is the raw volume
// column byte (0x10 + volume for "set volume").
struct XmCell {
    uint8_t note;
    uint8_t instrument;
    uint8_t volume;
    uint8_t effect;
    uint8_t param;
};

struct XmPattern {
    int rows;
    std::vector<XmCell> cells;  // rows x channels, row by row
};

// 16-bit sample; loop points count frames (the file stores bytes).
struct XmSample {
    std::string name;
    std::vector<int16_t> frames;
    bool looped;
    uint32_t loopStart;
    uint32_t loopLength;
    uint8_t volume;  // 0-64
    int8_t finetune;
    uint8_t panning;  // 0-255, 128 centre
    int8_t relativeNote;
};

struct XmEnvelopePoint {
    uint16_t tick;
    uint16_t value;  // 0-64
};

struct XmInstrument {
    std::string name;
    XmSample sample;
    std::vector<XmEnvelopePoint> volumeEnvelope;  // empty: no envelope
    int sustainPoint;  // -1: none
    uint16_t fadeout;
    uint8_t vibratoSweep;
    uint8_t vibratoDepth;
    uint8_t vibratoRate;
};

struct XmSong {
    std::string name;
    std::string tracker;
    int channels;
    int speed;
    int bpm;
    std::vector<uint8_t> orders;
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

XmPattern blankXmPattern(int rows, int channels);
XmCell& xmCell(XmPattern& pattern, int channels, int row, int channel);

std::vector<uint8_t> encodeXm(const XmSong& song);
