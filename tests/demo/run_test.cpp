// The real program in a pseudo-terminal, as a person runs it: the whole show,
// and every way a run can end or be disturbed (signals, crashes, a stop, a
// kill while stopped, resizes, output into a pipe, input that is no
// terminal), each leaving the terminal as it was found.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/pty_run.h"
#include "tests/support/scene_pictures.h"
#include "tests/support/vterm_screen.h"

namespace {

constexpr char kSyncBegin[] = "\x1b[?2026h";
// Every frame is one synchronized write; the first write of a run clears
// the screen, then come the 100 intro frames.
constexpr int kIntroWrites = 1 + 100;
constexpr int kLogoFrames = 100;

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

PtyOptions withRows(int rows)
{
    PtyOptions options;
    options.rows = rows;
    return options;
}

PtyOptions signalAfter(int writes, int signal)
{
    PtyOptions options;
    options.signalAfterWrites = writes;
    options.signal = signal;
    return options;
}

// The picture after each synchronized write, on an 80 x rows terminal.
std::vector<std::string> picturesOf(const std::string& output, int rows)
{
    std::vector<std::string> pictures;
    VtermScreen terminal(rows, 80);
    terminal.feed(output.substr(0, output.find(kSyncBegin)));
    for (const std::string& write : splitWrites(output)) {
        terminal.feed(write);
        pictures.push_back(terminal.picture());
    }
    return pictures;
}

std::vector<size_t> writeStarts(const std::string& output)
{
    std::vector<size_t> starts;
    for (size_t at = output.find(kSyncBegin); at != std::string::npos; at = output.find(kSyncBegin, at + 1))
        starts.push_back(at);
    return starts;
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
    EXPECT_TRUE(run.canonicalAfter) << "line editing is still off";
    VtermScreen terminal(rows, 80);
    terminal.feed(run.output);
    EXPECT_TRUE(terminal.cursorVisible) << "the cursor is still hidden";
    EXPECT_FALSE(terminal.synchronizedUpdate) << "the synchronized update was never ended";
}

// The whole screen as it must look after a frame whose 80-column picture is
// `picture`: the picture in the top-left corner and nothing else.
std::string properScreen(const std::string& picture, int rows, int columns)
{
    std::string screen;
    for (int row = 0; row < rows; ++row)
        screen += (row < 24 ? picture.substr(row * 80, 80) : std::string(80, ' ')) + std::string(columns - 80, ' ');
    return screen;
}

std::string wholeScreen(const VtermScreen& terminal)
{
    std::string screen;
    for (int row = 0; row < terminal.rows; ++row)
        screen += terminal.cells(row, terminal.columns);
    return screen;
}

// What xterm and VTE leave after a resize: the old picture moved or cut, and
// text where the picture never reaches, the last cell of the picture's area
// included.
void leaveDebris(VtermScreen& terminal)
{
    std::string debris = "\x1b[?7l";
    for (int row = 1; row <= terminal.rows; row += 3)
        debris += "\x1b[" + std::to_string(row) + ";" + std::to_string(std::max(1, terminal.columns - 8)) + "H~moved~";
    debris += "\x1b[24;80HZ\x1b[3;5Hleftover\x1b[?7h";
    terminal.feed(debris);
}

TEST(Run, PlaysTheWholeShowAndLeavesTheLogoOnScreen)
{
    const int rows = 25;
    PtyRun run = runInPty(TEXTDEMO_BINARY, folderWithShortSong(), withRows(rows));
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.errors, "");
    expectTerminalGivenBack(run, rows);

    std::vector<std::string> pictures = picturesOf(run.output, rows);
    ASSERT_GT(pictures.size(), static_cast<size_t>(kIntroWrites + kLogoFrames));
    EXPECT_EQ(pictures[0], std::string(1920, ' '));
    for (int frame = 1; frame < kIntroWrites; ++frame)
        ASSERT_TRUE(isIntroFrame(pictures[frame])) << "intro frame " << frame;

    // Scene frames until the logo's 100 frames.
    const size_t closing = pictures.size() - kLogoFrames;
    int greeting = 0, ball = 0, helix = 0;
    for (size_t frame = kIntroWrites; frame < closing; ++frame) {
        const ShownScene scene = sceneShown(pictures[frame]);
        greeting += scene == ShownScene::kGreeting;
        ball += scene == ShownScene::kBall;
        helix += scene == ShownScene::kHelix;
    }
    EXPECT_GT(greeting, 10);
    EXPECT_GT(ball, 10);
    EXPECT_GT(helix, 30);

