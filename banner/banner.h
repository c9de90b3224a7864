#pragma once
// A line of text in big six-row letters, and the 80-column window through
// which it flies in from the right edge and then scrolls without end.

#include <cstdint>

#include "screen/screen_buffer.h"

constexpr int kBannerRows = 6;
constexpr int kGlyphWidth = 8;

struct Banner {
    char* text;                               // own upper-cased copy
    uint8_t* strips[kBannerRows];             // 8 * strlen(text) cells + NUL
    uint8_t window[kBannerRows][kScreenColumns];
    int32_t flyIn;
    int32_t width;
    int32_t visible;
};

// Builds the banner from a zero-terminated byte string (only read): copies
// it, blanks the window and renders the six strips. Running out of memory
// prints the out-of-memory message and ends the process with status 1.
void buildBanner(Banner& banner, const char* text);

// Sets every window cell to a blank.
void clearWindow(Banner& banner);

// Upper-cases the banner's text in place and renders its six strips.
void buildStrips(Banner& banner);

// Starts the fly-in at window column `start` (clamped to 0..80).
void setFlyIn(Banner& banner, int32_t start);

// One animation step: a fly-in step while flyIn >= 1, else a scroll step.
void advance(Banner& banner);

// Advances one step and copies the window into rows row .. row + 5.
void drawAt(Banner& banner, ScreenBuffer& screen, int32_t row);

// Advances one step and copies the window with its top row on a sine curve
// driven by the bob counter that all bobbing banners share.
void drawBobbing(Banner& banner, ScreenBuffer& screen, int32_t baseRow, int32_t divisor,
                 int32_t amplitude);

// The shared bob counter: 0.0 at start, +1.0 per drawBobbing call.
extern double bobCounter;
