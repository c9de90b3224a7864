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

// Echo off, and with hideCursor the cursor hidden too. Does nothing while
// the demo may not use the terminal.
void takeTerminal(bool hideCursor);

// Ends any half-written control sequence and the synchronized update, turns
// automatic wrap back on, shows the cursor on the line below the picture and
// puts the saved modes back, dropping keys typed during the show. On a pipe
// or a file only the bytes go out. Skipped while the demo may not use the
// terminal, and after it has been done once since the last takeTerminal.
void giveTerminalBack();

// Writes all the bytes, completing partial writes and EINTR and waiting a
// little for a full non-blocking terminal; gives up on other errors.
void writeAllOutput(const char* bytes, unsigned long count);
