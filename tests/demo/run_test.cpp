// The real program in a pseudo-terminal, as a person runs it: the whole show,
// and every way a run can end or be disturbed (signals, crashes, a stop, a
// kill while stopped, resizes, output into a pipe, input that is no
// terminal), each leaving the terminal as it was found.

#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/pty_run.h"
#include "tests/support/scene_pictures.h"
#include "tests/support/song_folder.h"
#include "tests/support/vterm_screen.h"

namespace {

// Every frame is one synchronized write; the first write of a run clears
// the screen, then come the 100 intro frames.
constexpr int kIntroWrites = 1 + 100;
constexpr int kLogoFrames = 100;

PtyOptions signalAfter(int writes, int signal)
{
    PtyOptions options;
    options.signalAfterWrites = writes;
    options.signal = signal;
    return options;
}

// The name and two paddles; the paddle's cell in the never-shown last cell
// may be missing.
bool isIntroFrame(const std::string& picture)
{
    const auto written = std::count_if(picture.begin(), picture.end(), [](char c) { return c != ' '; });
    return (written == 14 || written == 13) && picture.find("tarvonik") != std::string::npos;
}

void expectTerminalGivenBack(const PtyRun& run, int rows = 24)
{
    EXPECT_TRUE(run.echoAfter) << "echo is still off";
    EXPECT_TRUE(run.canonicalAfter) << "line editing is still off";
    VtermScreen terminal(rows, 80);
    terminal.feed(run.output);
    EXPECT_TRUE(terminal.cursorVisible) << "the cursor is still hidden";
    EXPECT_FALSE(terminal.synchronizedUpdate) << "the synchronized update was never ended";
}

TEST(Run, PlaysTheWholeShowAndLeavesTheLogoOnScreen)
{
    PtyOptions options;
    options.rows = 25;
    PtyRun run = runInPty(TEXTDEMO_BINARY, folderWith(Song::fast), options);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.errors, "");
    expectTerminalGivenBack(run, 25);

    const std::vector<std::string> pictures = picturesAfterWrites(run.output, 25);
    ASSERT_GT(pictures.size(), static_cast<size_t>(kIntroWrites + kLogoFrames));
    EXPECT_EQ(pictures[0], std::string(1920, ' '));
    for (int frame = 1; frame < kIntroWrites; ++frame)
        ASSERT_TRUE(isIntroFrame(pictures[frame])) << "intro frame " << frame;
    const size_t closing = pictures.size() - kLogoFrames;
    const std::vector<size_t> cuts = sceneCuts(pictures);
    ASSERT_EQ(cuts.size(), 5u) << "every scene, in order";
    EXPECT_GT(cuts[0], kIntroWrites + 10u) << "the greeting";
    EXPECT_EQ(cuts[4], closing) << "the logo's hundred frames end the show";
    EXPECT_EQ(pictures.back().find(' '), std::string::npos) << "the logo covers all 24 rows";
    EXPECT_EQ(pictures[closing], pictures.back()) << "the logo's first frame shows it whole";
}

// Without its song, with a broken one, with input that is no terminal or
// standard error on the terminal: the intro, then status 1, nothing said,
// and the terminal as it was. Standard error on the terminal points at
// /dev/null for the run, elsewhere it stays.
TEST(Run, WithoutAPlayableSongItEndsWithStatus1AfterTheIntro)
{
    struct Case {
        Song song;
        bool inputNotTerminal;
        bool errorsOnTerminal;
    };
    for (const Case& c : {Case{Song::none, false, false}, Case{Song::broken, false, false},
                          Case{Song::none, true, false}, Case{Song::none, false, true}}) {
        SCOPED_TRACE(std::string(c.song == Song::none ? "no song" : "a broken song") +
                     (c.inputNotTerminal ? ", input not a terminal" : "") +
                     (c.errorsOnTerminal ? ", errors on the terminal" : ""));
        PtyOptions options;
        options.inputNotTerminal = c.inputNotTerminal;
        options.errorsOnTerminal = c.errorsOnTerminal;
        PtyRun run = runInPty(TEXTDEMO_BINARY, folderWith(c.song), options);
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.errors, "");
        expectTerminalGivenBack(run);
        const std::vector<std::string> pictures = picturesAfterWrites(run.output, 24);
        ASSERT_EQ(pictures.size(), static_cast<size_t>(kIntroWrites));
        EXPECT_TRUE(isIntroFrame(pictures.back()));
        const std::string errorsTarget = c.errorsOnTerminal ? "/dev/null" : "pipe:";
        EXPECT_EQ(run.errorsTarget.substr(0, errorsTarget.size()), errorsTarget);
    }
}

