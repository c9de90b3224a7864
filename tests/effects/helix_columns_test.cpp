// The helix at core columns near and past the side edges. These checks hold
// whatever the phase, so they do not depend on how many calls came before.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "effects/helix.h"
#include "tests/effects/helix_slices.h"

namespace {

// The buffer between two guard areas, so a write before or after it shows.
struct GuardedScreen {
    uint8_t before[256];
    ScreenBuffer screen;
    uint8_t after[256];
};

constexpr uint8_t kGuard = 0x5a;
constexpr char kBackground = '.';

// Draws one call at `column` onto a background of dots and checks that each
// of rows 1 to 23 shows one slice with only the cells inside its row written,
// row 0 and the guards untouched, and row 23 the same as row 1.
void expectSlicesStayInTheirRows(int32_t column)
{
    SCOPED_TRACE("column " + std::to_string(column));
    GuardedScreen guarded;
    memset(guarded.before, kGuard, sizeof guarded.before);
    memset(guarded.after, kGuard, sizeof guarded.after);
    const std::string base(kScreenCells, kBackground);
    fillScreen(guarded.screen, base);

    drawHelix(guarded.screen, column);

    const std::string drawn = cellsOf(guarded.screen);
    for (uint8_t byte : guarded.before)
        ASSERT_EQ(byte, kGuard);
    for (uint8_t byte : guarded.after)
        ASSERT_EQ(byte, kGuard);
    EXPECT_EQ(rowOf(drawn, 0), rowOf(base, 0));
    EXPECT_EQ(rowOf(drawn, 23), rowOf(drawn, 1));
    for (int row = 1; row <= 23; ++row) {
        bool matched = false;
        for (int value = 0; value < 13 && !matched; ++value)
            matched = withSlice(rowOf(base, row), column, value) == rowOf(drawn, row);
        EXPECT_TRUE(matched) << "row " << row << ": " << rowOf(drawn, row);
    }
}

TEST(HelixColumns, SlicesInsideTheUsualRangeAreWhole)
{
    for (int32_t column : {5, 10, 40, 70, 74})
        for (int call = 0; call < 40; ++call)
            expectSlicesStayInTheirRows(column);
}

TEST(HelixColumns, CellsThatWouldLeaveTheirRowAreNotWritten)
{
    for (int32_t column = -8; column <= 87; ++column)
        for (int call = 0; call < 13; ++call)
            expectSlicesStayInTheirRows(column);
    for (int32_t column : {INT32_MIN, INT32_MIN + 4, INT32_MAX - 4, INT32_MAX})
        expectSlicesStayInTheirRows(column);
}

TEST(HelixColumns, ACoreFarOutsideTheScreenWritesNothing)
{
    for (int32_t column : {-6, -100, 85, 1000, INT32_MIN, INT32_MAX}) {
        ScreenBuffer screen;
        const std::string base(kScreenCells, kBackground);
        fillScreen(screen, base);
        drawHelix(screen, column);
        EXPECT_EQ(screenDifferences(base, cellsOf(screen)), "") << "column " << column;
    }
}

}  // namespace
