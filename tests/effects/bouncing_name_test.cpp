// The bouncing name as the terminal shows it, step by step from the start of
// the run (the effect's state is never reset, so one test walks the steps).

#include <gtest/gtest.h>

#include <string>

#include "effects/bouncing_name.h"
#include "screen/console.h"
#include "screen/screen_buffer.h"
#include "tests/fakes/terminal_sink.h"
#include "tests/support/vterm_screen.h"

namespace {

struct Expected { int step, nameRow, nameColumn, leftPaddle, rightPaddle; };  // paddles by their centre rows

// The 24 x 80 picture for a name and two paddles; the last cell never shows.
std::string pictureOf(const Expected& e)
{
    std::string picture(kScreenCells, ' ');
    picture.replace(e.nameRow * 80 + e.nameColumn, 8, "tarvonik");
    for (int row = e.leftPaddle - 1; row <= e.leftPaddle + 1; ++row)
        picture[row * 80] = 'I';
    for (int row = e.rightPaddle - 1; row <= e.rightPaddle + 1; ++row)
        picture[row * 80 + 79] = 'I';
    picture[kLastCell] = ' ';
    return picture;
}

TEST(BouncingName, FollowsItsPathFromTheFirstStep)
{
    const Expected checkpoints[] = {
        {1, 11, 43, 10, 11},
        {12, 22, 65, 10, 22},
        {13, 23, 67, 10, 22},  // the paddle stops at 22 although the name is lower
        {14, 22, 69, 10, 22},
        {15, 21, 71, 10, 21},  // letters in columns 71..78
        {16, 20, 69, 11, 21},  // reversed before the move; the left paddle follows now
    };
    ScreenBuffer screen;
    blankScreen(screen);
    VtermScreen terminal(24, 80);
    resetSink();
    clearConsole();
    int step = 0;
    for (const Expected& e : checkpoints) {
        while (step < e.step) {
            drawBouncingName(screen);
            presentFrame(screen);
            ++step;
        }
        terminal.feed(sinkBytes);
        resetSink();
        EXPECT_EQ(terminal.picture(), pictureOf(e)) << "step " << e.step;
    }
}

}  // namespace
