#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "banner/banner.h"

namespace {

ScreenBuffer screen;

// The screen, first filled with 'x', after draw k (from 1) at row `top` of a
// banner built like `built`, after setFlyIn(start): strip columns 0 .. k - 2
// ending at window column start - 1 during the fly-in, then columns j .. j + 79
// at draw start + 1 + j. Narrow strips repeat end to end; empty ones leave blanks.
std::string expectedScreen(const Banner& built, int start, int k, int32_t top)
{
    const bool flying = k <= start;
    std::string picture(kScreenCells, 'x');
    for (int r = 0; r < kBannerRows; ++r) {
        const int64_t row = static_cast<int64_t>(top) + r;
        if (row < 0 || row >= kScreenRows) continue;
        const char* strip = reinterpret_cast<const char*>(built.strips[r]);
        const size_t length = std::strlen(strip);
        std::string cells(flying ? start - k + 1 : 0, ' ');
        for (int c = 0; c < (flying ? k - 1 : 80); ++c) {
            cells += length == 0 ? ' ' : strip[(c + (flying ? 0 : k - start - 1)) % length];
        }
        picture.replace(row * kScreenColumns, 80, cells + std::string(80 - cells.size(), ' '));
    }
    return picture;
}

}  // namespace

TEST(Scroller, FliesInFromItsStartColumnThenScrollsOneColumnPerDraw)
{
    struct Case { std::string text; bool set; int32_t argument; int start; int draws; int32_t top; };
    const std::string text = "Abc 123 xyZ";  // strips of 88 columns
    const Case cases[] = {
        {text, true, 80, 80, 81 + 2 * 88, 10},  // two full turns of the strips
        {" Husker du oss...?" + std::string(43, ' '), true, 80, 80, 569, 10},  // 569 repeats 81
        {text, true, 30, 30, 40, 18},
        {text, true, 0, 0, 3, 0},
        {text, true, -7, 0, 3, -3},  // rows outside the screen are skipped
        {text, true, INT32_MAX, 80, 83, 21},
        {text, false, 0, 0, 3, 10},  // never set: scroll steps
        {text, true, 0, 0, 2, -6},
        {text, true, 0, 0, 2, 24},
        {"HI!", true, 80, 80, 150, 10},
        {"", true, 80, 80, 90, 10},
    };
    Banner other;  // drawn in every third frame, between two draws of the banner under test
    buildBanner(other, "other");
    for (const Case& c : cases) {
        Banner built, banner;
        buildBanner(built, c.text.c_str());
        std::memset(&banner, 0x5A, sizeof banner);  // construction sets every field
        buildBanner(banner, c.text.c_str());
        if (c.set) setFlyIn(banner, c.argument);
        for (int k = 1; k <= c.draws; ++k) {
            if (k % 3 == 0) drawBobbing(other, screen, 10, 11, 5);
            std::memset(screen.cells, 'x', kScreenCells);
            drawAt(banner, screen, c.top);
            ASSERT_EQ(std::string(reinterpret_cast<char*>(screen.cells), kScreenCells),
                      expectedScreen(built, c.start, k, c.top))
                << '"' << c.text << "\" from " << c.argument << " at row " << c.top << ", draw " << k;
        }
    }
}

TEST(Bobbing, EachBobbedBannerTakesTheNextCounterValueAndDrawAtTakesNone)
{
    Banner first, second, fixed;
    for (Banner* banner : {&first, &second, &fixed}) buildBanner(*banner, "Abc 123 xyZ");
    auto topRowOfBob = [](Banner& banner) {
        std::memset(screen.cells, 'x', kScreenCells);
        drawBobbing(banner, screen, 10, 11, 5);
        int row = 0;
        while (row < kScreenRows && screen.cells[row * kScreenColumns] == 'x') ++row;
        return row;
    };
    bobCounter = 0.0;
    std::vector<int> tops;
    for (int frame = 0; frame < 18; ++frame) {
        tops.push_back(topRowOfBob(first));
        drawAt(fixed, screen, 0);
        tops.push_back(topRowOfBob(second));
    }
    EXPECT_EQ(tops, (std::vector<int>{10, 10, 10, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 14, 14,
                                      14, 14, 14, 14, 14, 14, 14, 14, 14, 13, 13, 13, 12, 12, 12, 11,
                                      11, 10, 10, 9}));
}

TEST(ScrollerRandom, AnyTextAndArgumentsWriteOnlyTheScreenAndNeverZeroOrLineFeed)
{
    // Guard bytes round the screen catch a write outside its 1,920 cells.
    struct { uint8_t before[4096]; ScreenBuffer screen; uint8_t after[4096]; } guarded;
    std::memset(&guarded, 0xA5, sizeof guarded);
    std::mt19937 random(20240517);
    const int32_t extremes[] = {INT32_MIN, -7, -1, 0, 18, 80, 81, INT32_MAX};
    auto anyArgument = [&]() -> int32_t {  // mostly small, sometimes extreme or anything
        uint32_t kind = random() % 3;
        return kind == 0 ? random() : kind == 1 ? extremes[random() % 8] : random() % 120 - 20;
    };
    for (int banners = 0; banners < 300; ++banners) {
        std::string text(random() % (random() % 4 ? 300 : 12), ' ');
        for (char& byte : text) byte = static_cast<char>(1 + random() % 255);
        Banner banner;
        buildBanner(banner, text.c_str());
        if (random() % 8 != 0) setFlyIn(banner, anyArgument());
        for (int draws = 1 + random() % 400; draws > 0; --draws) {
            if (random() % 2) drawAt(banner, guarded.screen, anyArgument());
            else drawBobbing(banner, guarded.screen, anyArgument(), anyArgument(), anyArgument());
            const uint8_t* cells = guarded.screen.cells;
            ASSERT_EQ(std::count(cells, cells + kScreenCells, 0) +
                          std::count(cells, cells + kScreenCells, '\n'), 0) << banners;
        }
        ASSERT_EQ(std::count(guarded.before, guarded.before + 4096, 0xA5) +
                      std::count(guarded.after, guarded.after + 4096, 0xA5), 8192) << banners;
    }
}
