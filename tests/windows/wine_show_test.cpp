// The Windows program under Wine, in a pseudo-terminal of 80 x 25, compared
// with the pictures of the POSIX build. Wine's console puts what changed in
// its buffer onto the terminal after each of the program's calls, so the
// pictures are read after each of its control sequences.

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/scene_pictures.h"
#include "tests/support/song_folder.h"
#include "tests/support/vterm_screen.h"
#include "tests/support/pty_run.h"
#include "tests/windows/wine_prefix.h"

namespace {

constexpr int kRows = 25;
constexpr int kIntroFrames = 100;

// Pictures are whole screens of 25 x 80 cells, as code page 437 bytes: the
// frame and the row below it, which must stay blank.
const std::string kBlankRow(80, ' ');
std::string rowBelow(const std::string& picture) { return picture.substr(24 * 80); }

// The intro's frames as the POSIX build shows them without a song: after the
// opening clear, the hundred frames of the bouncing name.
std::vector<std::string> posixIntroFrames()
{
    PtyOptions options;
    options.rows = kRows;
    const std::string output = runInPty(TEXTDEMO_BINARY, folderWith(Song::none), options).output;
    std::vector<std::string> shown;
    for (const std::string& picture : picturesAfterWrites(output, kRows))
        shown.push_back(picture + kBlankRow);
    shown.erase(shown.begin());
    return shown;
}

// Every picture the terminal showed, read after each control sequence and
// once at the end, each one only once in a row.
std::vector<std::string> picturesOf(const std::string& output)
{
    std::vector<std::string> pictures;
    VtermScreen terminal(kRows, 80);
    for (size_t at = 0; at < output.size();) {
        const size_t next = std::min(output.find('\x1b', at + 1), output.size());
        terminal.feed(output.substr(at, next - at));
        if (pictures.empty() || terminal.wholeScreen() != pictures.back())
            pictures.push_back(terminal.wholeScreen());
        at = next;
    }
    return pictures;
}

// What the terminal showed until the last intro frame: how many of the
// intro frames (each at most once, in order), and how many pictures on the
// way from one to the next held a cell of neither (nor a blank, which Wine
// clears a line with before it writes it again).
struct IntroShown {
    int frames = 0;
    int others = 0;
};

IntroShown introShown(const std::vector<std::string>& pictures, const std::vector<std::string>& intro)
{
    IntroShown shown;
    size_t next = 0;
    std::vector<const std::string*> onTheWay;
    for (const std::string& picture : pictures) {
        const auto found = std::find(intro.begin() + next, intro.end(), picture);
        if (found == intro.end()) {
            onTheWay.push_back(&picture);
            continue;
        }
        for (const std::string* partial : onTheWay)
            for (size_t cell = 0; cell < partial->size(); ++cell) {
                const char c = (*partial)[cell];
                if (c != ' ' && c != (*found)[cell] && (next == 0 || c != intro[next - 1][cell])) {
                    ++shown.others;
                    break;
                }
            }
        onTheWay.clear();
        ++shown.frames;
        next = static_cast<size_t>(found - intro.begin()) + 1;
    }
    return shown;
}

void expectConsoleGivenBack(const PtyRun& run)
{
    VtermScreen terminal(kRows, 80);
    terminal.feed(run.output);
    EXPECT_TRUE(terminal.cursorVisible) << "the cursor is still hidden";
    EXPECT_EQ(terminal.cursor(), std::make_pair(24, 0)) << "the cursor is at the start of the line below the picture";
}

class WineShow : public ::testing::Test {
protected:
    void SetUp() override
    {
        prefix = makeWinePrefix();
        ASSERT_EQ(prefix.failure, "") << "Wine cannot start";
    }
    void TearDown() override { removeWinePrefix(prefix); }

    // With interruptAfterSeconds, SIGINT that long after the start, which Wine
    // hands to the program as a Ctrl-C.
    PtyRun runShow(int interruptAfterSeconds = 0)
    {
        PtyOptions options;
        options.rows = kRows;
        options.timeoutSeconds = 180;
        options.arguments = {TEXTDEMO_EXE};
        options.signal = interruptAfterSeconds > 0 ? SIGINT : 0;
        options.signalAfterSeconds = interruptAfterSeconds;
        return runInPty("wine", prefix.runFolder, options);
    }

    WinePrefix prefix;
};

TEST_F(WineShow, PlaysTheWholeShowAndLeavesTheLogoOnScreen)
{
    putSong(Song::fast, prefix.runFolder);
    PtyRun run = runShow();
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.errors, "");
    expectConsoleGivenBack(run);

    const std::vector<std::string> pictures = picturesOf(run.output);
    ASSERT_GT(pictures.size(), 50u);
    for (size_t i = 0; i < pictures.size(); ++i)
        ASSERT_EQ(rowBelow(pictures[i]), kBlankRow) << "something below the picture, picture " << i;

    const IntroShown shown = introShown(pictures, posixIntroFrames());
    printf("%zu pictures; %d of the %d intro frames shown, %d other pictures among them\n", pictures.size(),
           shown.frames, kIntroFrames, shown.others);
    EXPECT_GE(shown.frames, kIntroFrames * 9 / 10);
    EXPECT_EQ(shown.others, 0);

    // Every scene and the logo, in order, as on POSIX.
    std::vector<std::string> frames;
    for (const std::string& picture : pictures)
        frames.push_back(picture.substr(0, 24 * 80));
    EXPECT_EQ(sceneCuts(frames).size(), 5u);
    EXPECT_EQ(pictures.back(), logoPicture() + kBlankRow) << "the closing logo, as on POSIX";
}

// Windows ends a program on Ctrl-C with STATUS_CONTROL_C_EXIT (0xC000013A);
// Wine gives the low byte of it to the shell.
TEST_F(WineShow, CtrlCGivesTheConsoleBackAndEndsTheProgram)
{
    putSong(Song::fast, prefix.runFolder);
    PtyRun run = runShow(5);
    EXPECT_EQ(run.exitStatus, 0x3A);
    EXPECT_EQ(run.errors, "");
    expectConsoleGivenBack(run);
    const std::vector<std::string> pictures = picturesOf(run.output);
    ASSERT_FALSE(pictures.empty());
    EXPECT_NE(pictures.back(), logoPicture() + kBlankRow) << "ended before the logo";
    EXPECT_EQ(rowBelow(pictures.back()), kBlankRow);
}

}  // namespace
