// The helix from the first call of the run on. Its phase is never reset, so
// one test walks the calls in order and checks the phases it passes.

#include <gtest/gtest.h>

#include <string>

#include "effects/helix.h"
#include "tests/effects/helix_slices.h"

namespace {

// A background no slice uses, varied so that a stray write shows; rows 1 and
// 23 start alike (80 is a multiple of 8).
std::string background()
{
    std::string cells(kScreenCells, ' ');
    for (int i = 0; i < kScreenCells; ++i)
        cells[i] = "abcdefgh"[i % 8];
    return cells;
}

// Wrapped row values; entry 0 is unused (row 0 has no slice).
// Phase 1: anchors 0, 11, 0; both ramps climb toward 11.
constexpr int kPhase1[24] = {0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 0};
// Phase 2: anchors 1, 11, 1; both ramps climb 2..11.
constexpr int kPhase2[24] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 11, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 1};
// Phase 30: anchors 10, -4, 10; values 10, -2, -1, 0, 1, 3, 4, 5, 7, 8, 10, -4, ...
constexpr int kPhase30[24] = {0,  10, 11, 12, 0, 1, 3, 4, 5, 7, 8, 10,
                              9,  11, 12, 0,  1, 3, 4, 5, 7, 8, 10, 10};
// Phase 43: anchors 3, -11, 3; the ramps run -9, -8, -6, -5, -4 (exactly
// -11 + 14 * 5 / 10 in row 6), -2, -1, 0, 1, 3.
constexpr int kPhase43[24] = {0, 3, 4, 5, 7, 8, 9, 11, 12, 0, 1, 3,
                              2, 4, 5, 7, 8, 9, 11, 12, 0, 1, 3, 3};

// True when the row differs from the background exactly by one whole slice
// at `column`.
bool rowShowsOneSlice(const std::string& base, const std::string& cells, int row, int column)
{
    for (int value = 0; value < 13; ++value)
        if (withSlice(rowOf(base, row), column, value) == rowOf(cells, row))
            return true;
    return false;
}

TEST(Helix, TurnsOnePhasePerCallFromTheFirstCall)
{
    const std::string base = background();
    ScreenBuffer screen;

    fillScreen(screen, base);
    drawHelix(screen, 40);
    const std::string afterFirst = withHelix(base, 40, kPhase1);
    ASSERT_EQ(screenDifferences(afterFirst, cellsOf(screen)), "") << "phase 1";

    // A second call before the frame is presented draws over the first; in
    // row 2 the narrower slice of phase 2 leaves both ends of phase 1's visible.
    drawHelix(screen, 40);
    ASSERT_EQ(screenDifferences(withHelix(afterFirst, 40, kPhase2), cellsOf(screen)), "") << "phase 2";
    EXPECT_EQ(screen.cells[2 * kScreenColumns + 35], 178);
    EXPECT_EQ(screen.cells[2 * kScreenColumns + 45], 176);

    for (int phase = 3; phase <= 2000; ++phase) {
        SCOPED_TRACE("phase " + std::to_string(phase));
        const int column = 5 + phase % 70;  // sweeps the whole range 5..74
        fillScreen(screen, base);
        drawHelix(screen, column);
        const std::string drawn = cellsOf(screen);

        if (phase == 30) {
            ASSERT_EQ(screenDifferences(withHelix(base, column, kPhase30), drawn), "");
        }
        if (phase == 43) {
            ASSERT_EQ(screenDifferences(withHelix(base, column, kPhase43), drawn), "");
        }

        ASSERT_EQ(rowOf(drawn, 0), rowOf(base, 0)) << "row 0 is never written";
        ASSERT_EQ(rowOf(drawn, 23), rowOf(drawn, 1)) << "row 23 shows row 1's slice";
        for (int row = 1; row <= 23; ++row)
            ASSERT_TRUE(rowShowsOneSlice(base, drawn, row, column)) << "row " << row;
    }
}

}  // namespace
