#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "banner/banner.h"
#include "tests/banner/banner_pictures.h"
#include "tests/banner/failing_allocator.h"

namespace {

// Eleven characters: strips of 88 columns, a little wider than the window.
const char kText[] = "Abc 123 xyZ";

class Scroller : public testing::Test {
protected:
    void SetUp() override
    {
        resetAllocator();
        fillScreen(screen, 'x');
    }
    void TearDown() override { resetAllocator(); }

    // Draws at row 10 over a screen of 'x' and returns the six banner rows.
    std::vector<std::string> drawAtTen(Banner& banner)
    {
        fillScreen(screen, 'x');
        drawAt(banner, screen, 10);
        std::vector<std::string> rows;
        for (int r = 0; r < kBannerRows; ++r) rows.push_back(screenRow(screen, 10 + r));
        return rows;
    }

    ScreenBuffer screen;
};

std::vector<std::string> expectedScroll(const std::vector<std::string>& built, size_t first)
{
    std::vector<std::string> rows;
    for (const std::string& strip : built) rows.push_back(stripColumns(strip, first, kScreenColumns));
    return rows;
}

}  // namespace

TEST_F(Scroller, FirstDrawIsAllBlanksAndErasesWhatWasUnderIt)
{
    Banner banner;
    buildBanner(banner, kText);
    setFlyIn(banner, 80);
    drawAt(banner, screen, 10);

    for (int row = 0; row < kScreenRows; ++row) {
        std::string expected(kScreenColumns, row >= 10 && row <= 15 ? ' ' : 'x');
        EXPECT_EQ(screenRow(screen, row), expected) << "row " << row;
    }
}

TEST_F(Scroller, FlyInMovesTheStripsInFromTheRightOneColumnPerDraw)
{
    Banner banner;
    buildBanner(banner, kText);
    const std::vector<std::string> built = stripsOf(banner);
    setFlyIn(banner, 80);

    for (int k = 1; k <= 80; ++k) {
        std::vector<std::string> rows = drawAtTen(banner);
        for (int r = 0; r < kBannerRows; ++r) {
            // Strip columns 0 .. k - 2 in window columns 81 - k .. 79.
            std::string expected = std::string(81 - k, ' ') + built[r].substr(0, k - 1);
            ASSERT_EQ(rows[r], expected) << "draw " << k << " row " << r;
        }
        if (k == 2) {
            for (int r = 0; r < kBannerRows; ++r) EXPECT_EQ(rows[r][79], built[r][0]);
        }
        if (k == 80) {
            for (int r = 0; r < kBannerRows; ++r) EXPECT_EQ(rows[r][0], ' ');
            EXPECT_EQ(banner.flyIn, 0);
        }
    }
    EXPECT_EQ(stripsOf(banner), built) << "the fly-in does not rotate the strips";
}

TEST_F(Scroller, ScrollingShowsTheStripsFromDrawEightyOneOnAndRepeatsEveryEightNDraws)
{
    Banner banner;
    buildBanner(banner, kText);
    const std::vector<std::string> built = stripsOf(banner);
    const size_t stripLength = built[0].size();
    setFlyIn(banner, 80);
    for (int k = 1; k <= 80; ++k) drawAtTen(banner);

    // Draw 81 + j shows columns j .. j + 79, round the strips.
    for (size_t j = 0; j < 2 * stripLength + 5; ++j) {
        ASSERT_EQ(drawAtTen(banner), expectedScroll(built, j)) << "draw " << 81 + j;
        if (j == 1) {
            for (int r = 0; r < kBannerRows; ++r) EXPECT_EQ(screen.cells[(10 + r) * 80], built[r][1]);
        }
        if ((j + 1) % stripLength == 0) {
            EXPECT_EQ(stripsOf(banner), built) << "after draw " << 81 + j;
        }
    }
}

