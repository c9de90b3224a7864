#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "screen/console.h"
#include "screen/screen_buffer.h"
#include "tests/fakes/terminal_sink.h"
#include "tests/support/vterm_screen.h"

namespace {

std::string cellsOf(const ScreenBuffer& screen) { return {reinterpret_cast<const char*>(screen.cells), kScreenCells}; }

// A text's last character is left out, and what runs past column 79
// carries on in the next row.
TEST(PutText, WritesAllButTheLastCharacterAndRunsOnIntoTheNextRow)
{
    ScreenBuffer screen;
    blankScreen(screen);
    putText(screen, 2, 10, "ab");
    putText(screen, 5, 5, "x");
    putText(screen, 5, 6, "");
    putText(screen, 3, 75, "0123456789");
    std::string expected(kScreenCells, ' ');
    expected[2 * 80 + 10] = 'a';
    expected.replace(3 * 80 + 75, 9, "012345678");
    EXPECT_EQ(cellsOf(screen), expected);
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
    EXPECT_EQ(terminal.picture(), std::string(100, 'x') + std::string(kScreenCells - 100, ' '));
    EXPECT_EQ(cellsOf(screen), std::string(kScreenCells, ' '));
}

}  // namespace
