#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "banner/banner.h"
#include "tests/fakes/refusing_allocator.h"

TEST(BannerBuild, LowerCaseRendersAsCapitalsWhileTheCallersTextStaysUnchanged)
{
    char callers[] = "a\xC5w\xE5";  // the small a with ring has no glyph
    Banner banner;
    buildBanner(banner, callers);

    EXPECT_STREQ(callers, "a\xC5w\xE5");
    EXPECT_STREQ(banner.text, "A\xC5W\xE5");
    const char* const picture[kBannerRows] = {
        "$$         $$   $$   $$         ",
        "$$$$$           $$   $$         ",
        "$$  $$$  $$$$$  $$   $$         ",
        "$$   $$ $$   $$ $$ $ $$         ",
        "$$ $$$$ $$ $$$$ $$ $ $$         ",
        "$$ $$$$ $$   $$  $$ $$          ",
    };
    for (int r = 0; r < kBannerRows; ++r) {
        EXPECT_STREQ(reinterpret_cast<const char*>(banner.strips[r]), picture[r]) << "row " << r;
    }
}

const char kOutOfMemoryOutput[] = "^AAAARGH, ikke mer minne igjen, kj\xF8p mer RAM, din soper\n$";

TEST(BannerOutOfMemoryDeathTest, AnyRefusedAllocationPrintsTheMessageOnceAndExitsWithOne)
{
    // Calls: 1 the text copy, 2 the working rows, 3 to 8 the strips (6: the
    // fourth). Standard output goes to the standard error that the check reads.
    for (int refused = 1; refused <= 8; ++refused) {
        EXPECT_EXIT({
            dup2(STDERR_FILENO, STDOUT_FILENO);
            refuseCall = allocationCalls + refused;
            Banner banner;
            buildBanner(banner, "abc");
            std::_Exit(98);
        }, testing::ExitedWithCode(1), kOutOfMemoryOutput) << "refused call " << refused;
    }
}
