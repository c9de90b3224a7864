// The console seen through a real terminal emulator: what a person would see
// after the bytes it writes, frame after frame.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/posix/cell_encoding.h"
#include "screen/console.h"
#include "screen/screen_buffer.h"
#include "tests/fakes/terminal_sink.h"
#include "tests/support/vterm_screen.h"

namespace {

// A frame whose every cell tells where it is: row letter, or a shade.
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

// Each test starts as the program does: a cleared screen that the console
// knows to be blank.
struct Console : testing::Test {
    void SetUp() override
    {
        sinkUtf8 = true;
        sinkRows = 24;
        sinkColumns = 80;
        resetSink();
        clearConsole();
    }
    void TearDown() override
    {
        sinkRows = 24;
        sinkColumns = 80;
    }
};

// A frame fills every cell but the last, which keeps what the terminal had
// there, in one write, a synchronized update; the same frame again sends the
// two markers alone. Whatever then reaches the screen behind the presenter's
// back (a shell's text during a stop, what a resize moved, a frame that did
// not get through whole) is gone after the next frame once the terminal asks
// for a repaint: the frame stands in the top-left corner and nothing else shows.
TEST_F(Console, AFrameFillsAllButTheLastCellAndARepaintLeavesNothingButTheFrame)
{
    VtermScreen terminal(24, 80);
    terminal.feed(sinkBytes + "\x1b[24;80HZ");
    resetSink();
    ScreenBuffer screen = patternedFrame();
    const std::string frame = withLastCellBlank(screen);
    presentFrame(screen);
    terminal.feed(sinkBytes);
    EXPECT_EQ(terminal.picture(), frame.substr(0, kLastCell) + 'Z');
    EXPECT_EQ(terminal.scrolledLines, 0);
    ASSERT_EQ(sinkWrites.size(), 1u);
    EXPECT_EQ(sinkBytes.rfind(kSyncBegin, 0), 0u);
    EXPECT_EQ(sinkBytes.substr(sinkBytes.size() - 8), kSyncEnd);
    resetSink();
    screen = patternedFrame();
    presentFrame(screen);
    EXPECT_EQ(sinkBytes, kEmptyFrame);

    terminal.feed("[1]+  Stopped   ./textdemo\r\n$ fg\r\n");
    terminal.resize(40, 120);
    sinkRows = 40;
    sinkColumns = 120;
    terminal.feed("\x1b[30;100Hmoved\x1b[3;90Hpicture\x1b[5;7Hhalf a frame\x1b[?2026h\x1b[12;40H");
    resetSink();
    sinkRepaintPending = true;
    screen = patternedFrame();
    presentFrame(screen);
    terminal.feed(sinkBytes);
    EXPECT_EQ(terminal.wholeScreen(), screenWith(frame, 40, 120));
}

// A frame shows up to its first zero cell, and leaves the buffer blank.
TEST_F(Console, AFrameShowsUpToItsFirstZeroCellAndBlanksTheBuffer)
{
    VtermScreen terminal(24, 80);
    ScreenBuffer screen;
    memset(screen.cells, 'x', sizeof screen.cells);
    screen.cells[100] = 0;
    presentFrame(screen);
    terminal.feed(sinkBytes);
    EXPECT_EQ(terminal.picture(), std::string(100, 'x') + std::string(kScreenCells - 100, ' '));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(screen.cells), kScreenCells), std::string(kScreenCells, ' '));
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
        clearConsole();
        VtermScreen terminal(24, 80, utf8);
        terminal.feed("\x1b[?25l");
        homeCursor();
        writeBytes(everyByte, sizeof everyByte);
        writeBytes("\x1b[2J\x1b[?25h\x07\n\r\x9b" "2J", 13);
        sendFrame();
        terminal.feed(sinkBytes);

        for (int byte = 0; byte < 256; ++byte) {
            char32_t shown = terminal.character(byte / 80, byte % 80);
            char32_t expected = kCp437Characters[byte];
            if (!utf8 && byte == 0)
                expected = U' ';
            else if (!utf8 && (byte < 32 || (byte >= 127 && byte < 160) || byte == 255))
                expected = U'?';
            else if (!utf8)
                expected = shownRaw(static_cast<char>(byte));
            EXPECT_EQ(shown, expected) << "byte " << byte << (utf8 ? " utf-8" : " raw");
        }
        const std::u32string shades = {terminal.character(2, 16), terminal.character(2, 17), terminal.character(2, 18)};
        EXPECT_TRUE(!utf8 || shades == U"\u2591\u2592\u2593") << "the helix's shades, light to dark";
        EXPECT_EQ(terminal.character(3, 16), utf8 ? U'\u2190' : U'?');  // the ESC of the second write
        EXPECT_EQ(terminal.character(3, 17), U'[');
        EXPECT_FALSE(terminal.cursorVisible);
        EXPECT_EQ(terminal.scrolledLines, 0);
        for (const char c : sinkBytes) {
            if (static_cast<uint8_t>(c) < 32) {
                EXPECT_TRUE(c == '\x1b' || c == '\r') << "a raw control byte reached the terminal";
            }
        }
    }
}

// Narrower and lower than the picture: the top-left part shows as it
// should, every frame after the first too, and nothing wraps or scrolls.
TEST_F(Console, ATerminalSmallerThanThePictureShowsItsTopLeftPartAndNeverScrolls)
{
    for (int columns : {79, 60, 20}) {
        SCOPED_TRACE(std::to_string(columns) + " columns");
        sinkColumns = columns;
        sinkRows = 20;
        resetSink();
        clearConsole();
        VtermScreen terminal(20, columns);
        for (int frame = 0; frame < 3; ++frame) {
            ScreenBuffer screen = patternedFrame();
            for (int cell = frame; cell < kScreenCells; cell += 5)
                screen.cells[cell] = '#';
            const std::string picture = withLastCellBlank(screen);
            presentFrame(screen);
            terminal.feed(sinkBytes);
            resetSink();
            EXPECT_EQ(terminal.scrolledLines, 0);
            for (int row = 0; row < 20; ++row)
                ASSERT_EQ(terminal.cells(row, columns), picture.substr(row * 80, columns))
                    << "frame " << frame << ", row " << row;
        }
    }
}

}  // namespace
