// startMusic as the program calls it, in a child process: it returns, the
// song runs to its end, and nothing is printed, whether the sound goes to a
// device or, without one, nowhere. The children are forked from the test
// process, which must still have one thread then: gtest runs suites named
// *DeathTest before all others.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "music/music_clock.h"
#include "tests/music/test_module.h"

namespace {

// Exits 0 once the end has been heard after every row in order, 2 otherwise.
void playToTheEnd(const char* module, const char* output)
{
    int fd = open(output, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(fd, STDOUT_FILENO);
    startMusic(module);
    int lastRow = 0;
    for (int polls = 0; polls < 2500; ++polls) {
        int32_t order = songOrder();
        int32_t row = songRow();
        if (order == 256) {
            exit(row == 0 && lastRow == kBriefModuleRows - 1 ? 0 : 2);
        }
        if (order != 0 || row < lastRow) {
            exit(2);
        }
        lastRow = row;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    exit(2);
}

// Exits in the middle of the song, with the renderer busy.
void exitWhilePlaying(const char* module, const char* output)
{
    int fd = open(output, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(fd, STDOUT_FILENO);
    startMusic(module);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    exit(songRow() > 0 ? 0 : 2);
}

class StartMusicDeathTest : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/music-start-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        module = folder + "/qk17.xm";
        output = folder + "/stdout.txt";
        ASSERT_TRUE(writeFileBytes(module.c_str(), makeBriefTestModule()));
        longModule = folder + "/long.xm";
        ASSERT_TRUE(writeFileBytes(longModule.c_str(), makeTestModule()));
    }
    void TearDown() override
    {
        struct stat status;
        ASSERT_EQ(stat(output.c_str(), &status), 0);
        EXPECT_EQ(status.st_size, 0) << "the child printed on standard output";
        std::string command = "rm -rf '" + folder + "'";
        ASSERT_EQ(system(command.c_str()), 0);
    }

    std::string folder;
    std::string module;
    std::string longModule;
    std::string output;
};

// On a machine without a sound card this is the silent player's path.
TEST_F(StartMusicDeathTest, PlaysToTheEndSilentlyWithTheUsualDriver)
{
    EXPECT_EXIT(playToTheEnd(module.c_str(), output.c_str()), testing::ExitedWithCode(0), "^$");
}

// The user's choice of SDL driver is kept: SDL's dummy driver opens a device,
// so this is the device path with SDL's own audio thread.
TEST_F(StartMusicDeathTest, PlaysToTheEndThroughTheDriverTheUserChose)
{
    EXPECT_EXIT(
        {
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            playToTheEnd(module.c_str(), output.c_str());
        },
        testing::ExitedWithCode(0), "^$");
}

// A driver that does not exist leaves no sound output; the song still plays.
TEST_F(StartMusicDeathTest, PlaysToTheEndWhenTheChosenDriverCannotStart)
{
    EXPECT_EXIT(
        {
            setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
            playToTheEnd(module.c_str(), output.c_str());
        },
        testing::ExitedWithCode(0), "^$");
}

TEST_F(StartMusicDeathTest, ExitsCleanlyInTheMiddleOfTheSong)
{
    EXPECT_EXIT(exitWhilePlaying(longModule.c_str(), output.c_str()), testing::ExitedWithCode(0), "^$");
    EXPECT_EXIT(
        {
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            exitWhilePlaying(longModule.c_str(), output.c_str());
        },
        testing::ExitedWithCode(0), "^$");
}

}  // namespace