// Memory that runs out after the intro, wherever the show asks for it: the
// program's message on a line of its own below the picture, status 1, and
// the terminal given back.
TEST(Run, MemoryRunningOutDuringTheShowEndsWithTheMessageAndStatus1)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the address sanitizer's operator new cannot be replaced by a preloaded one";
#endif
    PtyOptions options;
    options.environment = {std::string("LD_PRELOAD=") + FAILING_NEW_LIBRARY, "TEXTDEMO_TEST_NO_MEMORY_AFTER_MS=2000"};
    PtyRun run = runInPty(TEXTDEMO_BINARY, folderWith(Song::fast), options);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.errors, "");
    EXPECT_GE(countWrites(run.output), 50) << "memory ran out before the show";
    expectTerminalGivenBack(run);
    VtermScreen terminal(24, 80);
    terminal.feed(run.output);
    const size_t message = terminal.picture().find("AAAARGH, ikke mer minne igjen, kj");
    EXPECT_TRUE(message != std::string::npos && message % 80 == 0) << "no out-of-memory message at the start of a line";
}

// Ending signals and crashes alike, with input from the terminal or not: the
// terminal given back, and the wait status names the signal, so `timeout`
// and shell loops can tell.
TEST(Run, EveryEndingOrCrashSignalGivesTheTerminalBackAndEndsTheRunByItself)
{
    const std::string folder = folderWith(Song::none);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, -SIGINT}) {
        SCOPED_TRACE(std::string(strsignal(abs(signal))) + (signal < 0 ? ", input not a terminal" : ""));
        PtyOptions options = signalAfter(10, abs(signal));
        options.inputNotTerminal = signal < 0;
        PtyRun run = runInPty(TEXTDEMO_BINARY, folder, options);
        EXPECT_EQ(run.endSignal, abs(signal));
        EXPECT_LT(countWrites(run.output), kIntroWrites);
        expectTerminalGivenBack(run);
    }
}

// Ctrl-Z, the shell's "Stopped", then `fg`: the terminal was given back at
// the stop and is taken again, and the first frame after it repaints the
// screen whole, the shell's text gone.
TEST(Run, CtrlZGivesTheTerminalBackAndTheNextFrameRepaintsTheScreen)
{
    PtyRun run = runInPty(TEXTDEMO_BINARY, folderWith(Song::none), signalAfter(20, SIGTSTP));
    EXPECT_EQ(run.stops, 1);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(countWrites(run.output), kIntroWrites);
    expectTerminalGivenBack(run);

    const size_t stopped = run.output.find("Stopped");
    ASSERT_NE(stopped, std::string::npos);
    VtermScreen terminal(24, 80);
    terminal.feed(run.output.substr(0, stopped));
    EXPECT_TRUE(terminal.cursorVisible) << "given back at the stop";
    const std::vector<size_t> starts = writeStarts(run.output);
    const size_t next = std::upper_bound(starts.begin(), starts.end(), stopped) - starts.begin();
    ASSERT_LT(next + 1, starts.size());
    terminal.feed(run.output.substr(stopped, starts[next + 1] - stopped));
    EXPECT_FALSE(terminal.cursorVisible) << "taken again after it";
    EXPECT_EQ(terminal.picture(), picturesAfterWrites(run.output, 24)[next]);
}

// Killed while stopped, by `kill %1` (SIGTERM, then SIGCONT, while the shell
// keeps the terminal) or from another shell and then `fg`, or killed after
// `bg`: it ends at once, and no terminal call from the background stops it
// again. In the background it draws nothing over the shell's screen.
TEST(Run, AKilledStoppedOrBackgroundDemoEndsAtOnce)
{
    const std::string folder = folderWith(Song::none);
    for (OnStop kill : {OnStop::killAndContinue, OnStop::killThenForeground, OnStop::backgroundThenKill}) {
        SCOPED_TRACE(kill == OnStop::killAndContinue      ? "kill %1"
                     : kill == OnStop::killThenForeground ? "kill, then fg"
                                                          : "bg, then kill");
        PtyOptions options = signalAfter(20, SIGTSTP);
        options.onStop = kill;
        PtyRun run = runInPty(TEXTDEMO_BINARY, folder, options);
        EXPECT_EQ(run.stops, 1);
        EXPECT_EQ(run.endSignal, SIGTERM);
        EXPECT_GE(run.secondsToEnd, 0);
        EXPECT_LT(run.secondsToEnd, 2) << "the kill did not end it";
        expectTerminalGivenBack(run);
        if (kill != OnStop::backgroundThenKill)
            continue;
        const size_t after = run.output.find("$ ", run.output.find("textdemo &")) + 2;
        ASSERT_GT(after, 2u);
        EXPECT_EQ(countWrites(run.output.substr(after)), 0) << "the shell's screen was drawn over";
    }
}

