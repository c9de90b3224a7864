// The console operations on a terminal that understands ANSI control
// sequences. The console these pictures were made for is exactly 80 columns
// wide and wraps by itself; a terminal may be wider, so the cursor is placed
// at the start of every 80-cell row instead of relying on the terminal's wrap.

#include "screen/console.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "screen/cell_encoding.h"
#include "screen/screen_buffer.h"
#include "screen/terminal.h"

namespace {

constexpr char kSyncBegin[] = "\x1b[?2026h";  // terminals that know it show
constexpr char kSyncEnd[] = "\x1b[?2026l";    // the whole write at once

std::string output;   // reused for every write: no allocation once it has grown
int32_t cursorCell;   // where the next byte lands, as a cell of the 80-column console

void appendCursorMove(std::string& out, int32_t cell)
{
    char move[24];
    int length = snprintf(move, sizeof move, "\x1b[%d;%dH", cell / kScreenColumns + 1,
                          cell % kScreenColumns + 1);
    out.append(move, length);
}


}  // namespace

void hideCursor()
{
    terminalStart();
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
    const bool utf8 = terminalSpeaksUtf8();
    output.clear();
    output += kSyncBegin;
    if (terminalNeedsRepaint())
        output += "\x1b[2J";
    for (size_t i = 0; i < count; ++i) {
        if (i == 0 || cursorCell % kScreenColumns == 0)
            appendCursorMove(output, cursorCell);
        appendCell(output, cells[i], utf8);
        ++cursorCell;
    }
    output += kSyncEnd;
    terminalWrite(output.data(), output.size());
}
