#pragma once
// The terminal the show is drawn on, the thinnest layer under the presenter.
// It puts runs of cells on the screen, one frame at a time, and knows
// nothing of how the picture is made: the presenter decides what changed.

#include <cstdint>

// The picture the runs belong to: at most 24 rows of 80 cells, from the
// top-left cell of the screen. A cell is a code page 437 byte.
constexpr int32_t kTerminalRows = 24;
constexpr int32_t kTerminalColumns = 80;

// Takes the terminal over: echo off and the cursor hidden while the demo
// runs, and the cursor and every mode restored at any exit, ending signal,
// crash or stop. Keeps what libraries print on standard error off the
// picture. On a pipe or a file no terminal mode is touched and the stream
// ends by showing the cursor. Safe to call more than once.
void terminalStart();

// Starts a frame. With `clear` the whole screen is blanked first and the
// cursor goes to the top-left cell: a frame that repaints everything.
void terminalBeginFrame(bool clear);

// Puts cells rowCells[column] .. rowCells[column + count - 1] on the screen
// at `row`, from `column` on. rowCells is the whole row of 80 cells as it is
// to be shown; the cells outside the run are already on the screen, so a
// platform may write through them where that is cheaper than moving.
void terminalPutRun(int32_t row, int32_t column, int32_t count, const uint8_t* rowCells);

// Ends the frame: everything put since its beginning is on the terminal,
// at once, when this returns. No signal that restores the terminal lands in
// the middle of it.
void terminalEndFrame();

// True once after anything that leaves the screen other than the frames
// made it: the terminal came back from a stop, changed its size, or missed
// part of a frame. The next frame must repaint everything.
bool terminalNeedsRepaint();

// Gives the terminal back now, as the end of the run would (cursor shown on
// the line below the picture, modes restored), so that a last message
// printed after it stands on a line of its own.
void terminalEnd();
