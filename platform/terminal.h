#pragma once
// The terminal the show is drawn on, the thinnest layer under the console
// operations.

#include <cstddef>

// Takes the terminal over: echo off while the demo runs, and the cursor and
// every mode restored at any exit, ending signal, crash or stop. Keeps what
// libraries print on standard error off the picture. On a pipe or a file no
// mode is touched and the stream ends by showing the cursor. Safe to call
// more than once.
void terminalStart();

// True when the terminal expects UTF-8 (the locale's character set).
bool terminalSpeaksUtf8();

// Hands all the bytes to the terminal in one write; no signal that restores
// the terminal lands in the middle of it.
void terminalWrite(const char* bytes, size_t count);

// True once after the terminal came back from a stop (Ctrl-Z) or changed its
// size: the picture on it can no longer be trusted and the next frame must
// repaint everything.
bool terminalNeedsRepaint();

// Gives the terminal back now, as the end of the run would (cursor shown on
// the line below the picture, modes restored), so that a last message
// printed after it stands on a line of its own.
void terminalEnd();