    VtermScreen terminal(rows, 80);
    terminal.feed(run.output);
    const std::string logo = terminal.picture();
    EXPECT_EQ(logo.find(' '), std::string::npos) << "the logo covers all 24 rows";
    EXPECT_EQ(pictures[closing], pictures.back()) << "the logo's first frame shows it whole";

    const double gap = run.writeTimes[kIntroWrites] - run.writeTimes[kIntroWrites - 1];
    printf("gap between the last intro frame and the first scene frame: %.1f ms\n", gap * 1000);
}

TEST(Run, WithoutItsSongItEndsWithStatus1AfterTheIntro)
{
    PtyRun run = runInPty(TEXTDEMO_BINARY, makeFolder());
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(countWrites(run.output), kIntroWrites);
    EXPECT_EQ(run.errors, "");
    expectTerminalGivenBack(run, 24);
    std::vector<std::string> pictures = picturesOf(run.output, 24);
    ASSERT_EQ(pictures.size(), static_cast<size_t>(kIntroWrites));
    EXPECT_TRUE(isIntroFrame(pictures.back()));
    EXPECT_EQ(run.errorsTarget.rfind("pipe:", 0), 0u) << "standard error sent elsewhere stays: " << run.errorsTarget;
}

TEST(Run, ABrokenSongEndsTheSameWay)
{
    std::string folder = makeFolder();
    std::ofstream(folder + "/qk17.xm") << "Extended Module: but nothing more";
    PtyRun run = runInPty(TEXTDEMO_BINARY, folder);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(countWrites(run.output), kIntroWrites);
    EXPECT_EQ(run.errors, "");
    expectTerminalGivenBack(run, 24);
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
    PtyRun run = runInPty(TEXTDEMO_BINARY, folderWithShortSong(), options);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.errors, "");
    EXPECT_GE(countWrites(run.output), 50) << "memory ran out before the show";
    expectTerminalGivenBack(run, 24);
    VtermScreen terminal(24, 80);
    terminal.feed(run.output);
    int messageRow = -1;
    for (int row = 0; row < 24; ++row)
        if (terminal.cells(row).rfind("AAAARGH, ikke mer minne igjen, kj", 0) == 0)
            messageRow = row;
    EXPECT_GE(messageRow, 0) << "no out-of-memory message at the start of a line";
}

// Ending signals and crashes alike: the terminal given back, and the wait
// status names the signal, so `timeout` and shell loops can tell.
TEST(Run, EveryEndingOrCrashSignalGivesTheTerminalBackAndEndsTheRunByItself)
{
    const std::string folder = makeFolder();
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
        SCOPED_TRACE(strsignal(signal));
        PtyRun run = runInPty(TEXTDEMO_BINARY, folder, signalAfter(10, signal));
        EXPECT_EQ(run.endSignal, signal);
        EXPECT_EQ(run.exitStatus, -1);
        EXPECT_LT(countWrites(run.output), kIntroWrites);
        expectTerminalGivenBack(run, 24);
    }
}

// The same restore when only standard output is the terminal.
TEST(Run, WithInputThatIsNoTerminalTheTerminalIsGivenBackAllTheSame)
{
    const std::string folder = makeFolder();
    PtyOptions options = signalAfter(10, SIGINT);
    options.inputNotTerminal = true;
    PtyRun interrupted = runInPty(TEXTDEMO_BINARY, folder, options);
    EXPECT_EQ(interrupted.endSignal, SIGINT);
    expectTerminalGivenBack(interrupted, 24);

    options.signalAfterWrites = 0;
    PtyRun whole = runInPty(TEXTDEMO_BINARY, folder, options);
    EXPECT_EQ(whole.exitStatus, 1);
    EXPECT_EQ(countWrites(whole.output), kIntroWrites);
    expectTerminalGivenBack(whole, 24);
}

// Library messages on a standard error that is the terminal would land in
// the picture.
TEST(Run, StandardErrorOnTheTerminalIsSilencedForTheRun)
{
    PtyOptions options = signalAfter(10, SIGTERM);
    options.errorsOnTerminal = true;
    PtyRun run = runInPty(TEXTDEMO_BINARY, makeFolder(), options);
    EXPECT_EQ(run.errorsTarget, "/dev/null");
    EXPECT_EQ(run.endSignal, SIGTERM);
}

