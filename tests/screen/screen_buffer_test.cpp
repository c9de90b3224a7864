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

// A text's last character is left out, and what runs past column 79
// carries on in the next row.
TEST(PutText, WritesAllButTheLastCharacterAndRunsOnIntoTheNextRow)
{
    ScreenBuffer screen = blankBuffer();
    putText(screen, 2, 10, "ab");
    putText(screen, 5, 5, "x");
    putText(screen, 5, 6, "");
    EXPECT_EQ(row(screen, 2).substr(10, 2), "a ");
    EXPECT_EQ(row(screen, 5), std::string(80, ' '));

    putText(screen, 3, 75, "0123456789");
    EXPECT_EQ(row(screen, 3), std::string(75, ' ') + "01234");
    EXPECT_EQ(row(screen, 4).substr(0, 5), "5678 ");
}

// A frame shows up to its first zero cell, and leaves the buffer blank.
TEST(PresentFrame, ShowsUpToTheFirstZeroCellAndBlanksTheBuffer)
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
    EXPECT_EQ(std::string(reinterpret_cast<char*>(screen.cells), kScreenCells), std::string(kScreenCells, ' '));
}

}  // namespace
