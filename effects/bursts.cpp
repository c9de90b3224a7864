// A burst of "o" and "O" that appears at a random place on a trigger and
// collapses over the next four calls: large, medium, small, a single "o",
// gone. The place comes from a generator seeded with the calendar second, so
// triggers within one second land on the same cell.

#include "effects/bursts.h"

#include "platform/calendar.h"
#include "effects/shape.h"

namespace {

// Outer "o" runs first, then the "O" core, each from the top row down.
constexpr ShapeRun kStage4[] = {
    {-3, -1, 1, 'o'}, {-2, -2, 2, 'o'}, {-1, -3, 3, 'o'}, {0, -3, 3, 'o'},
    {1, -3, 3, 'o'},  {2, -2, 2, 'o'},  {3, -1, 1, 'o'},
    {-2, -1, 1, 'O'}, {-1, -2, 2, 'O'}, {0, -2, 2, 'O'}, {1, -2, 2, 'O'}, {2, -1, 1, 'O'},
};
constexpr ShapeRun kStage3[] = {
    {-2, -1, 1, 'o'}, {-1, -2, 2, 'o'}, {0, -3, 3, 'o'}, {1, -2, 2, 'o'}, {2, -1, 1, 'o'},
    {-1, -1, 1, 'O'}, {0, -2, 2, 'O'}, {1, -1, 1, 'O'},
};
constexpr ShapeRun kStage2[] = {
    {-1, -1, 1, 'o'}, {0, -2, 2, 'o'}, {1, -1, 1, 'o'},
    {0, 0, 0, 'O'},
};
constexpr ShapeRun kStage1[] = {
    {0, 0, 0, 'o'},
};

// Indexed by stage; stage 0 draws nothing.
constexpr Shape kShapes[] = {
    {nullptr, 0}, shapeOf(kStage1), shapeOf(kStage2), shapeOf(kStage3), shapeOf(kStage4),
};
constexpr int32_t kLargestStage = 4;

// Centres stay within columns 7..71 and rows 4..20, so even the largest
// shape lies inside the buffer and no run crosses a side edge.
constexpr uint32_t kColumnChoices = 65;
constexpr int32_t kFirstColumn = 7;
constexpr uint32_t kRowChoices = 17;
constexpr int32_t kFirstRow = 4;

int32_t burstColumn = 0;
int32_t burstRow = 0;
int32_t burstStage = 0;

uint32_t generatorState;

uint32_t drawRandom()
{
    generatorState = generatorState * 22695477u + 1u;
    return (generatorState >> 16) & 32767u;
}

// The first draw after seeding is thrown away.
void seedRandom(uint32_t seed)
{
    generatorState = seed;
    drawRandom();
}

}  // namespace

void drawBurst(ScreenBuffer& screen, int32_t trigger)
{
    if (trigger == 1) {
        seedRandom(static_cast<uint32_t>(calendarSeconds()));
        burstColumn = kFirstColumn + static_cast<int32_t>(drawRandom() % kColumnChoices);
        burstRow = kFirstRow + static_cast<int32_t>(drawRandom() % kRowChoices);
        burstStage = kLargestStage;
    } else if (burstStage > 0) {
        --burstStage;
    }

    drawShape(screen, kShapes[burstStage], burstRow, burstColumn);
}
