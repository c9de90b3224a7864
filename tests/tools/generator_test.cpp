// The generator itself: it writes the committed song again, byte for
// byte, and a fast version of it for whole-run tests.

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

#include "tests/tools/module_bytes.h"

namespace {

struct TempFolder {
    std::string path;
    TempFolder()
    {
        char name[] = "/tmp/make_module_test.XXXXXX";
        path = mkdtemp(name);
    }
    ~TempFolder() { std::system(("rm -rf '" + path + "'").c_str()); }
};

int runGenerator(const std::string& arguments)
{
    std::string command = std::string("'") + MAKE_MODULE + "' " + arguments + " 2>/dev/null";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string patternText(const openmpt::module& module, int pattern)
{
    std::string text;
    for (int row = 0; row < module.get_pattern_num_rows(pattern); ++row)
        for (int channel = 0; channel < module.get_num_channels(); ++channel)
            text += module.format_pattern_row_channel(pattern, row, channel);
    return text;
}

TEST(Generator, ReproducesTheCommittedModuleByteForByte)
{
    TempFolder folder;
    std::string output = folder.path + "/qk17.xm";
    ASSERT_EQ(runGenerator("'" + output + "'"), 0);
    std::vector<uint8_t> written = readFileBytes(output);
    std::vector<uint8_t> committed = readFileBytes(COMMITTED_MODULE);
    ASSERT_FALSE(committed.empty());
    EXPECT_EQ(written.size(), committed.size());
    EXPECT_TRUE(written == committed);
}

TEST(Generator, RefusesAWrongCommandLine)
{
    TempFolder folder;
    EXPECT_NE(runGenerator(""), 0);
    EXPECT_NE(runGenerator("--slow '" + folder.path + "/a.xm'"), 0);
    EXPECT_NE(runGenerator("'" + folder.path + "/no/such/folder/a.xm'"), 0);
    EXPECT_TRUE(readFileBytes(folder.path + "/a.xm").empty());
}

// The fast song: the same thirteen orders at one tick a row and 255 BPM,
// played through to its end in under ten seconds.
TEST(Generator, TheFastSongPlaysAllThirteenOrdersInUnderTenSeconds)
{
    TempFolder folder;
    std::string output = folder.path + "/fast.xm";
    ASSERT_EQ(runGenerator("--fast '" + output + "'"), 0);
    std::ostringstream log;
    openmpt::module fast(readFileBytes(output), log);
    openmpt::module full(readFileBytes(COMMITTED_MODULE), log);
    EXPECT_EQ(log.str(), "");
    EXPECT_EQ(fast.get_current_speed(), 1);
    EXPECT_EQ(fast.get_current_tempo(), 255);
    ASSERT_EQ(fast.get_num_orders(), full.get_num_orders());
    for (int order = 0; order < full.get_num_orders(); ++order)
        EXPECT_EQ(patternText(fast, fast.get_order_pattern(order)),
                  patternText(full, full.get_order_pattern(order)))
            << "order " << order;

    std::vector<int> ordersHeard;
    std::vector<float> block(2 * 256);
    size_t frames = 0;
    for (;;) {
        int order = fast.get_current_order();
        if (ordersHeard.empty() || ordersHeard.back() != order)
            ordersHeard.push_back(order);
        size_t read = fast.read_interleaved_stereo(kRenderRate, 256, block.data());
        if (read == 0)
            break;
        frames += read;
    }
    // After the end libopenmpt reports the loop target again: cut it off.
    while (ordersHeard.size() > 13 && ordersHeard.back() == 0)
        ordersHeard.pop_back();
    EXPECT_EQ(ordersHeard, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_LT(static_cast<double>(frames) / kRenderRate, 10.0);
    EXPECT_GT(static_cast<double>(frames) / kRenderRate, 4.0);
}

}  // namespace