// Resized mid-show, larger, larger still, narrower than the picture, and back
// to 80 x 25, each time over what a terminal leaves after a resize: two
// frames later the screen holds the proper frame in its top-left corner and
// nothing else; the narrow terminal shows the picture's top-left part and
// never scrolls.
TEST(Run, AfterAResizeTheScreenHoldsTheFrameAndNothingElse)
{
    PtyOptions options;
    options.rows = 25;
    options.resizes = {{15, 30, 100}, {30, 40, 120}, {45, 20, 60}, {60, 25, 80}};
    const std::string folder = folderWith(Song::none);
    PtyRun run = runInPty(TEXTDEMO_BINARY, folder, options);
    ASSERT_EQ(run.resizeOffsets.size(), options.resizes.size());
    // The intro is the same in every run: the proper frames are those of a
    // terminal that kept its size (what is sent after a resize is meant for
    // the new size only).
    const std::vector<PtyResize> resizes = options.resizes;
    options.resizes.clear();
    const std::vector<std::string> proper = picturesAfterWrites(runInPty(TEXTDEMO_BINARY, folder, options).output, 25);
    const std::vector<size_t> starts = writeStarts(run.output);
    VtermScreen terminal(25, 80);
    size_t fed = 0;
    for (size_t r = 0; r < run.resizeOffsets.size(); ++r) {
        const int rows = resizes[r].rows, columns = resizes[r].columns;
        SCOPED_TRACE(std::to_string(columns) + " x " + std::to_string(rows));
        const size_t at = run.resizeOffsets[r];
        terminal.feed(run.output.substr(fed, at - fed));
        terminal.resize(rows, columns);
        std::string debris = "\x1b[?7l\x1b[24;80HZ\x1b[3;5Hleftover";
        for (int row = 1; row <= rows; row += 3)
            debris += "\x1b[" + std::to_string(row) + ";" + std::to_string(std::max(1, columns - 8)) + "H~moved~";
        terminal.feed(debris + "\x1b[?7h");
        terminal.scrolledLines = 0;
        const size_t first = std::lower_bound(starts.begin(), starts.end(), at) - starts.begin();
        ASSERT_LT(first + 2, starts.size());
        fed = starts[first + 2];
        terminal.feed(run.output.substr(at, fed - at));
        EXPECT_EQ(terminal.scrolledLines, 0);
        if (columns >= 80 && rows >= 24) {
            EXPECT_EQ(terminal.wholeScreen(), screenWith(proper[first + 1], rows, columns));
        } else {
            for (int row = 0; row < rows; ++row)
                EXPECT_EQ(terminal.cells(row, columns), proper[first + 1].substr(row * 80, columns)) << "row " << row;
        }
    }
}

// `textdemo | cat`: the same frames as on the terminal, and the stream ends
// by showing the cursor again. Ctrl-C ends both at once: the demo's restore
// finds no reader in the pipe and goes to the terminal instead, and the run
// still ends by the interrupt.
TEST(Run, IntoAPipeTheFramesAreTheSameAndTheCursorIsShownAtTheEndOrOnCtrlC)
{
    const std::string folder = folderWith(Song::none);
    PtyOptions throughCat;
    throughCat.throughCat = true;
    const PtyRun piped = runInPty(TEXTDEMO_BINARY, folder, throughCat);
    EXPECT_EQ(piped.exitStatus, 1);
    const std::vector<std::string> pipedWrites = splitWrites(piped.output);
    const std::vector<std::string> terminalWrites = splitWrites(runInPty(TEXTDEMO_BINARY, folder).output);
    ASSERT_EQ(pipedWrites.size(), static_cast<size_t>(kIntroWrites));
    ASSERT_EQ(terminalWrites.size(), pipedWrites.size());
    for (int frame = 0; frame < kIntroWrites - 1; ++frame)
        EXPECT_EQ(pipedWrites[frame], terminalWrites[frame]) << "frame " << frame;
    VtermScreen terminal(24, 80);
    terminal.feed(piped.output.substr(0, piped.output.find(kSyncBegin) + 1));
    EXPECT_FALSE(terminal.cursorVisible) << "the stream hides the cursor at the start";
    expectTerminalGivenBack(piped);

    PtyOptions interrupted = signalAfter(10, SIGINT);
    interrupted.signalByKey = true;
    interrupted.throughCat = true;
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE("Ctrl-C, run " + std::to_string(run));
        const PtyRun ended = runInPty(TEXTDEMO_BINARY, folder, interrupted);
        EXPECT_EQ(ended.endSignal, SIGINT);
        EXPECT_GE(countWrites(ended.output), 10);
        expectTerminalGivenBack(ended);
    }
}

}  // namespace
