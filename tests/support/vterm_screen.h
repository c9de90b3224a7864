#pragma once
// A real terminal emulator (libvterm) for tests: feed it the bytes the console
// wrote and read back what a person would see.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/frames.h"

struct VTerm;
struct VTermScreen;

struct VtermScreen {
    VTerm* vt;
    VTermScreen* screen;
    int rows;
    int columns;
    int scrolledLines;   // lines pushed off the top
    bool cursorVisible;
    // Whether a synchronized update (mode 2026) was begun and not ended:
    // libvterm does not know the mode, so the fed bytes are watched for it.
    bool synchronizedUpdate;

    VtermScreen(int rows, int columns, bool utf8 = true);
    ~VtermScreen();
    VtermScreen(const VtermScreen&) = delete;
    VtermScreen& operator=(const VtermScreen&) = delete;

    void feed(const std::string& bytes);

    // The window changes size, as a person drags it; its content stays at
    // the top left, cut or extended.
    void resize(int rows, int columns);

    // The character shown in a cell (a blank for an empty cell).
    char32_t character(int row, int column) const;

    // Row `row`, columns 0 .. width - 1, as the code page 437 bytes that show
    // those characters ('\x01' for a character outside code page 437).
    std::string cells(int row, int width = 80) const;

    // The top 24 x 80 cells, row after row, as code page 437 bytes.
    std::string picture() const;

    // The whole screen, row after row, likewise.
    std::string wholeScreen() const;
    std::string screenOf(int rows, int columns) const;  // the top-left rows x columns

    std::pair<int, int> cursor() const;  // row, column
};

// The picture after each synchronized write (each frame) of a program's
// output, on a terminal of rows x 80.
std::vector<std::string> picturesAfterWrites(const std::string& output, int rows);

// The whole screen of rows x columns as it must look when it shows the 24 x
// 80 picture in its top-left corner and nothing else.
std::string screenWith(const std::string& picture, int rows, int columns);
