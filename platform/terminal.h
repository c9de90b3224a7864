#pragma once
// The terminal the show is drawn on, the thinnest layer under the console
// operations.

#include <cstddef>

// Takes the terminal over: echo off while the demo runs, and the cursor and
// every mode restored at any exit, signal or stop. Does nothing when standard
// output is not a terminal. Safe to call more than once.
void terminalStart();

// True when the terminal expects UTF-8 (the locale's character set).
bool terminalSpeaksUtf8();

// Hands all the bytes to the terminal in one write.
void terminalWrite(const char* bytes, size_t count);

// True once after the terminal came back from a stop (Ctrl-Z): the picture
// on it can no longer be trusted and the next write must repaint everything.
bool terminalNeedsRepaint();
