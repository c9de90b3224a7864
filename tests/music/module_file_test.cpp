// Loading the module: every kind of file that is not a playable module is
// refused at once, and startMusic then ends the process with status 1 and
// prints nothing.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <libopenmpt/libopenmpt.hpp>
#include <sstream>
#include <string>

#include "music/module_file.h"
#include "music/music_clock.h"
#include "tests/music/test_module.h"

namespace {

class ModuleFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/music-file-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override
    {
        std::string command = "rm -rf '" + folder + "'";
        ASSERT_EQ(system(command.c_str()), 0);
    }
    std::string pathOf(const char* name) const { return folder + "/" + name; }
    std::string writeFile(const char* name, const std::vector<uint8_t>& bytes) const
    {
        std::string path = pathOf(name);
        EXPECT_TRUE(writeFileBytes(path.c_str(), bytes));
        return path;
    }
    // Refused by the reader and by the loader alike.
    void expectRefused(const std::string& path) const
    {
        std::vector<uint8_t> bytes = {1, 2, 3};
        EXPECT_FALSE(readModuleFile(path.c_str(), bytes)) << path;
        EXPECT_TRUE(bytes.empty()) << path;
        std::ostringstream log;
        EXPECT_EQ(loadModule(path.c_str(), log), nullptr) << path;
    }

    std::string folder;
};

TEST_F(ModuleFileTest, LoadsAWellFormedModuleToPlayOnce)
{
    std::string path = writeFile("good.xm", makeTestModule());
    std::ostringstream log;
    std::unique_ptr<openmpt::module> module = loadModule(path.c_str(), log);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->get_num_orders(), kTestModuleOrders);
    EXPECT_EQ(module->get_repeat_count(), 0);
    EXPECT_EQ(module->ctl_get_text("play.at_end"), "stop");
}

TEST_F(ModuleFileTest, RefusesWhatIsNotARegularFile)
{
    expectRefused(pathOf("missing.xm"));
    expectRefused(folder);
    expectRefused("/dev/null");
    expectRefused("/dev/zero");
}

// Opening a FIFO that nobody writes to must neither block the open nor the read.
TEST_F(ModuleFileTest, RefusesAFifoWithoutWaitingForAWriter)
{
    std::string path = pathOf("fifo.xm");
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    expectRefused(path);
}

TEST_F(ModuleFileTest, RefusesAnEmptyFileAndOneOverTheLimit)
{
    expectRefused(writeFile("empty.xm", {}));

    std::string path = pathOf("huge.xm");
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, kLargestModuleBytes + 1), 0);  // sparse: no disk used
    close(fd);
    expectRefused(path);
}

TEST_F(ModuleFileTest, ReadsAFileOfExactlyTheLimit)
{
    std::string path = pathOf("limit.xm");
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, kLargestModuleBytes), 0);
    close(fd);
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(readModuleFile(path.c_str(), bytes));
    EXPECT_EQ(static_cast<int64_t>(bytes.size()), kLargestModuleBytes);
    // 64 MiB of zeros is no module.
    std::ostringstream log;
    EXPECT_EQ(openModule(bytes, log), nullptr);
}

TEST_F(ModuleFileTest, RefusesAnUnreadableFile)
{
    if (geteuid() == 0) {
        GTEST_SKIP() << "running as root, where file permissions do not stop reads";
    }
    std::string path = writeFile("locked.xm", makeTestModule());
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    expectRefused(path);
}

TEST_F(ModuleFileTest, RefusesBytesLibopenmptCannotPlay)
{
    std::vector<uint8_t> garbage(4096);
    uint32_t state = 12345;
    for (uint8_t& byte : garbage) {
        state = state * 1664525 + 1013904223;
        byte = static_cast<uint8_t>(state >> 24);
    }
    std::string text = "Extended Module: but nothing after the magic words\n";
    std::vector<uint8_t> header(text.begin(), text.end());
    for (const std::vector<uint8_t>& bytes : {garbage, header}) {
        std::string path = writeFile("bad.xm", bytes);
        std::ostringstream log;
        EXPECT_EQ(loadModule(path.c_str(), log), nullptr);
    }
}

class StartMusicDeathTest : public ModuleFileTest {
protected:
    // Runs startMusic in a child whose standard output goes to a file, and
    // expects status 1, an empty standard error and an empty file.
    void expectSilentFailure(const std::string& module) const
    {
        std::string output = pathOf("stdout.txt");
        EXPECT_EXIT(
            {
                int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
                dup2(fd, STDOUT_FILENO);
                startMusic(module.c_str());
            },
            testing::ExitedWithCode(1), "^$")
            << module;
        struct stat status;
        ASSERT_EQ(stat(output.c_str(), &status), 0);
        EXPECT_EQ(status.st_size, 0) << module;
    }
};

// Sound output is set up before the load, so this also shows that nothing
// from SDL or the sound system reaches the terminal.
TEST_F(StartMusicDeathTest, EndsWithStatusOneAndNoMessageWhenTheSongCannotLoad)
{
    expectSilentFailure(pathOf("qk17.xm"));
    expectSilentFailure(writeFile("garbage.xm", std::vector<uint8_t>(1000, 0x5A)));
    std::string fifo = pathOf("fifo.xm");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    expectSilentFailure(fifo);
}

}  // namespace