// Ctrl-Z, the shell's "Stopped", then `fg`: the terminal was given back at
// the stop and is taken again, and the first frame after it repaints the
// screen whole, the shell's text gone.
TEST(Run, CtrlZGivesTheTerminalBackAndTheNextFrameRepaintsTheScreen)
{
    PtyRun run = runInPty(TEXTDEMO_BINARY, makeFolder(), signalAfter(20, SIGTSTP));
    EXPECT_EQ(run.stops, 1);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(countWrites(run.output), kIntroWrites);
    expectTerminalGivenBack(run, 24);

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
    EXPECT_EQ(terminal.picture(), picturesOf(run.output, 24)[next]);
    EXPECT_EQ(terminal.picture().find("Stopped"), std::string::npos);
}

// Killed while stopped: by `kill %1` (SIGTERM, then SIGCONT, while the shell
// keeps the terminal) or from another shell and then `fg`. Either way the
// continue ends it at once, and no terminal call from the background stops
// it again.
TEST(Run, AKilledStoppedDemoEndsAsSoonAsItIsContinued)
{
    const std::string folder = makeFolder();
    for (OnStop kill : {OnStop::killAndContinue, OnStop::killThenForeground}) {
        const char* name = kill == OnStop::killAndContinue ? "kill %1" : "kill, then fg";
        SCOPED_TRACE(name);
        PtyOptions options = signalAfter(20, SIGTSTP);
        options.onStop = kill;
        PtyRun run = runInPty(TEXTDEMO_BINARY, folder, options);
        EXPECT_EQ(run.stops, 1);
        EXPECT_EQ(run.endSignal, SIGTERM);
        EXPECT_GE(run.secondsToEnd, 0);
        EXPECT_LT(run.secondsToEnd, 2) << "the kill did not end it";
        expectTerminalGivenBack(run, 24);
        printf("%s: ended %.1f ms after the continue\n", name, run.secondsToEnd * 1000);
    }
}

// Sent to the background with `bg`, the demo keeps running but leaves the
// terminal to the shell: no frame is drawn over it, and a kill ends it at
// once without the terminal calls that would stop a background process.
TEST(Run, InTheBackgroundItDrawsNothingAndAKillEndsIt)
{
    PtyOptions options = signalAfter(20, SIGTSTP);
    options.onStop = OnStop::backgroundThenKill;
    PtyRun run = runInPty(TEXTDEMO_BINARY, makeFolder(), options);
    EXPECT_EQ(run.stops, 1);
    EXPECT_EQ(run.endSignal, SIGTERM);
    EXPECT_GE(run.secondsToEnd, 0);
    EXPECT_LT(run.secondsToEnd, 2) << "the kill did not end it";
    expectTerminalGivenBack(run, 24);
    const size_t background = run.output.find("textdemo &");
    ASSERT_NE(background, std::string::npos);
    const size_t after = run.output.find("$ ", background) + 2;
    VtermScreen terminal(24, 80);
    terminal.feed(run.output.substr(0, after));
    const std::string shellScreen = terminal.picture();
    terminal.feed(run.output.substr(after));
    EXPECT_EQ(terminal.picture(), shellScreen) << "the shell's screen was drawn over";
    EXPECT_EQ(countWrites(run.output.substr(after)), 0);
    printf("bg, then kill: ended %.1f ms after the kill\n", run.secondsToEnd * 1000);
}

