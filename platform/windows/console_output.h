#pragma once
// The console behind standard output, shared by the terminal layer (which
// takes it over and gives it back) and the console operations.

#include <windows.h>

// The console screen buffer that standard output writes to, or nullptr when
// standard output is not a console (a pipe, a file). Valid once
// terminalStart() has run.
HANDLE consoleOutput();

// The cursor as it was before the demo took the console over.
CONSOLE_CURSOR_INFO consoleCursorBefore();
