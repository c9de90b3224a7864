// The real program in a pseudo-terminal, as a person runs it.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/pty_run.h"
#include "tests/support/vterm_screen.h"

namespace {

std::string makeFolder()
{
    char name[] = "/tmp/textdemo-run-XXXXXX";
    return mkdtemp(name) ? name : "/tmp";
}

// A folder holding a short version of the song: all 13 orders in a few seconds.
std::string folderWithShortSong()
{
    std::string folder = makeFolder();
    std::string command = std::string(MAKE_MODULE_BINARY) + " --fast " + folder + "/qk17.xm";
    EXPECT_EQ(system(command.c_str()), 0);
    return folder;
}

// The picture after each synchronized write, on an 80 x rows terminal.
std::vector<std::string> picturesOf(const PtyRun& run, int rows)
{
    std::vector<std::string> pictures;
    VtermScreen terminal(rows, 80);
    terminal.feed(run.output.substr(0, run.output.find("\x1b[?2026h")));
    for (const std::string& write : splitWrites(run.output)) {
        terminal.feed(write);
        pictures.push_back(terminal.picture());
    }
    return pictures;
}

int cellsWritten(const std::string& picture)
{
    return static_cast<int>(std::count_if(picture.begin(), picture.end(), [](char c) { return c != ' '; }));
}

// The name and two paddles; the paddle's cell in the never-shown last cell
// may be missing.
bool isIntroFrame(const std::string& picture)
{
    const int written = cellsWritten(picture);
    return (written == 14 || written == 13) && picture.find("tarvonik") != std::string::npos;
}

void expectTerminalGivenBack(const PtyRun& run, int rows)
{
    EXPECT_TRUE(run.echoAfter) << "echo is still off";
    VtermScreen terminal(rows, 80);
    terminal.feed(run.output);
    EXPECT_TRUE(terminal.cursorVisible) << "the cursor is still hidden";
}

TEST(Run, PlaysTheWholeShowAndLeavesTheLogoOnScreen)
{
    const int rows = 25;
    PtyRun run = runInPty(TEXTDEMO_BINARY, folderWithShortSong(), 0, 0, rows);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.errors, "");
    expectTerminalGivenBack(run, rows);

    std::vector<std::string> pictures = picturesOf(run, rows);
    ASSERT_GT(pictures.size(), 100u + 2400u);
    for (int frame = 0; frame < 100; ++frame)
        ASSERT_TRUE(isIntroFrame(pictures[frame])) << "intro frame " << frame;

    // Scene frames until the logo's 2,400 line writes.
    const size_t closing = pictures.size() - 2400;
    int greeting = 0, ball = 0, helix = 0;
    for (size_t frame = 100; frame < closing; ++frame) {
        const std::string& picture = pictures[frame];
        if (std::count(picture.begin(), picture.end(), '.') > 1000)
            ++ball;
        else if (picture.find("\xb1") != std::string::npos)
            ++helix;
        else if (picture.find("tarvonik") != std::string::npos && picture.find('$') != std::string::npos)
            ++greeting;
    }
    EXPECT_GT(greeting, 10);
    EXPECT_GT(ball, 10);
    EXPECT_GT(helix, 30);

    VtermScreen terminal(rows, 80);
    terminal.feed(run.output);
    const std::string logo = terminal.picture();
    EXPECT_EQ(logo.find(' '), std::string::npos) << "the logo covers all 24 rows";
    EXPECT_EQ(pictures[closing - 1 + 2400].substr(0, 1920), pictures[closing - 1 + 24]);

    const double gap = run.writeTimes[100] - run.writeTimes[99];
    printf("gap between the last intro frame and the first scene frame: %.1f ms\n", gap * 1000);
}

TEST(Run, WithoutItsSongItEndsWithStatus1AfterTheIntro)
{
    PtyRun run = runInPty(TEXTDEMO_BINARY, makeFolder());
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(countWrites(run.output), 100);
    EXPECT_EQ(run.errors, "");
    expectTerminalGivenBack(run, 24);
    std::vector<std::string> pictures = picturesOf(run, 24);
    ASSERT_EQ(pictures.size(), 100u);
    EXPECT_TRUE(isIntroFrame(pictures.back()));
}

