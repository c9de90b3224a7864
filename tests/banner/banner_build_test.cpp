#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "banner/banner.h"
#include "banner/glyph_font.h"
#include "tests/banner/banner_pictures.h"
#include "tests/banner/failing_allocator.h"

namespace {

class BannerBuild : public testing::Test {
protected:
    void SetUp() override { resetAllocator(); }
    void TearDown() override { resetAllocator(); }
};

std::string glyphRow(uint8_t byte, int r) { return findGlyph(byte)[r]; }

}  // namespace

TEST_F(BannerBuild, TwoLettersStandSideBySideInCapitals)
{
    Banner banner;
    buildBanner(banner, "ab");

    EXPECT_STREQ(banner.text, "AB");
    for (int r = 0; r < kBannerRows; ++r) {
        EXPECT_EQ(stripOf(banner, r), glyphRow('A', r) + glyphRow('B', r)) << "strip " << r;
    }
}

TEST_F(BannerBuild, LowerCaseRendersAsCapitalsWhileTheCallersTextStaysAsItWas)
{
    char callers[] = "hello, world 42?! xyz";
    const std::string before = callers;
    Banner lower;
    buildBanner(lower, callers);
    Banner upper;
    buildBanner(upper, "HELLO, WORLD 42?! XYZ");

    EXPECT_EQ(std::string(callers), before);
    EXPECT_STREQ(lower.text, "HELLO, WORLD 42?! XYZ");
    EXPECT_EQ(stripsOf(lower), stripsOf(upper));
}

TEST_F(BannerBuild, LatinCapitalsHaveGlyphsAndTheSmallOnesTakeEightBlankColumns)
{
    const char text[] = "\xC5\xC6\xD8\xE5\xE6\xF8\x01\x7F\xFF\x0A";
    Banner banner;
    buildBanner(banner, text);

    EXPECT_STREQ(banner.text, text);  // nothing above 127 is upper-cased
    for (int r = 0; r < kBannerRows; ++r) {
        std::string strip = stripOf(banner, r);
        ASSERT_EQ(strip.size(), 80u);
        EXPECT_EQ(strip.substr(0, 24), glyphRow(197, r) + glyphRow(198, r) + glyphRow(216, r));
        EXPECT_EQ(strip.substr(24), std::string(56, ' ')) << "strip " << r;
    }
}

TEST_F(BannerBuild, TheFootOfWLeavesItsEighthColumnBlank)
{
    Banner banner;
    buildBanner(banner, "WW");
    EXPECT_EQ(stripOf(banner, 5), " $$ $$   $$ $$  ");
    EXPECT_EQ(banner.strips[5][15], ' ');
    EXPECT_EQ(banner.strips[5][16], 0);
}

TEST_F(BannerBuild, ConstructionBlanksTheWindowAndZeroesTheFlyIn)
{
    Banner banner;
    std::memset(&banner, 0x5A, sizeof banner);
    buildBanner(banner, "");

    for (int r = 0; r < kBannerRows; ++r) {
        EXPECT_EQ(banner.strips[r][0], 0) << "an empty text gives strips of no columns";
        for (int c = 0; c < kScreenColumns; ++c) ASSERT_EQ(banner.window[r][c], ' ');
    }
    EXPECT_EQ(banner.flyIn, 0);
    EXPECT_EQ(banner.width, 0);
    EXPECT_EQ(banner.visible, 0);
}

TEST_F(BannerBuild, TheDemosLongestAndShortestTextsGiveStripsOfEightColumnsPerCharacter)
{
    const std::string longest =
        " you have vvitnessed another amazing tarvonik textmode introdemo pushing the very "
        "limits of modern computer technology..." + std::string(19, ' ');
    const std::string shortest = "  music     code        moral support" + std::string(20, ' ');
    ASSERT_EQ(longest.size(), 140u);
    ASSERT_EQ(shortest.size(), 57u);

    for (const std::string& text : {longest, shortest}) {
        Banner banner;
        buildBanner(banner, text.c_str());
        for (int r = 0; r < kBannerRows; ++r) {
            std::string strip = stripOf(banner, r);
            EXPECT_EQ(strip.size(), 8 * text.size());
            EXPECT_EQ(strip.find_first_not_of("$ "), std::string::npos);
        }
    }
}

