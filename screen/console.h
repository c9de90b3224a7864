#pragma once
// The four terminal operations of the demo. Only the entry, the presenter and
// the closing logo call them; effects never touch the terminal.

#include <cstddef>

// Takes the terminal over for the run (echo off, restored at every exit) and
// hides the cursor.
void hideCursor();

// Blanks the whole screen in the terminal's current colours and homes the
// cursor.
void clearConsole();

// Puts the cursor in the top-left cell.
void homeCursor();

// Puts the bytes (code page 437) on the screen from the cursor on, exactly as
// an 80-column console with automatic wrap would, also on a wider terminal.
// All of them have reached the terminal when this returns.
void writeBytes(const void* bytes, size_t count);