TEST_F(Scroller, ASixtyOneCharacterTextShowsTheSamePictureAtDrawsEightyOneAndFiveSixtyNine)
{
    const std::string text = " Husker du oss...?" + std::string(43, ' ');
    ASSERT_EQ(text.size(), 61u);
    Banner banner;
    buildBanner(banner, text.c_str());
    setFlyIn(banner, 80);

    std::vector<std::vector<std::string>> pictures(1);
    for (int k = 1; k <= 569; ++k) pictures.push_back(drawAtTen(banner));

    EXPECT_EQ(pictures[81], pictures[569]);
    EXPECT_NE(pictures[81], pictures[82]);
    EXPECT_NE(pictures[81], pictures[568]);
}

TEST_F(Scroller, FlyInFromZeroShowsTheFirstEightyColumnsAtOnce)
{
    Banner banner;
    buildBanner(banner, kText);
    const std::vector<std::string> built = stripsOf(banner);
    setFlyIn(banner, 0);
    EXPECT_EQ(drawAtTen(banner), expectedScroll(built, 0));
    EXPECT_EQ(drawAtTen(banner), expectedScroll(built, 1));
}

TEST_F(Scroller, FlyInStartIsClampedAndADrawBeforeAnyFlyInIsAScrollStep)
{
    Banner built;
    buildBanner(built, kText);
    const std::vector<std::string> strips = stripsOf(built);

    Banner unset;
    buildBanner(unset, kText);
    EXPECT_EQ(drawAtTen(unset), expectedScroll(strips, 0));

    Banner below;
    buildBanner(below, kText);
    setFlyIn(below, -7);
    EXPECT_EQ(below.flyIn, 0);
    EXPECT_EQ(drawAtTen(below), expectedScroll(strips, 0));

    Banner above;
    buildBanner(above, kText);
    setFlyIn(above, INT32_MAX);
    EXPECT_EQ(above.flyIn, 80);
    EXPECT_EQ(above.width, 80);
    EXPECT_EQ(drawAtTen(above), std::vector<std::string>(kBannerRows, std::string(80, ' ')));
    std::vector<std::string> second = drawAtTen(above);
    for (int r = 0; r < kBannerRows; ++r) {
        EXPECT_EQ(second[r], std::string(79, ' ') + strips[r][0]);
    }
}

TEST_F(Scroller, AStartInsideTheWindowFliesInUpToThatColumn)
{
    Banner banner;
    buildBanner(banner, kText);
    const std::vector<std::string> built = stripsOf(banner);
    setFlyIn(banner, 30);

    for (int k = 1; k <= 30; ++k) {
        std::vector<std::string> rows = drawAtTen(banner);
        for (int r = 0; r < kBannerRows; ++r) {
            // Strip columns 0 .. k - 2 in window columns 31 - k .. 29.
            std::string expected = std::string(31 - k, ' ') + built[r].substr(0, k - 1) +
                                   std::string(50, ' ');
            ASSERT_EQ(rows[r], expected) << "draw " << k << " row " << r;
        }
    }
    EXPECT_EQ(banner.visible, 29);
    EXPECT_EQ(drawAtTen(banner), expectedScroll(built, 0));
}

TEST_F(Scroller, NarrowStripsRepeatEndToEndAndAnEmptyTextShowsBlanks)
{
    Banner narrow;
    buildBanner(narrow, "HI!");  // 24 columns
    const std::vector<std::string> built = stripsOf(narrow);
    setFlyIn(narrow, 80);

    for (int k = 1; k <= 80; ++k) {
        std::vector<std::string> rows = drawAtTen(narrow);
        for (int r = 0; r < kBannerRows; ++r) {
            ASSERT_EQ(rows[r], std::string(81 - k, ' ') + stripColumns(built[r], 0, k - 1))
                << "draw " << k;
        }
    }
    for (size_t j = 0; j < 60; ++j) ASSERT_EQ(drawAtTen(narrow), expectedScroll(built, j)) << j;

    Banner empty;
    buildBanner(empty, "");
    setFlyIn(empty, 80);
    for (int k = 1; k <= 100; ++k) {
        ASSERT_EQ(drawAtTen(empty), std::vector<std::string>(kBannerRows, std::string(80, ' ')));
    }
}

