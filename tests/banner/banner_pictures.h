#pragma once
// Reading banners and screens back as strings, for comparing pictures.

#include <cstring>
#include <string>
#include <vector>

#include "banner/banner.h"
#include "screen/screen_buffer.h"

inline std::string stripOf(const Banner& banner, int r)
{
    return reinterpret_cast<const char*>(banner.strips[r]);
}

inline std::vector<std::string> stripsOf(const Banner& banner)
{
    std::vector<std::string> strips;
    for (int r = 0; r < kBannerRows; ++r) strips.push_back(stripOf(banner, r));
    return strips;
}

// Strip columns start .. start + count - 1, counted round the strip.
inline std::string stripColumns(const std::string& strip, size_t start, size_t count)
{
    std::string columns;
    for (size_t c = 0; c < count; ++c) columns += strip[(start + c) % strip.size()];
    return columns;
}

inline std::string screenRow(const ScreenBuffer& screen, int row)
{
    return std::string(reinterpret_cast<const char*>(screen.cells) + row * kScreenColumns,
                       kScreenColumns);
}

inline void fillScreen(ScreenBuffer& screen, char value)
{
    std::memset(screen.cells, value, sizeof screen.cells);
}

// Rows covered by cells other than `background`, as "first..last", or "none".
inline std::string coveredRows(const ScreenBuffer& screen, char background)
{
    int first = -1;
    int last = -1;
    for (int row = 0; row < kScreenRows; ++row) {
        if (screenRow(screen, row) != std::string(kScreenColumns, background)) {
            if (first < 0) first = row;
            last = row;
        }
    }
    if (first < 0) return "none";
    return std::to_string(first) + ".." + std::to_string(last);
}
