#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <string>

#include "banner/banner.h"
#include "tests/banner/failing_allocator.h"

namespace {

constexpr int kGuardBytes = 4096;
constexpr uint8_t kGuardValue = 0xA5;

// The screen with guard bytes on both sides: a write outside its 1,920
// cells lands in a guard.
struct GuardedScreen {
    uint8_t before[kGuardBytes];
    ScreenBuffer screen;
    uint8_t after[kGuardBytes];
};
static_assert(sizeof(GuardedScreen) == 2 * kGuardBytes + kScreenCells, "no padding");

bool guardsIntact(const GuardedScreen& guarded)
{
    for (int i = 0; i < kGuardBytes; ++i) {
        if (guarded.before[i] != kGuardValue || guarded.after[i] != kGuardValue) return false;
    }
    return true;
}

// Mostly small values round the screen, sometimes anything at all.
int32_t anyArgument(std::mt19937& random)
{
    switch (random() % 4) {
    case 0: return static_cast<int32_t>(random());
    case 1: return std::uniform_int_distribution<int32_t>(-200, 200)(random);
    case 2: {
        const int32_t extremes[] = {INT32_MIN, INT32_MIN + 1, -1, 0, 1, 80, 81, INT32_MAX - 5, INT32_MAX};
        return extremes[random() % 9];
    }
    default: return std::uniform_int_distribution<int32_t>(-10, 30)(random);
    }
}

std::string anyText(std::mt19937& random)
{
    size_t length = random() % 4 == 0 ? random() % 12 : random() % 300;
    std::string text;
    for (size_t i = 0; i < length; ++i) text += static_cast<char>(1 + random() % 255);
    return text;
}

}  // namespace

TEST(ScrollerRandom, AnyTextAndArgumentsStayInsideTheScreenAndWriteNoZeroOrLineFeed)
{
    const unsigned seed = 20240517;
    std::mt19937 random(seed);
    GuardedScreen guarded;
    std::memset(&guarded, kGuardValue, sizeof guarded);
    std::memset(guarded.screen.cells, ' ', kScreenCells);

    for (int banners = 0; banners < 300; ++banners) {
        resetAllocator();
        const std::string text = anyText(random);
        Banner banner;
        buildBanner(banner, text.c_str());
        if (random() % 8 != 0) setFlyIn(banner, anyArgument(random));
        bobCounter = random() % 2 ? static_cast<double>(random() % 3000000) : 0.0;

        const int draws = 1 + random() % 400;
        for (int draw = 0; draw < draws; ++draw) {
            if (random() % 2) {
                drawAt(banner, guarded.screen, anyArgument(random));
            } else {
                drawBobbing(banner, guarded.screen, anyArgument(random), anyArgument(random),
                            anyArgument(random));
            }
            ASSERT_TRUE(guardsIntact(guarded)) << "seed " << seed << " banner " << banners;
            for (int cell = 0; cell < kScreenCells; ++cell) {
                uint8_t value = guarded.screen.cells[cell];
                ASSERT_TRUE(value != 0 && value != '\n')
                    << "cell " << cell << " seed " << seed << " banner " << banners;
            }
        }
    }
    resetAllocator();
}
