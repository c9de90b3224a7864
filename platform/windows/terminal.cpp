// The terminal on Windows: the console behind standard output, taken over
// with code page 437 (so that cell bytes show as the characters they are),
// the cursor hidden and no wrap at the line's end, and given back, cursor
// shown, at every way out: normal end, error exits, Ctrl-C, Ctrl-Break and
// the console window closing, or earlier by terminalEnd. The last picture
// stays on it. A frame is console calls, no control sequences: every run is
// written at its own position, so the picture is the same on a console wider
// than 80 columns. Into a pipe or a file only the runs' cells go.

#include <windows.h>

#include <cstdlib>

#include "platform/terminal.h"

namespace {

// A run written through a few unchanged cells costs less than a cursor
// move and another write.
constexpr int32_t kGapWrittenThrough = 8;

bool started = false;
HANDLE output = INVALID_HANDLE_VALUE;
HANDLE console = nullptr;  // output, when it is a console we changed
UINT savedCodePage = 0;
DWORD savedMode = 0;
CONSOLE_CURSOR_INFO savedCursor = {25, TRUE};
COORD bufferSize = {0, 0};  // the console's size when last looked at
// Held for every write and by the release, so that a Ctrl-C from the
// console's own thread never lands in the middle of a frame.
CRITICAL_SECTION writing;
bool released = false;

// The run being gathered: written when the next one is too far away.
struct PendingRun {
    int32_t row = -1;
    int32_t column = 0;
    int32_t end = 0;
    const uint8_t* rowCells = nullptr;
};
PendingRun pending;

bool missedWrite = false;  // part of a frame did not get through

void writeAll(const char* bytes, size_t count)
{
    while (count > 0) {
        DWORD written = 0;
        DWORD asked = count > 0x10000 ? 0x10000 : static_cast<DWORD>(count);
        if (!WriteFile(output, bytes, asked, &written, nullptr) || written == 0) {
            missedWrite = true;
            return;
        }
        bytes += written;
        count -= written;
    }
}

// Shows the cursor on the line below the picture, with the modes put back and
// the keys typed during the show dropped. The code page stays until the
// process ends, so that a last message still shows its code page 437 bytes.
void releaseConsole()
{
    EnterCriticalSection(&writing);
    if (!released && console != nullptr) {
        released = true;
        CONSOLE_CURSOR_INFO shown = savedCursor;
        shown.bVisible = TRUE;
        SetConsoleCursorInfo(console, &shown);
        SetConsoleMode(console, savedMode);
        SetConsoleCursorPosition(console, COORD{0, kTerminalRows - 1});
        writeAll("\r\n", 2);
        FlushConsoleInputBuffer(GetStdHandle(STD_INPUT_HANDLE));
    }
    LeaveCriticalSection(&writing);
}

void releaseAtExit()
{
    releaseConsole();
    SetConsoleOutputCP(savedCodePage);
}

// Runs on a thread of its own while the others go on. The console is given
// back and the process ends at once, as it would without the handler; the
// lock is never released, so no frame follows.
BOOL WINAPI endOnControl(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        EnterCriticalSection(&writing);
        releaseAtExit();
        TerminateProcess(GetCurrentProcess(), STATUS_CONTROL_C_EXIT);
        return TRUE;
    default:
        return FALSE;
    }
}

void clearScreen()
{
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(console, &info))
        return;
    const DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
    DWORD done = 0;
    FillConsoleOutputCharacterA(console, ' ', cells, COORD{0, 0}, &done);
    FillConsoleOutputAttribute(console, info.wAttributes, cells, COORD{0, 0}, &done);
    SetConsoleCursorPosition(console, COORD{0, 0});
}

void writePending()
{
    if (pending.row < 0)
        return;
    if (console != nullptr)
        SetConsoleCursorPosition(console, COORD{static_cast<SHORT>(pending.column), static_cast<SHORT>(pending.row)});
    writeAll(reinterpret_cast<const char*>(pending.rowCells + pending.column),
             static_cast<size_t>(pending.end - pending.column));
    pending.row = -1;
}

}  // namespace

void terminalStart()
{
    if (started)
        return;
    started = true;
    InitializeCriticalSection(&writing);
    output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == INVALID_HANDLE_VALUE || output == nullptr || !GetConsoleMode(output, &savedMode))
        return;
    console = output;
    GetConsoleCursorInfo(console, &savedCursor);
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(console, &info))
        bufferSize = info.dwSize;
    savedCodePage = GetConsoleOutputCP();
    atexit(releaseAtExit);
    SetConsoleCtrlHandler(endOnControl, TRUE);
    SetConsoleOutputCP(437);
    SetConsoleMode(console, savedMode & ~static_cast<DWORD>(ENABLE_WRAP_AT_EOL_OUTPUT));
    CONSOLE_CURSOR_INFO hidden = savedCursor;
    hidden.bVisible = FALSE;
    SetConsoleCursorInfo(console, &hidden);
}

// The whole frame under the lock, so that a Ctrl-C lands between frames.
void terminalBeginFrame(bool clear)
{
    EnterCriticalSection(&writing);
    pending.row = -1;
    if (clear && console != nullptr)
        clearScreen();
}

void terminalPutRun(int32_t row, int32_t column, int32_t count, const uint8_t* rowCells)
{
    if (pending.row == row && column - pending.end <= kGapWrittenThrough) {
        pending.end = column + count;
        return;
    }
    writePending();
    pending = {row, column, column + count, rowCells};
}

void terminalEndFrame()
{
    writePending();
    LeaveCriticalSection(&writing);
}

// A Windows console is never taken away from a running program, but its
// buffer can be resized, which may move what is on it.
bool terminalNeedsRepaint()
{
    bool missed = missedWrite;
    missedWrite = false;
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (console == nullptr || !GetConsoleScreenBufferInfo(console, &info))
        return missed;
    bool resized = info.dwSize.X != bufferSize.X || info.dwSize.Y != bufferSize.Y;
    bufferSize = info.dwSize;
    return resized || missed;
}

void terminalEnd() { releaseConsole(); }
