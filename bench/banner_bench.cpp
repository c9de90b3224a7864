// One draw of a scrolling banner: copying the strips into the window,
// rotating each strip by one column and copying the window to the screen.

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "banner/banner.h"
#include "screen/screen_buffer.h"

namespace {

const std::string kLongestText =
    " you have vvitnessed another amazing tarvonik textmode introdemo pushing the very limits "
    "of modern computer technology..." + std::string(19, ' ');
const std::string kShortestText = "  music     code        moral support" + std::string(20, ' ');

// Built once and kept, like the demo's banners, however often a benchmark runs.
Banner longest;
Banner shortest;

// Past its 80 fly-in draws, so that every further draw is a scroll step.
Banner& scrollingBanner(Banner& banner, const std::string& text)
{
    if (banner.text != nullptr) return banner;
    buildBanner(banner, text.c_str());
    setFlyIn(banner, kScreenColumns);
    ScreenBuffer screen;
    for (int draw = 0; draw < kScreenColumns; ++draw) drawAt(banner, screen, 10);
    return banner;
}

void bobbingScrollStep(benchmark::State& state, Banner& banner)
{
    ScreenBuffer screen;
    std::memset(screen.cells, ' ', sizeof screen.cells);
    bobCounter = 0.0;
    for (auto _ : state) {
        drawBobbing(banner, screen, 10, 11, 5);
        benchmark::DoNotOptimize(screen.cells);
        benchmark::ClobberMemory();
    }
}

void BM_BobbingScrollStep140(benchmark::State& state)
{
    bobbingScrollStep(state, scrollingBanner(longest, kLongestText));
}

void BM_BobbingScrollStep57(benchmark::State& state)
{
    bobbingScrollStep(state, scrollingBanner(shortest, kShortestText));
}

// The demo draws its longest banner at a fixed row.
void BM_FixedRowScrollStep140(benchmark::State& state)
{
    Banner& banner = scrollingBanner(longest, kLongestText);
    ScreenBuffer screen;
    std::memset(screen.cells, ' ', sizeof screen.cells);
    for (auto _ : state) {
        drawAt(banner, screen, 10);
        benchmark::DoNotOptimize(screen.cells);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_BobbingScrollStep140);
BENCHMARK(BM_BobbingScrollStep57);
BENCHMARK(BM_FixedRowScrollStep140);

}  // namespace
