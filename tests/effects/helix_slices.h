#pragma once
// The helix's 13 slices as a person reads them: offsets -5 to +5 from the core
// column, 'l', 'm' and 'd' for the light, medium and dark shade blocks, 'I'
// for the core, '-' for a cell left as it was.

#include <string>

#include "tests/effects/picture_stamp.h"

inline std::string helixSlice(int value)
{
    static const char* const kSlices[13] = {
        "mmmmmImmmmm", "dmmmmImmmml", "-dmmmImmml-", "--dmmImml--", "---dmIml---",
        "----dIl----", "-----d-----", "----lId----", "---lmImd---", "--lmmImmd--",
        "-lmmmImmmd-", "lmmmmImmmmd", "mmmmmImmmmm",
    };
    std::string slice = kSlices[value];
    for (char& c : slice) {
        if (c == 'l')
            c = static_cast<char>(176);
        if (c == 'm')
            c = static_cast<char>(177);
        if (c == 'd')
            c = static_cast<char>(178);
    }
    return slice;
}

// One row of 80 cells with the slice of `value` drawn at `column`; a slice
// cell outside columns 0..79 is left out.
inline std::string withSlice(std::string row, int column, int value)
{
    std::string slice = helixSlice(value);
    for (int i = 0; i < 11; ++i) {
        long c = static_cast<long>(column) - 5 + i;
        if (slice[i] != '-' && c >= 0 && c < kScreenColumns)
            row[c] = slice[i];
    }
    return row;
}

// `cells` with the slice of each row's wrapped value drawn at `column`, rows
// 1 to 23.
inline std::string withHelix(std::string cells, int column, const int (&wrapped)[24])
{
    for (int row = 1; row <= 23; ++row)
        cells.replace(row * kScreenColumns, kScreenColumns,
                      withSlice(cells.substr(row * kScreenColumns, kScreenColumns), column, wrapped[row]));
    return cells;
}
