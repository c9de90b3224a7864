#pragma once
// A frame's runs of cells as ECMA-48 bytes: one synchronized update that
// reaches every run by the cheapest way there (an absolute move, a relative
// one, or writing again through a short stretch of unchanged cells).
// Automatic wrap is expected off, so a run at the terminal's right edge
// never wraps or scrolls.

#include <cstddef>
#include <cstdint>

// What the terminal can show. Runs are cut to it: on a terminal smaller
// than the picture the top-left part shows, and nothing lands elsewhere.
struct TerminalShape {
    int32_t rows;
    int32_t columns;
    bool utf8;  // cells go as UTF-8 characters, else as the bytes themselves
};

void beginEncodedFrame(bool clear, const TerminalShape& shape);
void encodeRun(int32_t row, int32_t column, int32_t count, const uint8_t* rowCells);

// The frame's bytes, valid until the next frame begins. `whole` is false
// when runs had to be left out (more than a frame of them).
const char* endEncodedFrame(size_t* size, bool* whole);
