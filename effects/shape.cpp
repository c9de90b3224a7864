#include "effects/shape.h"

#include <cstring>

void drawShape(ScreenBuffer& screen, Shape shape, int32_t row, int32_t column)
{
    for (int i = 0; i < shape.count; ++i) {
        const ShapeRun& run = shape.runs[i];
        int32_t first = (row + run.rowOffset) * kScreenColumns + column + run.firstColumn;
        int32_t end = first + run.lastColumn - run.firstColumn + 1;
        if (first < 0)
            first = 0;
        if (end > kScreenCells)
            end = kScreenCells;
        if (first < end)
            memset(&screen.cells[first], run.character, end - first);
    }
}
