#pragma once
// How a cell byte (code page 437) reaches the terminal.

#include <cstdint>

// The character code page 437 shows for each byte (0 shows as a blank).
extern const char32_t kCp437Characters[256];

// What the terminal is sent for one cell byte: its character in UTF-8, or on
// other terminals the byte itself. Bytes that a terminal would take as
// control codes are never sent as they are.
struct CellBytes {
    uint8_t length;
    char bytes[3];
};

// The bytes for every cell value, indexed by the cell byte.
const CellBytes* cellTable(bool utf8);
