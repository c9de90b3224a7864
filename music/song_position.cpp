#include "music/song_position.h"

#include <algorithm>
#include <thread>

#include "platform/clock.h"

// A sequence lock without fences: the writer makes the count odd, stores the
// fields with release order and makes the count even again; the reader loads
// the fields with acquire order, so a field it read from an overlapping write
// guarantees that it then sees the changed count and reads again.

static constexpr std::memory_order kRelaxed = std::memory_order_relaxed;
static constexpr std::memory_order kRelease = std::memory_order_release;
static constexpr std::memory_order kAcquire = std::memory_order_acquire;

static constexpr int64_t kLongestExtrapolation = 3600 * kNanosPerSecond;

using Sequence = std::atomic<uint32_t>;

static void beginWrite(Sequence& sequence)
{
    sequence.store(sequence.load(kRelaxed) + 1, kRelaxed);
}

static void endWrite(Sequence& sequence)
{
    sequence.store(sequence.load(kRelaxed) + 1, kRelease);
}

static uint32_t beginRead(const Sequence& sequence)
{
    for (;;) {
        uint32_t count = sequence.load(kAcquire);
        if ((count & 1) == 0) {
            return count;
        }
        std::this_thread::yield();
    }
}

static bool readWasWhole(const Sequence& sequence, uint32_t count)
{
    return sequence.load(kRelaxed) == count;
}

void recordRowStart(SongPosition& position, int64_t frame, int32_t order, int32_t row)
{
    int64_t count = position.rowStarts.load(kRelaxed);
    int slot = static_cast<int>(count % kRowStartSlots);
    beginWrite(position.rowSequence);
    position.startFrame[slot].store(frame, kRelease);
    position.startOrder[slot].store(order, kRelease);
    position.startRow[slot].store(row, kRelease);
    position.rowStarts.store(count + 1, kRelease);
    endWrite(position.rowSequence);
}

void recordHeardClock(SongPosition& position, int64_t frame, int64_t nanos, int64_t limit)
{
    beginWrite(position.clockSequence);
    position.heardFrame.store(frame, kRelease);
    position.heardNanos.store(nanos, kRelease);
    position.heardLimit.store(limit, kRelease);
    endWrite(position.clockSequence);
}

static SongRow rowInSlot(const SongPosition& position, int slot)
{
    return {position.startOrder[slot].load(kAcquire), position.startRow[slot].load(kAcquire)};
}

static SongRow readRowAtFrame(const SongPosition& position, int64_t frame)
{
    int64_t count = position.rowStarts.load(kAcquire);
    int64_t oldest = std::max<int64_t>(0, count - kRowStartSlots);
    for (int64_t index = count - 1; index >= oldest; --index) {
        int slot = static_cast<int>(index % kRowStartSlots);
        if (position.startFrame[slot].load(kAcquire) <= frame) {
            return rowInSlot(position, slot);
        }
    }
    if (count <= kRowStartSlots) {
        return {0, 0};
    }
    return rowInSlot(position, static_cast<int>(oldest % kRowStartSlots));
}

static int64_t readHeardFrame(const SongPosition& position, int64_t nanos)
{
    int64_t frame = position.heardFrame.load(kAcquire);
    int64_t since = nanos - position.heardNanos.load(kAcquire);
    int64_t limit = position.heardLimit.load(kAcquire);
    since = std::clamp<int64_t>(since, -kLongestExtrapolation, kLongestExtrapolation);
    int64_t heard = frame + since * kSampleRate / kNanosPerSecond;
    return std::min(heard, limit);
}

SongRow rowAtFrame(const SongPosition& position, int64_t frame)
{
    for (;;) {
        uint32_t sequence = beginRead(position.rowSequence);
        SongRow row = readRowAtFrame(position, frame);
        if (readWasWhole(position.rowSequence, sequence)) {
            return row;
        }
    }
}

int64_t heardFrameAt(const SongPosition& position, int64_t nanos)
{
    for (;;) {
        uint32_t sequence = beginRead(position.clockSequence);
        int64_t heard = readHeardFrame(position, nanos);
        if (readWasWhole(position.clockSequence, sequence)) {
            return heard;
        }
    }
}

SongRow heardRowAt(const SongPosition& position, int64_t nanos)
{
    return rowAtFrame(position, heardFrameAt(position, nanos));
}

static bool readNextOrderStart(const SongPosition& position, int64_t frame, int64_t& start)
{
    int64_t count = position.rowStarts.load(kAcquire);
    int64_t oldest = std::max<int64_t>(0, count - kRowStartSlots);
    bool found = false;
    for (int64_t index = count - 1; index >= oldest; --index) {
        int slot = static_cast<int>(index % kRowStartSlots);
        int64_t at = position.startFrame[slot].load(kAcquire);
        if (at <= frame) {
            break;
        }
        if (position.startRow[slot].load(kAcquire) == 0) {
            start = at;
            found = true;
        }
    }
    return found;
}

bool nextOrderStart(const SongPosition& position, int64_t frame, int64_t& start)
{
    for (;;) {
        uint32_t sequence = beginRead(position.rowSequence);
        bool found = readNextOrderStart(position, frame, start);
        if (readWasWhole(position.rowSequence, sequence)) {
            return found;
        }
    }
}

bool recordedRowStart(const SongPosition& position, int64_t index, int64_t& frame, SongRow& row)
{
    for (;;) {
        uint32_t sequence = beginRead(position.rowSequence);
        int64_t count = position.rowStarts.load(kAcquire);
        bool kept = index >= 0 && index < count && index >= count - kRowStartSlots;
        if (kept) {
            int slot = static_cast<int>(index % kRowStartSlots);
            frame = position.startFrame[slot].load(kAcquire);
            row = rowInSlot(position, slot);
        }
        if (readWasWhole(position.rowSequence, sequence)) {
            return kept;
        }
    }
}
