#pragma once
// The console operations of the demo, over the platform's terminal. Only the
// entry, the presenter and the closing logo call them; effects never touch
// the terminal. A frame is made with homeCursor and writeBytes and sent with
// sendFrame, which puts on the terminal only the cells that differ from what
// it shows.

#include <cstddef>

// Takes the terminal over for the run (echo off, restored at every exit) and
// hides the cursor.
void hideCursor();

// Blanks the whole screen in the terminal's current colours and homes the
// cursor.
void clearConsole();

// Starts a frame: the cursor goes to the top-left cell. Until written over,
// the frame's cells are what the terminal shows.
void homeCursor();

// Puts the bytes (code page 437) into the frame from the cursor on, exactly
// as an 80-column console with automatic wrap would, also on a wider
// terminal; cells past the 24th row are dropped.
void writeBytes(const void* bytes, size_t count);

// Puts the frame on the terminal, as one frame of the platform's: the cells
// that differ from what it shows, or every cell after the screen was cleared
// when it can no longer be trusted (a stop, a resize, a frame that did not
// get there whole). Everything is on the terminal when this returns.
void sendFrame();
