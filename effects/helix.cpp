// A ribbon of shade blocks twisting about a core column. Each row's twist
// value picks one of 13 slices; the values come from three anchors (rows 1,
// 12 and 23) set by the sine and cosine of the phase, with integer ramps
// between them.

#include "effects/helix.h"

#include <cmath>

namespace {

constexpr uint8_t kLight = 176;
constexpr uint8_t kMedium = 177;
constexpr uint8_t kDark = 178;
constexpr uint8_t kCore = 'I';
constexpr uint8_t kNone = 0;  // a cell the slice leaves as it was

constexpr int kSliceValues = 13;
constexpr int kSliceReach = 5;  // a slice spans the core column +-5
constexpr int kSliceWidth = 2 * kSliceReach + 1;

// Offsets -5 .. +5 from the core, one slice per wrapped twist value.
constexpr uint8_t kSlices[kSliceValues][kSliceWidth] = {
    {kMedium, kMedium, kMedium, kMedium, kMedium, kCore, kMedium, kMedium, kMedium, kMedium, kMedium},
    {kDark, kMedium, kMedium, kMedium, kMedium, kCore, kMedium, kMedium, kMedium, kMedium, kLight},
    {kNone, kDark, kMedium, kMedium, kMedium, kCore, kMedium, kMedium, kMedium, kLight, kNone},
    {kNone, kNone, kDark, kMedium, kMedium, kCore, kMedium, kMedium, kLight, kNone, kNone},
    {kNone, kNone, kNone, kDark, kMedium, kCore, kMedium, kLight, kNone, kNone, kNone},
    {kNone, kNone, kNone, kNone, kDark, kCore, kLight, kNone, kNone, kNone, kNone},
    {kNone, kNone, kNone, kNone, kNone, kDark, kNone, kNone, kNone, kNone, kNone},
    {kNone, kNone, kNone, kNone, kLight, kCore, kDark, kNone, kNone, kNone, kNone},
    {kNone, kNone, kNone, kLight, kMedium, kCore, kMedium, kDark, kNone, kNone, kNone},
    {kNone, kNone, kLight, kMedium, kMedium, kCore, kMedium, kMedium, kDark, kNone, kNone},
    {kNone, kLight, kMedium, kMedium, kMedium, kCore, kMedium, kMedium, kMedium, kDark, kNone},
    {kLight, kMedium, kMedium, kMedium, kMedium, kCore, kMedium, kMedium, kMedium, kMedium, kDark},
    {kMedium, kMedium, kMedium, kMedium, kMedium, kCore, kMedium, kMedium, kMedium, kMedium, kMedium},
};

constexpr int kFirstRow = 1;
constexpr int kMiddleRow = 12;
constexpr int kLastRow = 23;
constexpr double kTwistRadius = 12.0;
constexpr double kPhaseStep = 1.0 / 15.0;  // radians per call

int32_t helixPhase = 0;
int32_t rowValues[kScreenRows];
int32_t wrappedValues[kScreenRows];

// Rows top+1 .. top+10 climb from the smaller anchor toward the larger one
// in tenths, whichever end holds which; integer division keeps the truncation
// exact where a floating-point tenth would land just below a whole number.
void fillRamp(int top, int32_t a, int32_t b)
{
    int32_t lo = a < b ? a : b;
    int32_t hi = a < b ? b : a;
    for (int k = 1; k <= 10; ++k)
        rowValues[top + k] = (10 * lo + (hi - lo) * k) / 10;
}

int32_t wrapValue(int32_t value)
{
    while (value < 0)
        value += kSliceValues;
    while (value >= kSliceValues)
        value -= kSliceValues;
    return value;
}

// A slice cell that would fall outside columns 0..79 is not written: it
// never spills into a neighbouring row.
void drawSlice(ScreenBuffer& screen, int row, int32_t column, int32_t value)
{
    const uint8_t* slice = kSlices[value];
    uint8_t* line = &screen.cells[row * kScreenColumns];
    for (int i = 0; i < kSliceWidth; ++i) {
        int64_t cell = int64_t{column} + i - kSliceReach;
        if (slice[i] != kNone && cell >= 0 && cell < kScreenColumns)
            line[cell] = slice[i];
    }
}

}  // namespace

void drawHelix(ScreenBuffer& screen, int32_t column)
{
    ++helixPhase;
    double t = helixPhase * kPhaseStep;
    rowValues[kFirstRow] = static_cast<int32_t>(kTwistRadius * std::sin(t));
    rowValues[kMiddleRow] = static_cast<int32_t>(kTwistRadius * std::cos(t));
    rowValues[kLastRow] = rowValues[kFirstRow];
    fillRamp(kFirstRow, rowValues[kFirstRow], rowValues[kMiddleRow]);
    fillRamp(kMiddleRow, rowValues[kMiddleRow], rowValues[kLastRow]);

    for (int row = kFirstRow; row <= kLastRow; ++row) {
        wrappedValues[row] = wrapValue(rowValues[row]);
        drawSlice(screen, row, column, wrappedValues[row]);
    }
}
