// The console seen through a real terminal emulator: what a person would see
// after the bytes it writes.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "screen/cell_encoding.h"
#include "screen/console.h"
#include "screen/screen_buffer.h"
#include "tests/fakes/terminal_sink.h"
#include "tests/support/vterm_screen.h"

namespace {

// A frame whose every cell tells where it is: row letter, column digit.
ScreenBuffer patternedFrame()
{
    ScreenBuffer screen;
    for (int cell = 0; cell < kScreenCells; ++cell)
        screen.cells[cell] = static_cast<uint8_t>(cell % 7 == 0 ? 176 + cell % 3 : 'A' + (cell / 80) % 26);
    return screen;
}

std::string withLastCellBlank(const ScreenBuffer& screen)
{
    std::string picture(reinterpret_cast<const char*>(screen.cells), kScreenCells);
    picture[kLastCell] = ' ';
    return picture;
}

struct Console : testing::Test {
    void SetUp() override
    {
        sinkUtf8 = true;
        resetSink();
    }
};

TEST_F(Console, StartHidesTheCursorAndClearsTheScreen)
{
    VtermScreen terminal(24, 80);
    terminal.feed("leftover text\r\nmore");
    hideCursor();
    clearConsole();
    terminal.feed(sinkBytes);
    EXPECT_EQ(sinkStarts, 1);
    EXPECT_FALSE(terminal.cursorVisible);
    EXPECT_EQ(terminal.picture(), std::string(kScreenCells, ' '));
    EXPECT_EQ(terminal.cursorRow(), 0);
    EXPECT_EQ(terminal.cursorColumn(), 0);
}

// The last cell is never written: it keeps what the terminal had there.
TEST_F(Console, AFrameFillsAllButTheLastCellWithoutScrolling)
{
    VtermScreen terminal(24, 80);
    terminal.feed("\x1b[24;80HZ");
    ScreenBuffer screen = patternedFrame();
    std::string expected = withLastCellBlank(screen);
    expected[kLastCell] = 'Z';
    presentFrame(screen);
    terminal.feed(sinkBytes);
    EXPECT_EQ(terminal.picture(), expected);
    EXPECT_EQ(terminal.scrolledLines, 0);
    EXPECT_EQ(terminal.cursorRow(), 23);
    EXPECT_EQ(terminal.cursorColumn(), 79);
    EXPECT_EQ(sinkWrites.size(), 1u);
}

TEST_F(Console, AWideTerminalShowsTheSamePictureAsAn80ColumnOne)
{
    VtermScreen narrow(24, 80);
    VtermScreen wide(30, 120);
    ScreenBuffer screen = patternedFrame();
    presentFrame(screen);
    narrow.feed(sinkBytes);
    wide.feed(sinkBytes);
    for (int row = 0; row < 24; ++row) {
        EXPECT_EQ(wide.cells(row, 120), narrow.cells(row) + std::string(40, ' ')) << "row " << row;
    }
    EXPECT_EQ(wide.cells(24, 120), std::string(120, ' '));
}

TEST_F(Console, WritesContinueWhereThePreviousWriteEnded)
{
    VtermScreen terminal(24, 80);
    ScreenBuffer screen = patternedFrame();
    homeCursor();
    for (int line = 0; line < 24; ++line)
        writeBytes(&screen.cells[line * 80], 80);
    terminal.feed(sinkBytes);
    EXPECT_EQ(terminal.picture(), std::string(reinterpret_cast<char*>(screen.cells), kScreenCells));
    EXPECT_EQ(terminal.scrolledLines, 0);
    EXPECT_EQ(sinkWrites.size(), 24u);
}

// What a non-UTF-8 terminal shows for one byte sent as it is.
char32_t shownRaw(char byte)
{
    VtermScreen terminal(24, 80, false);
    terminal.feed(std::string(1, byte));
    return terminal.character(0, 0);
}

// Every byte value as a cell: a UTF-8 terminal shows its code page 437
// character (the shade blocks 176..178 included), another terminal the byte
// itself; nothing a cell holds can move the cursor, clear, or change a mode.
TEST_F(Console, NoCellCanReachTheTerminalAsAControlCode)
{
    uint8_t everyByte[256];
    for (int byte = 0; byte < 256; ++byte)
        everyByte[byte] = static_cast<uint8_t>(byte);
    for (bool utf8 : {true, false}) {
        sinkUtf8 = utf8;
        resetSink();
        VtermScreen terminal(24, 80, utf8);
        terminal.feed("\x1b[?25l");
        homeCursor();
        writeBytes(everyByte, sizeof everyByte);
        writeBytes("\x1b[2J\x1b[?25h\x07\n\r\x9b" "2J", 13);
        terminal.feed(sinkBytes);

        for (int byte = 0; byte < 256; ++byte) {
            char32_t shown = terminal.character(byte / 80, byte % 80);
            char32_t expected = kCp437Characters[byte];
            if (!utf8 && byte == 0)
                expected = U' ';
            else if (!utf8 && (byte < 32 || (byte >= 127 && byte < 160)))
                expected = U'?';
            else if (!utf8)
                expected = shownRaw(static_cast<char>(byte));
            EXPECT_EQ(shown, expected) << "byte " << byte << (utf8 ? " utf-8" : " raw");
        }
        EXPECT_EQ(terminal.character(3, 16), utf8 ? U'\u2190' : U'?');  // the ESC of the second write
        EXPECT_EQ(terminal.character(3, 17), U'[');
        EXPECT_FALSE(terminal.cursorVisible);
        EXPECT_EQ(terminal.scrolledLines, 0);
        for (const char c : sinkBytes) {
            if (static_cast<uint8_t>(c) < 32) {
                EXPECT_EQ(c, '\x1b') << "a raw control byte reached the terminal";
            }
        }
    }
}

TEST_F(Console, EveryWriteIsOneSynchronizedUpdate)
{
    const uint8_t cells[] = {'a', 'b'};
    homeCursor();
    writeBytes(cells, sizeof cells);
    ASSERT_EQ(sinkWrites.size(), 1u);
    EXPECT_EQ(sinkBytes.rfind("\x1b[?2026h", 0), 0u);
    EXPECT_EQ(sinkBytes.substr(sinkBytes.size() - 8), "\x1b[?2026l");
}

TEST_F(Console, AfterAStopTheNextFrameRepaintsTheWholeScreen)
{
    VtermScreen terminal(24, 80);
    terminal.feed("[1]+  Stopped   ./textdemo\r\n$ fg\r\n\x1b[24;80HZ");
    sinkRepaintPending = true;
    ScreenBuffer screen = patternedFrame();
    const std::string expected = withLastCellBlank(screen);
    presentFrame(screen);
    terminal.feed(sinkBytes);
    EXPECT_EQ(terminal.picture(), expected);
}

std::string wholeScreen(const VtermScreen& terminal)
{
    std::string screen;
    for (int row = 0; row < terminal.rows; ++row)
        screen += terminal.cells(row, terminal.columns);
    return screen;
}

// A terminal made larger moves or keeps parts of the old picture; the next
// frame clears them all and stands in the top-left corner.
TEST_F(Console, AfterAResizeTheNextFrameLeavesNothingButItself)
{
    VtermScreen terminal(24, 80);
    ScreenBuffer screen = patternedFrame();
    const std::string frame = withLastCellBlank(screen);
    presentFrame(screen);
    terminal.feed(sinkBytes);
    terminal.resize(40, 120);
    terminal.feed("\x1b[30;100Hmoved\x1b[3;90Hpicture\x1b[24;80HZ");
    resetSink();
    sinkRepaintPending = true;
    screen = patternedFrame();
    presentFrame(screen);
    terminal.feed(sinkBytes);
    std::string expected;
    for (int row = 0; row < 40; ++row)
        expected += (row < 24 ? frame.substr(row * 80, 80) : std::string(80, ' ')) + std::string(40, ' ');
    EXPECT_EQ(wholeScreen(terminal), expected);
}

// The closing logo writes a frame line by line: a resize in the middle of it
// clears the screen at the next frame's first line, never under the lines
// already written.
TEST_F(Console, ARepaintWaitsForTheFrameToStartAtTheTopLeftCell)
{
    VtermScreen terminal(24, 80);
    const std::string line(80, 'L');
    homeCursor();
    writeBytes(line.data(), line.size());
    sinkRepaintPending = true;
    writeBytes(line.data(), line.size());
    terminal.feed(sinkBytes);
    EXPECT_EQ(terminal.cells(0), line) << "the frame's first line was cleared under it";
    EXPECT_EQ(terminal.cells(1), line);

    terminal.feed("\x1b[20;5Hdebris");
    sinkBytes.clear();  // the repaint request stays pending
    homeCursor();
    writeBytes(line.data(), line.size());
    terminal.feed(sinkBytes);
    EXPECT_EQ(terminal.picture(), line + std::string(kScreenCells - 80, ' '));
}

// Narrower and lower than the picture: the rest of each row stays in the
// last column and the rows below the last land on the last; nothing wraps,
// nothing scrolls, and the top-left part shows as it should.
TEST_F(Console, ATerminalSmallerThanThePictureNeverScrolls)
{
    for (int columns : {79, 60, 20}) {
        VtermScreen terminal(20, columns);
        ScreenBuffer screen = patternedFrame();
        const std::string frame = withLastCellBlank(screen);
        presentFrame(screen);
        terminal.feed(sinkBytes);
        EXPECT_EQ(terminal.scrolledLines, 0) << columns << " columns";
        for (int row = 0; row < 19; ++row)
            EXPECT_EQ(terminal.cells(row, columns - 1), frame.substr(row * 80, columns - 1))
                << columns << " columns, row " << row;
        resetSink();
    }
}

}  // namespace
