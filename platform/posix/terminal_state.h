#pragma once
// What the demo changes on the terminal and how it is put back. Everything
// here is async-signal-safe once terminalStateStart has run, so the signal
// handlers use the same calls as the normal end.

// Saves the modes of standard output when it is a terminal. Call once, first.
void terminalStateStart();

// True unless standard output is a terminal whose foreground belongs to
// another process group (a stopped or background demo): only then may the
// demo write to it or set its modes without being stopped for it.
bool mayUseTerminal();

// Echo off, the cursor hidden and automatic wrap off. Does nothing while
// the demo may not use the terminal.
void takeTerminal();

// Ends any half-written control sequence and the synchronized update, turns
// automatic wrap back on, shows the cursor on the line below the picture and
// puts the saved modes back, dropping keys typed during the show. On a pipe
// or a file only the bytes go out; a pipe whose reader is gone has them sent
// to the controlling terminal instead, when the demo is in its foreground.
// Skipped while the demo may not use the terminal, and after it has been
// done once since the last takeTerminal.
void giveTerminalBack();

// Writes all the bytes to standard output, completing partial writes and
// EINTR and waiting a little for a full non-blocking terminal; gives up on
// other errors. False when not all of them went out.
bool writeAllOutput(const char* bytes, unsigned long count);
