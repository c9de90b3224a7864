#pragma once
// Expected screens built from the shape pictures: rows of characters in which
// '-' leaves a cell as it was. A picture cell lands at buffer index
// row * 80 + column, so it wraps across the side edges like a run, and a cell
// outside the 1,920 is left out.

#include <initializer_list>
#include <string>

#include "screen/screen_buffer.h"

inline void stampPicture(std::string& cells, int topRow, int leftColumn,
                         std::initializer_list<const char*> rows)
{
    int row = topRow;
    for (const char* line : rows) {
        for (int i = 0; line[i] != 0; ++i) {
            long index = static_cast<long>(row) * kScreenColumns + leftColumn + i;
            if (line[i] != '-' && index >= 0 && index < kScreenCells)
                cells[index] = line[i];
        }
        ++row;
    }
}

inline std::string cellsOf(const ScreenBuffer& screen)
{
    return std::string(reinterpret_cast<const char*>(screen.cells), kScreenCells);
}

inline void fillScreen(ScreenBuffer& screen, const std::string& cells)
{
    cells.copy(reinterpret_cast<char*>(screen.cells), kScreenCells);
}

// "" when the screens agree; otherwise the first few differing cells, so a
// failure reads as places on the screen rather than two 1,920-byte strings.
inline std::string screenDifferences(const std::string& expected, const std::string& actual)
{
    std::string report;
    int shown = 0;
    for (int i = 0; i < kScreenCells && shown < 6; ++i) {
        if (expected[i] == actual[i])
            continue;
        report += "row " + std::to_string(i / kScreenColumns) + " column " +
                  std::to_string(i % kScreenColumns) + ": expected " +
                  std::to_string(static_cast<unsigned char>(expected[i])) + " got " +
                  std::to_string(static_cast<unsigned char>(actual[i])) + "; ";
        ++shown;
    }
    return report;
}

inline std::string rowOf(const std::string& cells, int row)
{
    return cells.substr(row * kScreenColumns, kScreenColumns);
}
