#pragma once
// The song position as the sound side publishes it and the program's thread
// reads it: where each (order, row) begins in the rendered audio (written by
// the thread that renders), and which audio frame the listener hears at a
// given moment (written by the thread that hands audio to the device, which
// may be the same). Each half has one writer; every field is atomic and a
// sequence count per half tells the reader when a write overlapped its read.

#include <atomic>
#include <cstdint>

constexpr int32_t kSampleRate = 44100;
constexpr int kRowStartSlots = 1024;    // the newest row starts kept: seconds of audio
constexpr int32_t kOrderAfterEnd = 256; // past every possible order index
constexpr int64_t kNoHeardLimit = INT64_MAX;

struct SongPosition {
    std::atomic<uint32_t> rowSequence{0};    // odd while a row start is being written
    std::atomic<uint32_t> clockSequence{0};  // odd while the clock is being written
    std::atomic<int64_t> rowStarts{0};  // how many were ever recorded
    std::atomic<int64_t> startFrame[kRowStartSlots] = {};
    std::atomic<int32_t> startOrder[kRowStartSlots] = {};
    std::atomic<int32_t> startRow[kRowStartSlots] = {};
    // The listener's clock: frame heardFrame is heard at monotonic time
    // heardNanos (often a moment ahead: the device's latency); it runs at the
    // sample rate but never passes heardLimit, so that it cannot run ahead
    // of what has been handed to the device.
    std::atomic<int64_t> heardFrame{0};
    std::atomic<int64_t> heardNanos{0};
    std::atomic<int64_t> heardLimit{0};
};

struct SongRow {
    int32_t order;
    int32_t row;
};

// Writer side.
void recordRowStart(SongPosition& position, int64_t frame, int32_t order, int32_t row);
void recordHeardClock(SongPosition& position, int64_t frame, int64_t nanos, int64_t limit);

// Reader side. The row playing at a frame: the newest row start at or before
// it, (0, 0) before the first one. When the frame is older than every row
// start still kept, the oldest one kept.
SongRow rowAtFrame(const SongPosition& position, int64_t frame);
// The frame the listener hears at monotonic time nanos.
int64_t heardFrameAt(const SongPosition& position, int64_t nanos);
// The row the listener hears at monotonic time nanos.
SongRow heardRowAt(const SongPosition& position, int64_t nanos);

// The first frame after `frame` at which an order begins (row 0), among the
// row starts recorded so far. False when none is recorded yet.
bool nextOrderStart(const SongPosition& position, int64_t frame, int64_t& start);

// The index-th row start ever recorded, when it is still kept; for checks.
bool recordedRowStart(const SongPosition& position, int64_t index, int64_t& frame, SongRow& row);
