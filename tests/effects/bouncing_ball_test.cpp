// The ball on the dotted field, step by step from the start of the run. The
// ball's state is never reset, so one test walks the steps in order.

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>

#include "effects/bouncing_ball.h"
#include "tests/effects/picture_stamp.h"

namespace {

enum Shape { kFull, kNarrow11, kNarrow9, kNarrow7, kFlattened };

// The shape pictures, centred on the ball's cell.
void stampBall(std::string& cells, Shape shape, int column, int row)
{
    switch (shape) {
    case kFull:
        stampPicture(cells, row - 3, column - 6,
                     {"----ooooo----", "--oo00000oo--", "oo000000000oo", "oo000000000oo",
                      "oo000000000oo", "--oo00000oo--", "----ooooo----"});
        break;
    case kNarrow11:
        stampPicture(cells, row - 3, column - 5,
                     {"---ooooo---", "-oo00000oo-", "oo0000000oo", "oo0000000oo", "oo0000000oo",
                      "-oo00000oo-", "---ooooo---"});
        break;
    case kNarrow9:
        stampPicture(cells, row - 3, column - 4,
                     {"--ooooo--", "-o00000o-", "o0000000o", "o0000000o", "o0000000o", "-o00000o-",
                      "--ooooo--"});
        break;
    case kNarrow7:
        stampPicture(cells, row - 3, column - 3,
                     {"--ooo--", "-oOOOo-", "oOOOOOo", "oOOOOOo", "oOOOOOo", "-oOOOo-", "--ooo--"});
        break;
    case kFlattened:
        stampPicture(cells, row - 2, column - 8,
                     {"---ooooooooooo---", "-oo00000000000oo-", "oo0000000000000oo",
                      "-oo00000000000oo-", "---ooooooooooo---"});
        break;
    }
}

// The dotted field after a presentation: every cell a dot but the last.
std::string dottedField()
{
    std::string cells(kScreenCells, '.');
    cells[kLastCell] = ' ';
    return cells;
}

struct Checkpoint {
    int step;
    int column;
    int row;
    Shape shape;
};

// The buffer between two guard areas, so a write before or after it shows.
struct GuardedScreen {
    uint8_t before[256];
    ScreenBuffer screen;
    uint8_t after[256];
};

constexpr uint8_t kGuard = 0x5a;

TEST(BouncingBall, FollowsItsPathFromTheFirstStep)
{
    const Checkpoint checkpoints[] = {
        {1, 41, 11, kFull},
        {12, 52, 22, kFlattened},  // bottom bounce: its lowest run would be row 24
        {13, 53, 21, kFull},       // the row velocity is now -1
        {32, 72, 2, kFlattened},   // middle run covers columns 64..80: row 3, column 0
        {33, 73, 3, kFull},
        {34, 74, 4, kNarrow11},
        {35, 75, 5, kNarrow9},
        {36, 76, 6, kNarrow7},     // side bounce
        {37, 75, 7, kNarrow9},     // the column velocity is now -1
        {38, 74, 8, kNarrow11},
        {39, 73, 9, kFull},
        {912, 76, 2, kFlattened},  // top and side bounce at once
        {913, 75, 3, kNarrow9},    // both velocities negated
        {2152, 4, 2, kFlattened},  // top run starts one cell before the buffer
        {2372, 76, 22, kFlattened},  // run on row 23 passes the last cell
        {3832, 76, 2, kFlattened},
    };
    GuardedScreen guarded;
    memset(guarded.before, kGuard, sizeof guarded.before);
    memset(guarded.after, kGuard, sizeof guarded.after);
    ScreenBuffer& screen = guarded.screen;

    size_t next = 0;
    for (int step = 1; step <= 4000; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        memset(screen.cells, ' ', sizeof screen.cells);  // as the presenter leaves it
        drawDottedField(screen);
        drawBouncingBall(screen);

        for (uint8_t byte : guarded.before)
            ASSERT_EQ(byte, kGuard) << "written before the buffer";
        for (uint8_t byte : guarded.after)
            ASSERT_EQ(byte, kGuard) << "written after the buffer";

        if (next < std::size(checkpoints) && checkpoints[next].step == step) {
            const Checkpoint& c = checkpoints[next++];
            std::string expected = dottedField();
            stampBall(expected, c.shape, c.column, c.row);
            ASSERT_EQ(screenDifferences(expected, cellsOf(screen)), "");
        }

        // The cases the pictures alone do not make plain.
        if (step == 32) {
            EXPECT_EQ(screen.cells[3 * kScreenColumns + 0], 'o') << "the middle run wraps into row 3";
        }
        if (step >= 33 && step <= 39) {
            const int row = checkpoints[4 + step - 33].row;
            EXPECT_EQ(screen.cells[row * kScreenColumns + 79], 'o') << "outer edge on the right wall";
            EXPECT_EQ(screen.cells[(row + 1) * kScreenColumns + 0], '.') << "nothing wraps";
        }
        if (step == 2152) {
            EXPECT_EQ(screen.cells[0], 'o') << "the top run goes on from cell 0; the guard saw no cell before it";
        }
        if (step == 2372) {
            EXPECT_EQ(screen.cells[kLastCell], '0') << "the ball may draw into the last cell";
        }
    }
    EXPECT_EQ(next, std::size(checkpoints));
}

TEST(DottedField, CoversAllButTheLastCell)
{
    ScreenBuffer screen;
    memset(screen.cells, ' ', sizeof screen.cells);
    drawDottedField(screen);
    EXPECT_EQ(cellsOf(screen), dottedField());

    memset(screen.cells, 'x', sizeof screen.cells);
    drawDottedField(screen);
    EXPECT_EQ(cellsOf(screen).substr(0, kLastCell), std::string(kLastCell, '.'));
    EXPECT_EQ(screen.cells[kLastCell], 'x');
}

}  // namespace
