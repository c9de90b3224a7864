#pragma once
// The one 24 x 80 character frame every effect draws into, and the presenter
// that puts it on the terminal.

#include <cstdint>

constexpr int kScreenColumns = 80;
constexpr int kScreenRows = 24;
constexpr int kScreenCells = kScreenColumns * kScreenRows;  // 1,920
constexpr int kLastCell = kScreenCells - 1;                 // never shown

// Row-major: the cell at row r, column c is cells[r * 80 + c]. A cell holds a
// code page 437 byte; never 0 (the presenter's end marker) nor a line feed.
struct ScreenBuffer {
    uint8_t cells[kScreenCells];
};

// Every cell becomes a blank (32).
void blankScreen(ScreenBuffer& screen);

// Byte row * 80 + column := value. No range check: callers keep the index
// inside the buffer, and a column outside 0..79 addresses a neighbouring row.
void putCell(ScreenBuffer& screen, int32_t row, int32_t column, uint8_t value);

// Writes all but the last character of the zero-terminated text from
// row * 80 + column on, wrapping into the next row; a text of fewer than two
// characters writes nothing. No range check.
void putText(ScreenBuffer& screen, int32_t row, int32_t column, const char* text);

// Homes the cursor, writes the first 1,919 cells (the last cell is replaced
// by the end marker and never shown) as one frame, then blanks the buffer.
void presentFrame(ScreenBuffer& screen);
