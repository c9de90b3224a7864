// Frames of the effects, drawn and presented into a byte-sink terminal.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "effects/bouncing_ball.h"
#include "effects/bursts.h"
#include "effects/helix.h"
#include "screen/screen_buffer.h"
#include "tests/fakes/terminal_sink.h"

namespace {

// Scene 2 triggers a burst on every eighth row of the song; here on every
// eighth frame, so all four stages and the idle frames are in the mix.
void ballFrame(benchmark::State& state, bool utf8)
{
    sinkUtf8 = utf8;
    ScreenBuffer screen;
    blankScreen(screen);
    int64_t frames = 0;
    int64_t bytes = 0;
    for (auto _ : state) {
        resetSink();
        drawDottedField(screen);
        drawBouncingBall(screen);
        drawBurst(screen, frames % 8 == 7 ? 1 : 0);
        presentFrame(screen);
        bytes += static_cast<int64_t>(sinkBytes.size());
        ++frames;
        benchmark::DoNotOptimize(sinkBytes.data());
    }
    state.counters["bytes_per_frame"] = frames ? static_cast<double>(bytes) / frames : 0.0;
}

void helixFrame(benchmark::State& state, bool utf8)
{
    sinkUtf8 = utf8;
    ScreenBuffer screen;
    blankScreen(screen);
    int64_t frames = 0;
    int64_t bytes = 0;
    for (auto _ : state) {
        resetSink();
        drawHelix(screen, 40);
        presentFrame(screen);
        bytes += static_cast<int64_t>(sinkBytes.size());
        ++frames;
        benchmark::DoNotOptimize(sinkBytes.data());
    }
    state.counters["bytes_per_frame"] = frames ? static_cast<double>(bytes) / frames : 0.0;
}

void BM_BallSceneFrameUtf8(benchmark::State& state) { ballFrame(state, true); }
void BM_BallSceneFrameRaw(benchmark::State& state) { ballFrame(state, false); }
void BM_HelixFrameUtf8(benchmark::State& state) { helixFrame(state, true); }
void BM_HelixFrameRaw(benchmark::State& state) { helixFrame(state, false); }

BENCHMARK(BM_BallSceneFrameUtf8);
BENCHMARK(BM_BallSceneFrameRaw);
BENCHMARK(BM_HelixFrameUtf8);
BENCHMARK(BM_HelixFrameRaw);

}  // namespace
