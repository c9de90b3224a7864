#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "screen/console.h"
#include "screen/screen_buffer.h"
#include "tests/fakes/terminal_sink.h"
#include "tests/support/vterm_screen.h"

namespace {

ScreenBuffer blankBuffer()
{
    ScreenBuffer screen;
    blankScreen(screen);
    return screen;
}

std::string row(const ScreenBuffer& screen, int r)
{
    return std::string(reinterpret_cast<const char*>(&screen.cells[r * kScreenColumns]), kScreenColumns);
}

TEST(PutText, WritesAllButTheLastCharacter)
{
    ScreenBuffer screen = blankBuffer();
    putText(screen, 2, 10, "ab");
    EXPECT_EQ(screen.cells[2 * 80 + 10], 'a');
    EXPECT_EQ(screen.cells[2 * 80 + 11], ' ');

    putText(screen, 5, 5, "x");
    putText(screen, 5, 6, "");
    EXPECT_EQ(row(screen, 5), std::string(80, ' '));
}

TEST(PutText, RunsPastColumn79IntoTheNextRow)
{
    ScreenBuffer screen = blankBuffer();
    putText(screen, 3, 75, "0123456789");
    EXPECT_EQ(row(screen, 3).substr(75), "01234");
    EXPECT_EQ(row(screen, 4).substr(0, 5), "5678 ");
    EXPECT_EQ(row(screen, 3).substr(0, 75), std::string(75, ' '));
}

TEST(PresentFrame, BlanksEveryCellAfterwards)
{
    resetSink();
    ScreenBuffer screen;
    memset(screen.cells, 'x', sizeof screen.cells);
    presentFrame(screen);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(screen.cells), kScreenCells),
              std::string(kScreenCells, ' '));
    EXPECT_EQ(sinkWrites.size(), 1u);
}

TEST(PresentFrame, StopsAtTheFirstZeroCell)
{
    resetSink();
    clearConsole();
    VtermScreen terminal(24, 80);
    ScreenBuffer screen;
    memset(screen.cells, 'x', sizeof screen.cells);
    screen.cells[100] = 0;
    presentFrame(screen);
    terminal.feed(sinkBytes);
    EXPECT_EQ(terminal.cells(1), std::string(20, 'x') + std::string(60, ' '));
    EXPECT_EQ(terminal.cells(2), std::string(80, ' '));
}

}  // namespace
