// The console operations with the Win32 console functions, no control
// sequences: the cursor hidden through its cursor info, the buffer cleared by
// filling it, and every 80-cell row written at its own position, so the
// picture is the same on a console wider than 80 columns; a console whose
// size changed is cleared before the next write. Into a pipe or a file only
// the cell bytes go.

#include "screen/console.h"

#include <windows.h>

#include <cstdint>

#include "platform/terminal.h"
#include "platform/windows/console_output.h"
#include "screen/screen_buffer.h"

namespace {
int32_t cursorCell = 0;  // where the next byte lands, as a cell of the 80-column console
}

void hideCursor()
{
    terminalStart();
    HANDLE console = consoleOutput();
    if (console == nullptr)
        return;
    CONSOLE_CURSOR_INFO hidden = consoleCursorBefore();
    hidden.bVisible = FALSE;
    SetConsoleCursorInfo(console, &hidden);
}

void clearConsole()
{
    cursorCell = 0;
    HANDLE console = consoleOutput();
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (console == nullptr || !GetConsoleScreenBufferInfo(console, &info))
        return;
    const DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
    DWORD done = 0;
    FillConsoleOutputCharacterA(console, ' ', cells, COORD{0, 0}, &done);
    FillConsoleOutputAttribute(console, info.wAttributes, cells, COORD{0, 0}, &done);
    SetConsoleCursorPosition(console, COORD{0, 0});
}

// Only remembers the position: the next write places the cursor there.
void homeCursor() { cursorCell = 0; }

void writeBytes(const void* bytes, size_t count)
{
    const char* cells = static_cast<const char*>(bytes);
    HANDLE console = consoleOutput();
    if (console == nullptr) {
        terminalWrite(cells, count);
        return;
    }
    if (terminalNeedsRepaint()) {
        const int32_t resumeAt = cursorCell;
        clearConsole();
        cursorCell = resumeAt;
    }
    for (size_t i = 0; i < count;) {
        const COORD at = {static_cast<SHORT>(cursorCell % kScreenColumns),
                          static_cast<SHORT>(cursorCell / kScreenColumns)};
        const size_t rowLeft = kScreenColumns - cursorCell % kScreenColumns;
        const size_t run = count - i < rowLeft ? count - i : rowLeft;
        SetConsoleCursorPosition(console, at);
        terminalWrite(cells + i, run);
        cursorCell += static_cast<int32_t>(run);
        i += run;
    }
}
