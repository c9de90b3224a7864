// The closing logo: the rules its artwork keeps, and one closing frame as a
// terminal shows it.

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "effects/bouncing_ball.h"
#include "effects/closing_logo.h"
#include "screen/screen_buffer.h"
#include "tests/fakes/terminal_sink.h"
#include "tests/support/vterm_screen.h"

namespace {

std::string logoPicture()
{
    std::string picture;
    for (int i = 0; i < 24; ++i)
        picture.append(logoLines[i], kLogoLineLength);
    return picture;
}

TEST(ClosingLogo, ArtworkKeepsItsRepertoireAndLayout)
{
    setupLogoLines();

    int hashes = 0;
    int eights = 0;
    int rings = 0;
    int dots = 0;
    std::set<int> colonLines;
    int colons = 0;
    int carets = 0;
    for (int line = 0; line < kLogoLines; ++line) {
        SCOPED_TRACE("line " + std::to_string(line + 1));
        ASSERT_EQ(logoLines[line], logoLines[0] + 81 * line) << "lines lie back to back, 81 bytes apart";
        ASSERT_EQ(strlen(logoLines[line]), 80u);
        for (int column = 0; column < kLogoLineLength; ++column) {
            const char c = logoLines[line][column];
            switch (c) {
            case '.': ++dots; break;
            case '8': ++eights; break;
            case 'o': ++rings; break;
            case '#': ++hashes; break;
            case ':':
                ++colons;
                colonLines.insert(line);
                EXPECT_EQ(column, 0) << "a ':' stands in column 0";
                break;
            case '^': {
                ++carets;
                EXPECT_EQ(line, 22) << "the signature is on line 23";
                ASSERT_LE(column, 76) << "three letters follow the '^'";
                EXPECT_GE(column, 66) << "near the right end of the line";
                for (int i = 1; i <= 3; ++i) {
                    const char letter = logoLines[line][column + i];
                    EXPECT_TRUE(letter >= 'a' && letter <= 'z') << "signature letter " << i;
                }
                column += 3;
                break;
            }
            default:
                ADD_FAILURE() << "column " << column << " holds byte "
                              << static_cast<int>(static_cast<unsigned char>(c));
            }
        }
    }
    EXPECT_EQ(hashes, 2);
    EXPECT_EQ(colons, 4);
    EXPECT_EQ(colonLines.size(), 4u) << "each ':' on a line of its own";
    EXPECT_EQ(carets, 1);
    EXPECT_EQ(std::string(logoLines[24]), std::string(80, '.')) << "line 25 is all dots";
    // '.' is the background, the letters are mostly '8' with 'o' on their edges.
    EXPECT_GT(dots, eights + rings);
    EXPECT_GT(eights, rings);
    EXPECT_GT(rings, 0);
}

// One closing frame over a scene-2 frame: every one of the 24 lines appears
// whole in its row, the bottom-right cell included, nothing scrolls, and a
// second frame leaves the picture as it was.
void expectClosingFrameShows(VtermScreen& terminal)
{
    setupLogoLines();
    ScreenBuffer screen;
    blankScreen(screen);
    drawDottedField(screen);
    drawBouncingBall(screen);
    resetSink();
    presentFrame(screen);
    terminal.feed(sinkBytes);

    for (int frame = 1; frame <= 2; ++frame) {
        SCOPED_TRACE("closing frame " + std::to_string(frame));
        resetSink();
        drawClosingLogo(logoLines);
        EXPECT_EQ(sinkWrites.size(), 24u) << "each line reaches the terminal by itself";
        EXPECT_EQ(sinkBytes.find('\n'), std::string::npos);
        terminal.feed(sinkBytes);

        for (int row = 0; row < 24; ++row)
            EXPECT_EQ(terminal.cells(row), std::string(logoLines[row], 80)) << "row " << row + 1;
        EXPECT_EQ(terminal.picture(), logoPicture());
        EXPECT_EQ(terminal.scrolledLines, 0);
    }
}

TEST(ClosingLogo, OneFrameFillsAnEightyByTwentyFourTerminal)
{
    sinkUtf8 = true;
    VtermScreen terminal(24, 80);
    expectClosingFrameShows(terminal);
}

TEST(ClosingLogo, ShowsTheSameOnATerminalThatDoesNotSpeakUtf8)
{
    sinkUtf8 = false;
    VtermScreen terminal(24, 80, false);
    expectClosingFrameShows(terminal);
    sinkUtf8 = true;
}

TEST(ClosingLogo, KeepsToEightyColumnsOnAWiderTerminal)
{
    sinkUtf8 = true;
    VtermScreen terminal(30, 120);
    expectClosingFrameShows(terminal);
    for (int row = 0; row < 30; ++row) {
        std::string beyond = terminal.cells(row, 120).substr(80);
        EXPECT_EQ(beyond, std::string(40, ' ')) << "row " << row + 1;
    }
    for (int row = 24; row < 30; ++row)
        EXPECT_EQ(terminal.cells(row), std::string(80, ' ')) << "row " << row + 1 << " is never written";
}

}  // namespace
