// The console operations on a terminal that understands ANSI control
// sequences. The console these pictures were made for is exactly 80 columns
// wide and wraps by itself; a terminal may be wider, so the cursor is placed
// at the start of every 80-cell row instead of relying on the terminal's wrap.
// Automatic wrap is off while a write goes out: on a terminal narrower than
// 80 columns the rest of a row piles up in its last column instead of
// wrapping onto the next row or scrolling the screen, and rows below the
// terminal's last one land on that last one.

#include "screen/console.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "screen/cell_encoding.h"
#include "screen/screen_buffer.h"
#include "platform/terminal.h"

namespace {

constexpr char kSyncBegin[] = "\x1b[?2026h";  // terminals that know it show
constexpr char kSyncEnd[] = "\x1b[?2026l";    // the whole write at once
constexpr char kWrapOff[] = "\x1b[?7l";
constexpr char kWrapOn[] = "\x1b[?7h";
constexpr char kClearScreen[] = "\x1b[2J";
constexpr size_t kCursorMoveSize = 16;        // ESC [ row ; column H, a 10-digit row at most

std::string output;   // reused for every write: no allocation once it has grown
int32_t cursorCell;   // where the next byte lands, as a cell of the 80-column console

// The longest write of `count` cells.
size_t longestWrite(size_t count)
{
    const size_t rows = count / kScreenColumns + 2;
    return sizeof kSyncBegin + sizeof kWrapOff + sizeof kClearScreen + rows * kCursorMoveSize +
           count * sizeof CellBytes::bytes + sizeof kWrapOn + sizeof kSyncEnd;
}

char* appendText(char* out, const char* text, size_t length)
{
    memcpy(out, text, length);
    return out + length;
}

char* appendNumber(char* out, int32_t number)
{
    char digits[12];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number > 0);
    while (count > 0)
        *out++ = digits[--count];
    return out;
}

char* appendCursorMove(char* out, int32_t cell)
{
    out = appendText(out, "\x1b[", 2);
    out = appendNumber(out, cell / kScreenColumns + 1);
    *out++ = ';';
    out = appendNumber(out, cell % kScreenColumns + 1);
    *out++ = 'H';
    return out;
}

}  // namespace

// The output buffer is sized for a whole frame here, so the show itself
// never allocates in the console.
void hideCursor()
{
    terminalStart();
    output.resize(longestWrite(kScreenCells));
    terminalWrite("\x1b[?25l", 6);
}

void clearConsole()
{
    terminalWrite("\x1b[H\x1b[2J", 7);
    cursorCell = 0;
}

// Only remembers the position: the next write starts by moving the cursor
// there, so a frame costs one write.
void homeCursor() { cursorCell = 0; }

void writeBytes(const void* bytes, size_t count)
{
    const uint8_t* cells = static_cast<const uint8_t*>(bytes);
    const size_t longest = longestWrite(count);
    if (output.size() < longest)
        output.resize(longest);

    char* out = &output[0];
    out = appendText(out, kSyncBegin, sizeof kSyncBegin - 1);
    out = appendText(out, kWrapOff, sizeof kWrapOff - 1);
    // After a stop or a resize the screen is cleared when a frame starts at
    // the top-left cell, so the repaint is whole: the logo's later lines
    // never clear away its earlier ones.
    if (cursorCell == 0 && terminalNeedsRepaint())
        out = appendText(out, kClearScreen, sizeof kClearScreen - 1);
    const CellBytes* encoded = cellTable(terminalSpeaksUtf8());
    for (size_t i = 0; i < count;) {
        out = appendCursorMove(out, cursorCell);
        const size_t rowLeft = kScreenColumns - cursorCell % kScreenColumns;
        const size_t rowEnd = i + rowLeft < count ? i + rowLeft : count;
        cursorCell += static_cast<int32_t>(rowEnd - i);
        for (; i < rowEnd; ++i) {
            const CellBytes& cell = encoded[cells[i]];
            memcpy(out, cell.bytes, sizeof cell.bytes);  // room for three: cheaper than a branch
            out += cell.length;
        }
    }
    out = appendText(out, kWrapOn, sizeof kWrapOn - 1);
    out = appendText(out, kSyncEnd, sizeof kSyncEnd - 1);
    terminalWrite(output.data(), static_cast<size_t>(out - output.data()));
}
