// The one presenter for every platform. It keeps a copy of what the
// terminal shows and sends, for each frame, only the runs of cells that
// differ from it; how a run reaches the screen is the platform's business.

#include "screen/console.h"

#include <cstdint>
#include <cstring>

#include "platform/terminal.h"
#include "screen/screen_buffer.h"

static_assert(kScreenRows == kTerminalRows && kScreenColumns == kTerminalColumns,
              "the terminal takes runs of the screen's picture");

namespace {

uint8_t shown[kScreenCells];  // what the terminal shows, as far as anyone can tell
uint8_t frame[kScreenCells];  // what it is to show after the frame being made
int32_t cursorCell = 0;       // where the next byte lands in the frame

constexpr uint64_t kEveryByte = 0x0101010101010101;

// A row's 80 cells, one bit each (bit c for column c): set where the frame
// differs from the screen. Made eight cells at a time without a branch, so
// that the cost of a frame hardly depends on where it changed.
using RowBits = unsigned __int128;

uint64_t differingCells(const uint8_t* want, const uint8_t* have)
{
    uint64_t a, b;
    memcpy(&a, want, sizeof a);
    memcpy(&b, have, sizeof b);
    uint64_t x = a ^ b;
    x |= x >> 4;
    x |= x >> 2;
    x |= x >> 1;
    x &= kEveryByte;                           // bit 0 of each byte: that cell differs
    return (x * 0x0102040810204080) >> 56;  // gathered into one byte, cell 0 lowest
}

RowBits changedCells(const uint8_t* want, const uint8_t* have)
{
    uint64_t low = 0;
    for (int32_t column = 0; column < 64; column += 8)
        low |= differingCells(want + column, have + column) << column;
    const uint64_t high = differingCells(want + 64, have + 64) | differingCells(want + 72, have + 72) << 8;
    return static_cast<RowBits>(high) << 64 | low;
}

int32_t lowestSetBit(RowBits bits)
{
    const uint64_t low = static_cast<uint64_t>(bits);
    return low != 0 ? __builtin_ctzll(low) : 64 + __builtin_ctzll(static_cast<uint64_t>(bits >> 64));
}

// A single unchanged cell between two changed ones is sent again with them:
// on any terminal it costs no more than the shortest move over it, and one
// run costs less than two to find and to encode.
RowBits withSingleGapsFilled(RowBits changed) { return changed | ((changed >> 1) & (changed << 1)); }

void sendRow(int32_t row)
{
    const uint8_t* want = frame + row * kScreenColumns;
    RowBits changed = withSingleGapsFilled(changedCells(want, shown + row * kScreenColumns));
    while (changed != 0) {
        const int32_t column = lowestSetBit(changed);
        const int32_t count = lowestSetBit(~(changed >> column));
        terminalPutRun(row, column, count, want);
        changed &= ~((static_cast<RowBits>(2) << (column + count - 1)) - 1);
    }
}

}  // namespace

void hideCursor() { terminalStart(); }

void clearConsole()
{
    memset(shown, ' ', sizeof shown);
    memcpy(frame, shown, sizeof frame);
    cursorCell = 0;
    terminalBeginFrame(true);
    terminalEndFrame();
}

// The frame left from the last one is what the terminal shows.
void homeCursor() { cursorCell = 0; }

void writeBytes(const void* bytes, size_t count)
{
    if (cursorCell >= kScreenCells)
        return;
    const size_t room = static_cast<size_t>(kScreenCells - cursorCell);
    const size_t kept = count < room ? count : room;
    memcpy(frame + cursorCell, bytes, kept);
    cursorCell += static_cast<int32_t>(kept);
}

void sendFrame()
{
    const bool repaint = terminalNeedsRepaint();
    if (repaint)
        memset(shown, ' ', sizeof shown);
    terminalBeginFrame(repaint);
    for (int32_t row = 0; row < kScreenRows; ++row)
        sendRow(row);
    terminalEndFrame();
    memcpy(shown, frame, sizeof shown);
}