TEST_F(Scroller, ABannerLeftOutOfAFrameCarriesOnWhereItStopped)
{
    Banner steady;
    buildBanner(steady, kText);
    setFlyIn(steady, 80);
    std::vector<std::vector<std::string>> pictures;
    for (int draw = 0; draw < 200; ++draw) pictures.push_back(drawAtTen(steady));

    Banner paused;
    buildBanner(paused, kText);
    setFlyIn(paused, 80);
    Banner other;
    buildBanner(other, "other");
    size_t draws = 0;
    for (int frame = 0; draws < pictures.size(); ++frame) {
        if (frame % 3 == 2) {  // a frame that leaves `paused` out
            drawBobbing(other, screen, 10, 11, 5);
            continue;
        }
        ASSERT_EQ(drawAtTen(paused), pictures[draws]) << "draw " << draws + 1;
        ++draws;
    }
}

TEST_F(Scroller, RowsOffTheScreenAreLeftOutAndTheRestDrawn)
{
    Banner banner;
    buildBanner(banner, kText);
    setFlyIn(banner, 0);

    drawAt(banner, screen, -3);
    EXPECT_EQ(coveredRows(screen, 'x'), "0..2");
    for (int r = 3; r < kBannerRows; ++r) EXPECT_EQ(screenRow(screen, r - 3), std::string(reinterpret_cast<char*>(banner.window[r]), 80));

    fillScreen(screen, 'x');
    drawAt(banner, screen, 21);
    EXPECT_EQ(coveredRows(screen, 'x'), "21..23");
    for (int r = 0; r < 3; ++r) EXPECT_EQ(screenRow(screen, 21 + r), std::string(reinterpret_cast<char*>(banner.window[r]), 80));

    for (int32_t row : {-6, 24, INT32_MIN, INT32_MAX, INT32_MAX - 3}) {
        fillScreen(screen, 'x');
        drawAt(banner, screen, row);
        EXPECT_EQ(coveredRows(screen, 'x'), "none") << row;
    }
}

TEST_F(Scroller, NothingIsAllocatedOnceTheBannerIsBuilt)
{
    Banner banner;
    buildBanner(banner, kText);
    setFlyIn(banner, 80);
    const int callsAfterBuilding = allocationCalls;

    for (int k = 0; k < 1000; ++k) {
        drawAt(banner, screen, 10);
        drawBobbing(banner, screen, 10, 11, 5);
    }
    EXPECT_EQ(allocationCalls, callsAfterBuilding);
}

// ---- the bob ----

namespace {

class Bobbing : public Scroller {
protected:
    // Sets the shared counter to `counter`, bobs a fresh banner once and
    // returns the top row it drew at (-1 when nothing was drawn).
    int topRowAt(double counter, int32_t baseRow, int32_t divisor, int32_t amplitude)
    {
        Banner banner;
        buildBanner(banner, "$$$$$$$$$$$");
        setFlyIn(banner, 0);
        fillScreen(screen, 'x');
        bobCounter = counter;
        drawBobbing(banner, screen, baseRow, divisor, amplitude);
        EXPECT_EQ(bobCounter, counter + 1.0);
        for (int row = 0; row < kScreenRows; ++row) {
            if (screen.cells[row * kScreenColumns] != 'x') return row;
        }
        return -1;
    }
};

}  // namespace

TEST_F(Bobbing, TheFirstTwelveTopRowsOfTheRun)
{
    Banner banner;
    buildBanner(banner, kText);
    setFlyIn(banner, 80);
    bobCounter = 0.0;

    std::vector<std::string> tops;
    for (int call = 0; call < 12; ++call) {
        fillScreen(screen, 'x');
        drawBobbing(banner, screen, 10, 11, 5);
        tops.push_back(coveredRows(screen, 'x'));
    }
    EXPECT_EQ(tops, (std::vector<std::string>{"10..15", "10..15", "10..15", "11..16", "11..16",
                                              "12..17", "12..17", "12..17", "13..18", "13..18",
                                              "13..18", "14..19"}));
    EXPECT_EQ(bobCounter, 12.0);
}

