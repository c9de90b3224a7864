// Whole frames drawn and presented into a byte-sink terminal: the intro, the
// ball scene and a helix frame, on a UTF-8 terminal and on another.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "effects/bouncing_ball.h"
#include "effects/bouncing_name.h"
#include "effects/bursts.h"
#include "effects/helix.h"
#include "screen/screen_buffer.h"
#include "tests/fakes/terminal_sink.h"

namespace {

enum Frame { kIntro, kBallScene, kHelix };

// The ball scene triggers a burst on every eighth row of the song; here on
// every eighth frame, so all four stages and the idle frames are in the mix.
void drawFrame(ScreenBuffer& screen, Frame frame, int64_t number)
{
    switch (frame) {
    case kIntro:
        drawBouncingName(screen);
        break;
    case kBallScene:
        drawDottedField(screen);
        drawBouncingBall(screen);
        drawBurst(screen, number % 8 == 7 ? 1 : 0);
        break;
    case kHelix:
        drawHelix(screen, 40);
        break;
    }
}

void presentFrames(benchmark::State& state, Frame frame, bool utf8)
{
    sinkUtf8 = utf8;
    ScreenBuffer screen;
    blankScreen(screen);
    int64_t frames = 0;
    int64_t bytes = 0;
    for (auto _ : state) {
        resetSink();
        drawFrame(screen, frame, frames);
        presentFrame(screen);
        bytes += static_cast<int64_t>(sinkBytes.size());
        ++frames;
        benchmark::DoNotOptimize(sinkBytes.data());
    }
    state.counters["bytes_per_frame"] = frames ? static_cast<double>(bytes) / frames : 0.0;
}

BENCHMARK_CAPTURE(presentFrames, IntroUtf8, kIntro, true);
BENCHMARK_CAPTURE(presentFrames, IntroRaw, kIntro, false);
BENCHMARK_CAPTURE(presentFrames, BallSceneUtf8, kBallScene, true);
BENCHMARK_CAPTURE(presentFrames, BallSceneRaw, kBallScene, false);
BENCHMARK_CAPTURE(presentFrames, HelixUtf8, kHelix, true);
BENCHMARK_CAPTURE(presentFrames, HelixRaw, kHelix, false);

}  // namespace
