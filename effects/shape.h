#pragma once
// Shapes made of horizontal runs of one character, as the ball and the
// bursts draw them.

#include <cstddef>
#include <cstdint>

#include "screen/screen_buffer.h"

// A run of one character; offsets are relative to the shape's centre cell.
struct ShapeRun {
    int8_t rowOffset;
    int8_t firstColumn;
    int8_t lastColumn;
    uint8_t character;
};

struct Shape {
    const ShapeRun* runs;
    int count;
};

template <size_t N>
constexpr Shape shapeOf(const ShapeRun (&runs)[N])
{
    return {runs, static_cast<int>(N)};
}

// Draws the runs in order around (row, column). A run starts at cell
// (row + offset) * 80 + column + first and is not clipped at the side edges,
// so it wraps into the neighbouring row; only cells outside the buffer, at
// its top and bottom, are dropped.
void drawShape(ScreenBuffer& screen, Shape shape, int32_t row, int32_t column);
