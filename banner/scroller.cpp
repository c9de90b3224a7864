#include <cmath>
#include <cstring>

#include "banner/banner.h"

double bobCounter = 0.0;

void setFlyIn(Banner& banner, int32_t start)
{
    if (start < 0) start = 0;
    if (start > kScreenColumns) start = kScreenColumns;
    banner.flyIn = start;
    banner.width = start;
}

// Strip columns 0 .. count - 1 into `cells`; a strip narrower than that is
// repeated end to end, and an empty one gives blanks. Never reads past the
// strip's end.
static void copyStripColumns(uint8_t* cells, const uint8_t* strip, size_t stripLength,
                             size_t count)
{
    if (stripLength == 0) {
        std::memset(cells, ' ', count);
        return;
    }
    while (count > 0) {
        size_t run = count < stripLength ? count : stripLength;
        std::memcpy(cells, strip, run);
        cells += run;
        count -= run;
    }
}

static void rotateLeft(uint8_t* strip, size_t stripLength)
{
    if (stripLength == 0) return;
    uint8_t first = strip[0];
    std::memmove(strip, strip + 1, stripLength - 1);
    strip[stripLength - 1] = first;
}

void advance(Banner& banner)
{
    // The text keeps its length, and is much shorter to measure than a strip.
    size_t stripLength = kGlyphWidth * std::strlen(banner.text);

    if (banner.flyIn >= 1) {
        banner.visible = banner.width - banner.flyIn;
        for (int r = 0; r < kBannerRows; ++r) {
            copyStripColumns(banner.window[r] + banner.flyIn, banner.strips[r], stripLength,
                             static_cast<size_t>(banner.visible));
        }
        --banner.flyIn;
        return;
    }

    // The window shows the strips as they were before this step's rotation.
    for (int r = 0; r < kBannerRows; ++r) {
        copyStripColumns(banner.window[r], banner.strips[r], stripLength, kScreenColumns);
        rotateLeft(banner.strips[r], stripLength);
    }
}

// All 80 cells of each window row, blanks too; rows that would fall outside
// the screen are left out.
static void drawWindow(const Banner& banner, ScreenBuffer& screen, int32_t top)
{
    for (int r = 0; r < kBannerRows; ++r) {
        int64_t row = static_cast<int64_t>(top) + r;
        if (row < 0 || row >= kScreenRows) continue;
        std::memcpy(screen.cells + row * kScreenColumns, banner.window[r], kScreenColumns);
    }
}

void drawAt(Banner& banner, ScreenBuffer& screen, int32_t row)
{
    advance(banner);
    drawWindow(banner, screen, row);
}

void drawBobbing(Banner& banner, ScreenBuffer& screen, int32_t baseRow, int32_t divisor,
                 int32_t amplitude)
{
    advance(banner);

    double t = bobCounter;
    bobCounter = t + 1.0;
    double y = baseRow + amplitude * std::sin(t / divisor);

    // Only a y from just above -7 to below 24 leaves a row on the screen, and
    // only that range is safe to truncate (a zero divisor gives NaN).
    if (!(y > -(kBannerRows + 1.0) && y < kScreenRows)) return;
    drawWindow(banner, screen, static_cast<int32_t>(y));
}
