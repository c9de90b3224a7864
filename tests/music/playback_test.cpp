// The song playing: startMusic as the program calls it, in a child process,
// with a module it cannot load and with one it plays whatever the sound
// output, and the silent player that stands in for a sound card.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <libopenmpt/libopenmpt.hpp>
#include <sstream>
#include <thread>

#include "music/module_file.h"
#include "platform/clock.h"
#include "music/music_clock.h"
#include "music/silent_player.h"
#include "tests/music/test_module.h"

namespace {

constexpr int64_t kSecond = kNanosPerSecond;

// In the child: a hang becomes a failure, and standard output goes to
// standard error, which each death test checks.
void start(const std::string& module)
{
    alarm(20);
    dup2(STDERR_FILENO, STDOUT_FILENO);
    startMusic(module.c_str());
}

// Status 1 at once, nothing printed, and no wait for a FIFO's writer.
TEST(StartMusicDeathTest, AnythingButAModuleEndsWithStatusOneAtOnceAndSilently)
{
    TempFolder folder;
    std::string fifo = folder.path + "/fifo.xm";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string huge = folder.write("huge.xm", briefModule());  // a good module but for its size
    ASSERT_EQ(truncate(huge.c_str(), kLargestModuleBytes + 1), 0);  // sparse: no disk used
    const std::string paths[] = {folder.path + "/missing.xm", folder.path, fifo, "/dev/zero", huge,
        folder.write("empty.xm", {}), folder.write("garbage.xm", std::vector<uint8_t>(4096, 0x5A))};
    for (const std::string& path : paths) {
        EXPECT_EXIT(start(path), testing::ExitedWithCode(1), "^$") << path;
    }
}

// Exits 0 once the end has been heard after every row in order, or, at
// exitAfterPolls polls 2 ms apart, when the song is under way; 2 otherwise.
// Only "ours" may show on standard error. alsaConfig, when given, is the
// whole ALSA configuration the sound output sees.
void listen(const std::string& module, const std::string& alsaConfig, int exitAfterPolls)
{
    alsaConfig.empty() ? unsetenv("ALSA_CONFIG_PATH") : setenv("ALSA_CONFIG_PATH", alsaConfig.c_str(), 1);
    start(module);
    fputs("ours", stderr);
    for (int polls = 0, lastRow = 0; polls < 2500; ++polls) {
        int32_t order = songOrder();
        int32_t row = songRow();
        if (order == 256) {
            exit(row == 0 && lastRow == kBriefLastRow ? 0 : 2);
        }
        if ((order != 0 || row < lastRow) && songOrder() != 256) {  // the end may come between two reads
            exit(2);
        }
        if (polls == exitAfterPolls) {
            exit(row > 0 ? 0 : 2);
        }
        lastRow = std::max(lastRow, row);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    exit(2);
}

// The machine's own sound set-up (here: no card, the silent player's path)
// and an ALSA default that cannot be opened (no sound output; the song
// still plays). In each the program may also exit in the middle of the
// song. The device path is the sound server test's.
TEST(StartMusicDeathTest, PlaysToTheEndOrExitsMidwayAndPrintsNothing)
{
    TempFolder folder;
    std::string brief = folder.write("qk17.xm", briefModule());
    auto config = [&](const char* name, const std::string& text) {
        return folder.write(name, std::vector<uint8_t>(text.begin(), text.end()));
    };
    const std::string setups[] = {"", config("broken.conf", "pcm.!default { type hw card 99 }\n")};
    for (const std::string& setup : setups) {
        SCOPED_TRACE(setup.empty() ? "the machine's set-up" : setup);
        EXPECT_EXIT(listen(brief, setup, -1), testing::ExitedWithCode(0), "^ours$");
        EXPECT_EXIT(listen(SHOW_MODULE_PATH, setup, 100), testing::ExitedWithCode(0), "^ours$");
    }
}

// In a child that plays the show silently and samples the heard frame every
// 2 ms for 1.5 s of its own running time, the parent stops it (SIGSTOP) for
// a second. Across the stop the song does not move on; the rest of the
// time it keeps to real time.
TEST(SilentPlayerTest, AStoppedProcessCarriesOnWhereItStopped)
{
    int channel[2];
    ASSERT_EQ(pipe(channel), 0);
    pid_t child = fork();
    if (child == 0) {
        alarm(20);
        SongRender* render = new SongRender;
        SongPosition* position = new SongPosition;
        render->module = loadModule(SHOW_MODULE_PATH, *new std::ostringstream).release();
        if (!render->module || !startSilentPlayer(*render, *position))
            _exit(3);
        int64_t longestGap = 0, heardAcrossIt = 0, running = 0, heardInAll = 0;
        int64_t then = monotonicNanos(), heardThen = heardFrameAt(*position, then);
        while (running < 3 * kSecond / 2) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            int64_t now = monotonicNanos(), heard = heardFrameAt(*position, now);
            if (now - then > longestGap) {
                longestGap = now - then;
                heardAcrossIt = heard - heardThen;
            } else {
                running += now - then;
                heardInAll += heard - heardThen;
            }
            then = now;
            heardThen = heard;
        }
        int64_t report[] = {longestGap, heardAcrossIt, running, heardInAll};
        _exit(write(channel[1], report, sizeof report) == sizeof report ? 0 : 4);
    }
    close(channel[1]);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    kill(child, SIGSTOP);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    kill(child, SIGCONT);
    int64_t report[4] = {};
    EXPECT_EQ(read(channel[0], report, sizeof report), static_cast<ssize_t>(sizeof report));
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_GT(report[0], 9 * kSecond / 10) << "the stop was not the longest gap";
    EXPECT_LT(report[1], kSampleRate / 8) << "frames heard across the stop";
    EXPECT_NEAR(report[3], report[2] * kSampleRate / kSecond, kSampleRate / 10) << "heard while running";
}

// The player's thread outlives the test, so what it uses is never released.
SongRender render;
SongPosition position;

// The last test here, as a stopped player never plays again.
TEST(SilentPlayerTest, PlaysInStepWithTheClockAndStopsWhenAsked)
{
    render.module = loadModule(SHOW_MODULE_PATH, *new std::ostringstream).release();
    int64_t start = monotonicNanos();
    ASSERT_TRUE(render.module && startSilentPlayer(render, position));
    for (int64_t now = start; now - start < kSecond / 2; now = monotonicNanos()) {
        // Never ahead of real time; behind it by at most a buffer and a late wake-up.
        int64_t lag = (now - start) * kSampleRate / kSecond - heardFrameAt(position, now);
        EXPECT_TRUE(lag >= 0 && lag < kSilentFrames + kSampleRate / 10) << lag;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    stopSilentPlayer();
    int64_t rowStarts = position.rowStarts.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_GT(rowStarts, 0);
    EXPECT_EQ(position.rowStarts.load(), rowStarts);
}

}  // namespace