// Resized mid-show, larger, larger still, narrower than the picture, and back
// to 80 x 25: two frames after each resize the screen holds the proper frame
// in its top-left corner and nothing else; the narrow terminal shows the
// picture's top-left part and never scrolls.
TEST(Run, AfterAResizeTheScreenHoldsTheFrameAndNothingElse)
{
    PtyOptions options;
    options.rows = 25;
    options.resizes = {{15, 30, 100}, {30, 40, 120}, {45, 20, 60}, {60, 25, 80}};
    const std::string folder = makeFolder();
    PtyRun run = runInPty(TEXTDEMO_BINARY, folder, options);
    EXPECT_EQ(run.exitStatus, 1);
    ASSERT_EQ(run.resizeOffsets.size(), options.resizes.size());
    // The intro is the same in every run: the proper frames are those of a
    // terminal that kept its size (what is sent after a resize is meant for
    // the new size only).
    const std::vector<std::string> proper = picturesOf(runInPty(TEXTDEMO_BINARY, folder, withRows(25)).output, 25);
    const std::vector<size_t> starts = writeStarts(run.output);

    VtermScreen terminal(25, 80);
    size_t fed = 0;
    for (size_t r = 0; r < options.resizes.size(); ++r) {
        const PtyResize& size = options.resizes[r];
        SCOPED_TRACE(std::to_string(size.columns) + " x " + std::to_string(size.rows));
        const size_t at = run.resizeOffsets[r];
        terminal.feed(run.output.substr(fed, at - fed));
        terminal.resize(size.rows, size.columns);
        leaveDebris(terminal);
        terminal.scrolledLines = 0;

        const size_t first = std::lower_bound(starts.begin(), starts.end(), at) - starts.begin();
        ASSERT_LT(first + 2, starts.size());
        fed = starts[first + 2];
        terminal.feed(run.output.substr(at, fed - at));
        EXPECT_EQ(terminal.scrolledLines, 0);
        const std::string& frame = proper[first + 1];
        if (size.columns >= 80 && size.rows >= 24) {
            EXPECT_EQ(wholeScreen(terminal), properScreen(frame, size.rows, size.columns));
        } else {
            for (int row = 0; row < size.rows - 1; ++row)
                EXPECT_EQ(terminal.cells(row, size.columns - 1), frame.substr(row * 80, size.columns - 1))
                    << "row " << row;
        }
    }
}

// Ctrl-C on `textdemo | cat`: the terminal ends both at once, and the demo's
// restore finds no reader in the pipe; it goes to the terminal instead, and
// the run still ends by the interrupt.
TEST(Run, CtrlCOnAPipeIntoCatLeavesTheCursorVisible)
{
    PtyOptions options = signalAfter(10, SIGINT);
    options.signalByKey = true;
    options.throughCat = true;
    const std::string folder = makeFolder();
    for (int run = 0; run < 3; ++run) {
        PtyRun piped = runInPty(TEXTDEMO_BINARY, folder, options);
        EXPECT_EQ(piped.endSignal, SIGINT);
        EXPECT_GE(countWrites(piped.output), 10);
        VtermScreen terminal(24, 80);
        terminal.feed(piped.output);
        EXPECT_TRUE(terminal.cursorVisible) << "run " << run;
        EXPECT_FALSE(terminal.synchronizedUpdate) << "run " << run;
    }
}

struct PipedRun {
    std::string output;
    int status = -1;
};

// Output into a pipe, input and standard error from the test.
PipedRun runPiped(const std::string& directory)
{
    PipedRun run;
    int channel[2];
    if (pipe(channel) != 0)
        return run;
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
    char buffer[65536];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        run.output.append(buffer, n);
    close(channel[0]);
    waitpid(child, &run.status, 0);
    return run;
}

// `textdemo | cat`: the same frames as on the terminal, and the stream,
// shown by a terminal, ends with the cursor visible again.
TEST(Run, IntoAPipeTheFramesAreTheSameAndTheStreamShowsTheCursorAtTheEnd)
{
    const std::string folder = makeFolder();
    const PipedRun piped = runPiped(folder);
    EXPECT_TRUE(WIFEXITED(piped.status) && WEXITSTATUS(piped.status) == 1);
    PtyRun run = runInPty(TEXTDEMO_BINARY, folder);
    const std::vector<std::string> pipedWrites = splitWrites(piped.output);
    ASSERT_EQ(pipedWrites.size(), static_cast<size_t>(kIntroWrites));
    const std::vector<std::string> terminalWrites = splitWrites(run.output);
    ASSERT_EQ(terminalWrites.size(), static_cast<size_t>(kIntroWrites));
    for (int frame = 0; frame < kIntroWrites - 1; ++frame)
        EXPECT_EQ(pipedWrites[frame], terminalWrites[frame]) << "frame " << frame;

    VtermScreen terminal(24, 80);
    terminal.feed(piped.output.substr(0, piped.output.find(kSyncBegin) + 1));
    EXPECT_FALSE(terminal.cursorVisible) << "the stream hides the cursor at the start";
    terminal.feed(piped.output.substr(piped.output.find(kSyncBegin) + 1));
    EXPECT_TRUE(terminal.cursorVisible);
    EXPECT_FALSE(terminal.synchronizedUpdate);
    EXPECT_EQ(terminal.picture(), picturesOf(piped.output, 24).back()) << "the last frame stays";
}

}  // namespace