TEST(Run, ABrokenSongEndsTheSameWay)
{
    std::string folder = makeFolder();
    std::ofstream(folder + "/qk17.xm") << "Extended Module: but nothing more";
    PtyRun run = runInPty(TEXTDEMO_BINARY, folder);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(countWrites(run.output), 100);
    EXPECT_EQ(run.errors, "");
    expectTerminalGivenBack(run, 24);
}

TEST(Run, AnInterruptGivesTheTerminalBackAndEndsWithStatus130)
{
    PtyRun run = runInPty(TEXTDEMO_BINARY, makeFolder(), 20, SIGINT);
    EXPECT_EQ(run.exitStatus, 128 + SIGINT);
    EXPECT_LT(countWrites(run.output), 100);
    expectTerminalGivenBack(run, 24);
}

// The test's pseudo-terminal has no job control (the program's process group
// is orphaned), so the stop itself is dropped by the system; what the program
// does around it still shows: the terminal given back, then taken again, and
// the next frame repainting a screen the shell may have written on.
TEST(Run, CtrlZGivesTheTerminalBackAndTheNextFrameRepaintsTheScreen)
{
    PtyRun run = runInPty(TEXTDEMO_BINARY, makeFolder(), 20, SIGTSTP);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(countWrites(run.output), 100);
    expectTerminalGivenBack(run, 24);

    const size_t shown = run.output.find("\x1b[?25h");
    ASSERT_NE(shown, std::string::npos);
    const size_t hidden = run.output.find("\x1b[?25l", shown);
    const size_t nextFrame = run.output.find("\x1b[?2026h", shown);
    ASSERT_NE(hidden, std::string::npos);
    ASSERT_NE(nextFrame, std::string::npos);
    VtermScreen terminal(24, 80);
    terminal.feed(run.output.substr(0, hidden));
    EXPECT_TRUE(terminal.cursorVisible) << "given back at the stop";
    terminal.feed(run.output.substr(hidden, nextFrame - hidden));
    EXPECT_FALSE(terminal.cursorVisible) << "taken again after it";
    terminal.feed("[1]+  Stopped\r\n$ fg\x1b[24;80HZ");
    terminal.feed(run.output.substr(nextFrame));
    EXPECT_EQ(terminal.character(23, 79), U' ') << "the next frame cleared the screen";
    EXPECT_EQ(terminal.picture().find("Stopped"), std::string::npos);
}

// Output into a pipe: the same frames, and no terminal mode touched.
std::string runPiped(const std::string& directory)
{
    int channel[2];
    if (pipe(channel) != 0)
        return "";
    pid_t child = fork();
    if (child == 0) {
        dup2(channel[1], STDOUT_FILENO);
        close(channel[0]);
        close(channel[1]);
        if (chdir(directory.c_str()) != 0)
            _exit(126);
        setenv("LANG", "C.UTF-8", 1);
        setenv("LC_ALL", "C.UTF-8", 1);
        execl(TEXTDEMO_BINARY, TEXTDEMO_BINARY, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(channel[1]);
    std::string output;
    char buffer[65536];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, n);
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    return output;
}

TEST(Run, IntoAPipeTheFramesAreTheSame)
{
    const std::string folder = makeFolder();
    const std::string piped = runPiped(folder);
    PtyRun run = runInPty(TEXTDEMO_BINARY, folder);
    const std::vector<std::string> pipedWrites = splitWrites(piped);
    ASSERT_EQ(pipedWrites.size(), 100u);
    const std::vector<std::string> terminalWrites = splitWrites(run.output);
    ASSERT_EQ(terminalWrites.size(), 100u);
    for (int frame = 0; frame < 99; ++frame)
        EXPECT_EQ(pipedWrites[frame], terminalWrites[frame]) << "frame " << frame;
    EXPECT_EQ(piped.find("\x1b[?25h"), std::string::npos) << "nothing to give back";
}

}  // namespace
