// The song playing: startMusic in a child process, with a file it cannot load and with a module it plays
// whatever the sound output, and the silent player that stands in for a sound card.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <libopenmpt/libopenmpt.hpp>
#include <new>
#include <sstream>
#include <thread>

#include "music/module_file.h"
#include "music/music_clock.h"
#include "music/silent_player.h"
#include "platform/clock.h"
#include "tests/music/test_module.h"

namespace {

constexpr int64_t kSecond = kNanosPerSecond;

// In the child: a hang becomes a failure, and standard output goes to standard error, which the tests check.
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
    const std::string fifo = folder.path + "/fifo.xm", huge = folder.write("huge.xm", briefModule());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(truncate(huge.c_str(), kLargestModuleBytes + 1), 0);  // a good module but for its size; sparse
    const std::string garbage = folder.write("garbage.xm", std::vector<uint8_t>(4096, 0x5A));
    for (const std::string& path : {folder.path + "/missing.xm", folder.path, fifo, std::string("/dev/zero"), huge,
                                    folder.write("empty.xm", {}), garbage})
        EXPECT_EXIT(start(path), testing::ExitedWithCode(1), "^$") << path;
}

// Exits 0 once the end is heard after every row in order, or at poll exitAfterPolls (2 ms apart) when the
// song is under way; 2 otherwise. Only "ours" may show on standard error. alsaConfig, when given, is the
// whole ALSA configuration the sound output sees.
void listen(const std::string& module, const std::string& alsaConfig, int exitAfterPolls)
{
    alsaConfig.empty() ? unsetenv("ALSA_CONFIG_PATH") : setenv("ALSA_CONFIG_PATH", alsaConfig.c_str(), 1);
    start(module);
    fputs("ours", stderr);
    for (int polls = 0, lastRow = 0; polls < 2500; ++polls) {
        const int32_t order = songOrder(), row = songRow();
        if (order == 256)
            exit(row == 0 && lastRow == kBriefLastRow ? 0 : 2);
        if ((order != 0 || row < lastRow) && songOrder() != 256)  // the end may come between two reads
            exit(2);
        if (polls == exitAfterPolls)
            exit(row > 0 ? 0 : 2);
        lastRow = std::max(lastRow, row);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    exit(2);
}

// The machine's own sound set-up (no card here: the silent player) and an ALSA default that cannot be
// opened (no sound output; the song still plays); in each the program may also exit mid-song.
TEST(StartMusicDeathTest, PlaysToTheEndOrExitsMidwayAndPrintsNothing)
{
    TempFolder folder;
    const std::string brief = folder.write("qk17.xm", briefModule());
    const std::string broken = "pcm.!default { type hw card 99 }\n";
    for (const std::string& setup : {std::string(), folder.write("broken.conf", {broken.begin(), broken.end()})}) {
        SCOPED_TRACE(setup.empty() ? "the machine's set-up" : setup);
        EXPECT_EXIT(listen(brief, setup, -1), testing::ExitedWithCode(0), "^ours$");
        EXPECT_EXIT(listen(SHOW_MODULE_PATH, setup, 100), testing::ExitedWithCode(0), "^ours$");
    }
}

// A child plays the show silently, its song position in memory shared with the parent, which stops it
// (SIGSTOP) for a second: across the stop the song does not move on; otherwise it keeps to real time.
TEST(SilentPlayerTest, AStoppedProcessCarriesOnWhereItStopped)
{
    void* shared = mmap(nullptr, sizeof(SongPosition), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(shared, MAP_FAILED);
    SongPosition& position = *new (shared) SongPosition;
    const pid_t child = fork();
    if (child == 0) {
        alarm(20);
        SongRender* render = new SongRender{loadModule(SHOW_MODULE_PATH, *new std::ostringstream).release()};
        if (render->module && startSilentPlayer(*render, position))
            pause();
        _exit(3);
    }
    for (int wait = 0; wait < 1000 && position.rowStarts.load() == 0; ++wait)  // the song under way
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    int64_t nanos[4], heard[4];  // running, stopped, continued, later
    for (int moment = 0; moment < 4; ++moment) {
        std::this_thread::sleep_for(std::chrono::milliseconds(moment == 2 ? 1000 : 300));
        if (moment == 2)
            kill(child, SIGCONT);
        nanos[moment] = monotonicNanos();
        heard[moment] = heardFrameAt(position, nanos[moment]);
        if (moment == 1)
            kill(child, SIGSTOP);
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the child ended by itself: " << status;
    EXPECT_NEAR(heard[1] - heard[0], (nanos[1] - nanos[0]) * kSampleRate / kSecond, kSampleRate / 10) << "running";
    EXPECT_NEAR(heard[3] - heard[1], (nanos[3] - nanos[2]) * kSampleRate / kSecond, kSampleRate / 8)
        << "across the stop and after it";
}

// The player's thread outlives the test, so what it uses is never released.
SongRender render;
SongPosition position;

// The last test here, as a stopped player never plays again.
TEST(SilentPlayerTest, PlaysInStepWithTheClockAndStopsWhenAsked)
{
    render.module = loadModule(SHOW_MODULE_PATH, *new std::ostringstream).release();
    const int64_t start = monotonicNanos();
    ASSERT_TRUE(render.module && startSilentPlayer(render, position));
    for (int64_t now = start; now - start < kSecond / 2; now = monotonicNanos()) {
        // Never ahead of real time; behind it by at most a buffer and a late wake-up.
        const int64_t lag = (now - start) * kSampleRate / kSecond - heardFrameAt(position, now);
        EXPECT_TRUE(lag >= 0 && lag < kSilentFrames + kSampleRate / 10) << lag;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    stopSilentPlayer();
    const int64_t rowStarts = position.rowStarts.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_GT(rowStarts, 0);
    EXPECT_EQ(position.rowStarts.load(), rowStarts);
}

}  // namespace
