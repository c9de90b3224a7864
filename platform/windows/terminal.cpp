// The terminal on Windows: the console behind standard output, taken over
// with code page 437 (so that cell bytes show as the characters they are) and
// no wrap at the line's end (the console operations place every row), and
// given back, cursor shown, at every way out: normal end, error exits, Ctrl-C,
// Ctrl-Break and the console window closing, or earlier by terminalEnd. The
// last picture stays on it.

#include <windows.h>

#include <cstdlib>

#include "platform/terminal.h"
#include "platform/windows/console_output.h"

namespace {

constexpr SHORT kPictureRows = 24;

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

void writeAll(const char* bytes, size_t count)
{
    while (count > 0) {
        DWORD written = 0;
        DWORD asked = count > 0x10000 ? 0x10000 : static_cast<DWORD>(count);
        if (!WriteFile(output, bytes, asked, &written, nullptr) || written == 0)
            return;
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
        SetConsoleCursorPosition(console, COORD{0, kPictureRows - 1});
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

}  // namespace

HANDLE consoleOutput() { return console; }

CONSOLE_CURSOR_INFO consoleCursorBefore() { return savedCursor; }

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
}

// The console shows code page 437 itself: the cells go as they are.
bool terminalSpeaksUtf8() { return false; }

void terminalWrite(const char* bytes, size_t count)
{
    EnterCriticalSection(&writing);
    writeAll(bytes, count);
    LeaveCriticalSection(&writing);
}

// A Windows console is never taken away from a running program, but its
// buffer can be resized, which may move what is on it.
bool terminalNeedsRepaint()
{
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (console == nullptr || !GetConsoleScreenBufferInfo(console, &info))
        return false;
    bool resized = info.dwSize.X != bufferSize.X || info.dwSize.Y != bufferSize.Y;
    bufferSize = info.dwSize;
    return resized;
}

void terminalEnd() { releaseConsole(); }
