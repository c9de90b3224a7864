// Bursts from the start of the run, with the calendar seconds held where the
// test puts them. The burst's state is never reset, so one test walks the
// calls in order.

#include <gtest/gtest.h>

#include <string>

#include "effects/bursts.h"
#include "tests/effects/picture_stamp.h"
#include "tests/fakes/fixed_calendar.h"

namespace {

// A background no burst uses, varied so that a stray write shows.
std::string background()
{
    std::string cells(kScreenCells, ' ');
    for (int i = 0; i < kScreenCells; ++i)
        cells[i] = static_cast<char>('A' + i % 26);
    return cells;
}

// The shape pictures of stages 1 to 4, centred on the burst's cell.
std::string withBurst(int stage, int column, int row)
{
    std::string cells = background();
    if (stage == 4)
        stampPicture(cells, row - 3, column - 3,
                     {"--ooo--", "-oOOOo-", "oOOOOOo", "oOOOOOo", "oOOOOOo", "-oOOOo-", "--ooo--"});
    if (stage == 3)
        stampPicture(cells, row - 2, column - 3, {"--ooo--", "-oOOOo-", "oOOOOOo", "-oOOOo-", "--ooo--"});
    if (stage == 2)
        stampPicture(cells, row - 1, column - 2, {"-ooo-", "ooOoo", "-ooo-"});
    if (stage == 1)
        stampPicture(cells, row, column, {"o"});
    return cells;
}

struct Call {
    int64_t seconds;
    int32_t trigger;
    int stage;  // what the call must draw; 0 draws nothing
    int column;
    int row;
};

// With the seconds at 0 the generator's second and third draws are 346 and
// 130: column 7 + 346 % 65 = 28, row 4 + 130 % 17 = 15.
constexpr int64_t kSecondAtCentre = 0;
// Seconds found by running the generator by hand: they put the centre at the
// two extreme places.
constexpr int64_t kSecondAtBottomRight = 1700000004;  // column 71, row 20
constexpr int64_t kSecondAtTopLeft = 1700000092;      // column 7, row 4

TEST(Bursts, CollapseStageByStageAfterEachTrigger)
{
    const Call calls[] = {
        // Nothing before the first trigger.
        {0, 0, 0, 0, 0},
        {0, 5, 0, 0, 0},
        // A trigger, then four stages, then nothing.
        {kSecondAtCentre, 1, 4, 28, 15},
        {0, 0, 3, 28, 15},
        {0, 0, 2, 28, 15},
        {0, 0, 1, 28, 15},
        {0, 0, 0, 0, 0},
        {0, 0, 0, 0, 0},
        // Any trigger but 1 lets the burst play on.
        {kSecondAtCentre, 1, 4, 28, 15},
        {0, 2, 3, 28, 15},
        {0, -1, 2, 28, 15},
        {kSecondAtTopLeft, 2, 1, 28, 15},
        {0, -1, 0, 0, 0},
        // Triggers in a row restart at the same place within one second.
        {kSecondAtCentre, 1, 4, 28, 15},
        {0, 0, 3, 28, 15},
        {kSecondAtCentre, 1, 4, 28, 15},
        {kSecondAtCentre, 1, 4, 28, 15},
        {0, 0, 3, 28, 15},
        {0, 0, 2, 28, 15},
        {0, 0, 1, 28, 15},
        {0, 0, 0, 0, 0},
        // Another second, another place; the largest shape stays inside the
        // buffer and does not wrap at either extreme.
        {kSecondAtBottomRight, 1, 4, 71, 20},
        {0, 0, 3, 71, 20},
        {kSecondAtTopLeft, 1, 4, 7, 4},
        {kSecondAtBottomRight, 0, 3, 7, 4},  // the clock is read only on a trigger
        {0, 0, 2, 7, 4},
        {0, 0, 1, 7, 4},
        {0, 0, 0, 0, 0},
    };
    ScreenBuffer screen;
    int number = 0;
    for (const Call& call : calls) {
        SCOPED_TRACE("call " + std::to_string(++number) + ", trigger " + std::to_string(call.trigger));
        fixedSeconds = call.seconds;
        fillScreen(screen, background());
        drawBurst(screen, call.trigger);
        ASSERT_EQ(screenDifferences(withBurst(call.stage, call.column, call.row), cellsOf(screen)), "");
    }
}

}  // namespace