TEST_F(Bobbing, TopRowStaysAtFourteenToCounterTwentyFourAndFirstReachesNineAtThirtyFive)
{
    for (int t = 11; t <= 24; ++t) EXPECT_EQ(topRowAt(t, 10, 11, 5), 14) << t;
    EXPECT_EQ(topRowAt(25, 10, 11, 5), 13);
    for (int t = 0; t < 35; ++t) EXPECT_GE(topRowAt(t, 10, 11, 5), 10) << t;
    EXPECT_EQ(topRowAt(35, 10, 11, 5), 9);
}

TEST_F(Bobbing, TopRowsStayInTheDemosRanges)
{
    struct Call { int32_t baseRow, amplitude, lowest, highest; };
    for (Call call : {Call{10, 5, 5, 14}, Call{5, 4, 1, 8}, Call{15, 4, 11, 18}}) {
        int lowest = 99;
        int highest = -99;
        for (int t = 0; t < 5000; ++t) {
            int top = topRowAt(t, call.baseRow, 11, call.amplitude);
            lowest = std::min(lowest, top);
            highest = std::max(highest, top);
        }
        EXPECT_EQ(lowest, call.lowest) << call.baseRow;
        EXPECT_EQ(highest, call.highest) << call.baseRow;
    }
}

TEST_F(Bobbing, TheTopRowIsTruncatedTowardZero)
{
    // 10 + 5 sin(2 / 11) = 10.90: row 10, not 11.
    EXPECT_EQ(topRowAt(2, 10, 11, 5), 10);
    // 0 + 1 sin(-pi / 6) = -0.5: row 0, not -1, so all six rows are drawn.
    EXPECT_EQ(topRowAt(M_PI, 0, -6, 1), 0);
    EXPECT_EQ(coveredRows(screen, 'x'), "0..5");
}

TEST_F(Bobbing, TwoBannersBobbedInOneFrameGetConsecutiveCounterValues)
{
    // Column 0 tells them apart: blank in the first, '$' (of H) in the second.
    for (double t : {0.0, 30.0, 52.0}) {
        Banner first;
        buildBanner(first, " first banner");
        setFlyIn(first, 0);
        Banner second;
        buildBanner(second, "HHHHHHHHHHHH");
        setFlyIn(second, 0);

        bobCounter = t;
        fillScreen(screen, 'x');
        drawBobbing(first, screen, 5, 11, 4);
        drawBobbing(second, screen, 15, 11, 4);
        EXPECT_EQ(bobCounter, t + 2.0);

        int firstTop = static_cast<int>(5 + 4 * std::sin(t / 11));
        int secondTop = static_cast<int>(15 + 4 * std::sin((t + 1.0) / 11));
        for (int row = 0; row < kScreenRows; ++row) {
            char expected = 'x';
            if (row >= firstTop && row < firstTop + kBannerRows) expected = ' ';
            if (row >= secondTop && row < secondTop + kBannerRows) expected = '$';
            EXPECT_EQ(screen.cells[row * kScreenColumns], expected) << "t " << t << " row " << row;
        }
    }
}

TEST_F(Bobbing, DrawAtLeavesTheCounterAlone)
{
    Banner banner;
    buildBanner(banner, kText);
    setFlyIn(banner, 80);

    bobCounter = 3.0;
    for (int k = 0; k < 50; ++k) drawAt(banner, screen, 10);
    EXPECT_EQ(bobCounter, 3.0);
    EXPECT_EQ(topRowAt(bobCounter, 10, 11, 5), 11);  // 10 + 5 sin(3 / 11) = 11.35
}

TEST_F(Bobbing, AZeroDivisorOrAHugeAmplitudeDrawsNothingOffTheScreen)
{
    EXPECT_EQ(topRowAt(0, 10, 0, 5), -1);       // 0 / 0: not a number
    EXPECT_EQ(topRowAt(7, 10, 0, 5), -1);       // sin of infinity: not a number
    EXPECT_EQ(topRowAt(0, INT32_MAX, 11, 5), -1);
    EXPECT_EQ(topRowAt(30, 10, 11, INT32_MAX), -1);
    EXPECT_EQ(topRowAt(30, 10, 11, INT32_MIN), -1);
}