TEST_F(BannerBuild, AllocatesTextWorkingRowsAndStripsInOrderAndKeepsOnlyTextAndStrips)
{
    Banner banner;
    buildBanner(banner, "abc");

    std::vector<size_t> expected = {4, 6 * 24, 25, 25, 25, 25, 25, 25};
    EXPECT_EQ(allocationSizes, expected);
    EXPECT_EQ(liveBlocks(), 7u) << "the working rows are given back";
}

// ---- out of memory ----

namespace {

const std::string kOutOfMemoryOutput = "AAAARGH, ikke mer minne igjen, kj\xF8p mer RAM, din soper\n";

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

// Builds a banner of `text` in a child process whose allocator refuses the
// call numbered `refused`; standard output and the allocation log go to
// files that the test reads afterwards.
struct OutOfMemoryRun {
    std::string output;
    std::string log;
};

OutOfMemoryRun runOutOfMemory(int refused, const char* text)
{
    // Named per process: tests of this file may run side by side.
    const std::string prefix = testing::TempDir() + "banner_oom_" + std::to_string(getpid());
    const std::string outputPath = prefix + "_stdout";
    const std::string logPath = prefix + "_log";
    std::remove(outputPath.c_str());
    std::remove(logPath.c_str());

    EXPECT_EXIT(
        {
            if (std::freopen(outputPath.c_str(), "wb", stdout) == nullptr) std::_Exit(99);
            allocationLog = std::fopen(logPath.c_str(), "w");
            refuseCall = refused;
            Banner banner;
            buildBanner(banner, text);
            std::_Exit(98);  // not reached when the refusal ends the run
        },
        testing::ExitedWithCode(1), "");

    return {readFile(outputPath), readFile(logPath)};
}

}  // namespace

TEST(BannerOutOfMemoryDeathTest, FailureAtTheFourthStripPrintsTheMessageOnceAndAllocatesNoFifth)
{
    // Calls: 1 the text copy, 2 the working rows, 3 to 8 strips 0 to 5.
    OutOfMemoryRun run = runOutOfMemory(6, "abc");

    EXPECT_EQ(run.output, kOutOfMemoryOutput);
    EXPECT_EQ(run.log,
              "1 4 given\n"
              "2 144 given\n"
              "3 25 given\n"
              "4 25 given\n"
              "5 25 given\n"
              "6 25 refused\n");
}

TEST(BannerOutOfMemoryDeathTest, EveryAllocationOfTheConstructionEndsTheSameWay)
{
    const char* const stage[] = {"", "text copy", "working rows", "strip 0", "strip 1",
                                 "strip 2", "strip 3", "strip 4", "strip 5"};
    for (int refused = 1; refused <= 8; ++refused) {
        OutOfMemoryRun run = runOutOfMemory(refused, "Hi there");
        EXPECT_EQ(run.output, kOutOfMemoryOutput) << stage[refused];

        std::vector<std::string> lines;
        std::istringstream log(run.log);
        for (std::string line; std::getline(log, line);) lines.push_back(line);
        ASSERT_EQ(lines.size(), static_cast<size_t>(refused)) << stage[refused];
        for (int call = 1; call <= refused; ++call) {
            const std::string& line = lines[call - 1];
            EXPECT_EQ(line.rfind(std::to_string(call) + " ", 0), 0u) << line;
            const std::string ending = call == refused ? " refused" : " given";
            EXPECT_TRUE(line.size() > ending.size() &&
                        line.compare(line.size() - ending.size(), ending.size(), ending) == 0)
                << stage[refused] << ": " << line;
        }
    }
}

TEST(BannerOutOfMemoryDeathTest, AnEmptyTextStillGetsItsSevenChecks)
{
    OutOfMemoryRun run = runOutOfMemory(8, "");
    EXPECT_EQ(run.output, kOutOfMemoryOutput);
    EXPECT_EQ(std::count(run.log.begin(), run.log.end(), '\n'), 8);
}
