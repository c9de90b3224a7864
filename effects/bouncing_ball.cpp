// The ball of scene 2: one column and one row per step, squashed against the
// walls. Near a side wall it narrows so that its outer edge stays on the
// wall; on the top and bottom bounce rows it is drawn flattened.

#include "effects/bouncing_ball.h"

#include <cstring>

#include "effects/shape.h"

namespace {

constexpr uint8_t kDot = '.';

// Outer "o" runs first, then the core, each from the top row down: the core
// overwrites the outer layer where they overlap.
constexpr ShapeRun kFull[] = {
    {-3, -2, 2, 'o'}, {-2, -4, 4, 'o'}, {-1, -6, 6, 'o'}, {0, -6, 6, 'o'},
    {1, -6, 6, 'o'},  {2, -4, 4, 'o'},  {3, -2, 2, 'o'},
    {-2, -2, 2, '0'}, {-1, -4, 4, '0'}, {0, -4, 4, '0'}, {1, -4, 4, '0'}, {2, -2, 2, '0'},
};
constexpr ShapeRun kNarrow11[] = {
    {-3, -2, 2, 'o'}, {-2, -4, 4, 'o'}, {-1, -5, 5, 'o'}, {0, -5, 5, 'o'},
    {1, -5, 5, 'o'},  {2, -4, 4, 'o'},  {3, -2, 2, 'o'},
    {-2, -2, 2, '0'}, {-1, -3, 3, '0'}, {0, -3, 3, '0'}, {1, -3, 3, '0'}, {2, -2, 2, '0'},
};
constexpr ShapeRun kNarrow9[] = {
    {-3, -2, 2, 'o'}, {-2, -3, 3, 'o'}, {-1, -4, 4, 'o'}, {0, -4, 4, 'o'},
    {1, -4, 4, 'o'},  {2, -3, 3, 'o'},  {3, -2, 2, 'o'},
    {-2, -2, 2, '0'}, {-1, -3, 3, '0'}, {0, -3, 3, '0'}, {1, -3, 3, '0'}, {2, -2, 2, '0'},
};
constexpr ShapeRun kNarrow7[] = {
    {-3, -1, 1, 'o'}, {-2, -2, 2, 'o'}, {-1, -3, 3, 'o'}, {0, -3, 3, 'o'},
    {1, -3, 3, 'o'},  {2, -2, 2, 'o'},  {3, -1, 1, 'o'},
    {-2, -1, 1, 'O'}, {-1, -2, 2, 'O'}, {0, -2, 2, 'O'}, {1, -2, 2, 'O'}, {2, -1, 1, 'O'},
};
constexpr ShapeRun kFlattened[] = {
    {-2, -5, 5, 'o'}, {-1, -7, 7, 'o'}, {0, -8, 8, 'o'}, {1, -7, 7, 'o'}, {2, -5, 5, 'o'},
    {-1, -5, 5, '0'}, {0, -6, 6, '0'}, {1, -5, 5, '0'},
};

constexpr int32_t kTopBounceRow = 2;
constexpr int32_t kBottomBounceRow = 22;
constexpr int32_t kLeftBounceColumn = 3;
constexpr int32_t kRightBounceColumn = 76;

int32_t ballColumn = 40;
int32_t ballRow = 10;
int32_t columnVelocity = 1;
int32_t rowVelocity = 1;
int32_t speed = 1;

// How far the centre is from the side bounce column; the bounce tests are
// equalities, so the ball must land on every bounce position.
bool atWallDistance(int32_t distance)
{
    return ballColumn == kLeftBounceColumn + distance || ballColumn == kRightBounceColumn - distance;
}

Shape chooseShape()
{
    if (ballRow == kTopBounceRow || ballRow == kBottomBounceRow) {
        rowVelocity = -rowVelocity;
        if (atWallDistance(0))
            columnVelocity = -columnVelocity;
        return shapeOf(kFlattened);
    }
    if (atWallDistance(0)) {
        columnVelocity = -columnVelocity;
        return shapeOf(kNarrow7);
    }
    if (atWallDistance(1))
        return shapeOf(kNarrow9);
    if (atWallDistance(2))
        return shapeOf(kNarrow11);
    return shapeOf(kFull);
}

}  // namespace

void drawDottedField(ScreenBuffer& screen)
{
    // The last cell is left alone: the presenter ends the frame there.
    memset(screen.cells, kDot, kLastCell);
}

void drawBouncingBall(ScreenBuffer& screen)
{
    ballColumn += speed * columnVelocity;
    ballRow += speed * rowVelocity;
    drawShape(screen, chooseShape(), ballRow, ballColumn);
}
