// The real program in a pseudo-terminal, as a person runs it.

#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "tests/support/pty_run.h"
#include "tests/support/vterm_screen.h"

namespace {

std::string makeFolder()
{
    char name[] = "/tmp/textdemo-run-XXXXXX";
    return mkdtemp(name) ? name : "/tmp";
}

TEST(Run, PlaysTheIntroAndGivesTheTerminalBack)
{
    PtyRun run = runInPty(TEXTDEMO_BINARY, makeFolder());
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(countWrites(run.output), 100);
    EXPECT_TRUE(run.echoAfter);
    VtermScreen terminal(24, 80);
    terminal.feed(run.output);
    EXPECT_TRUE(terminal.cursorVisible);
    EXPECT_NE(terminal.cells(0).find("tarvonik") + terminal.picture().find("tarvonik"), std::string::npos);
}

TEST(Run, AnInterruptRestoresTheTerminalAndEndsWithStatus130)
{
    PtyRun run = runInPty(TEXTDEMO_BINARY, makeFolder(), 20, SIGINT);
    EXPECT_EQ(run.exitStatus, 128 + SIGINT);
    EXPECT_LT(countWrites(run.output), 100);
    EXPECT_TRUE(run.echoAfter);
    VtermScreen terminal(24, 80);
    terminal.feed(run.output);
    EXPECT_TRUE(terminal.cursorVisible);
}

}  // namespace
