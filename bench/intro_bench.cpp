// One intro frame, drawn and presented into a byte-sink terminal.

#include <benchmark/benchmark.h>

#include "effects/bouncing_name.h"
#include "screen/screen_buffer.h"
#include "tests/fakes/terminal_sink.h"

namespace {

void introFrame(benchmark::State& state, bool utf8)
{
    sinkUtf8 = utf8;
    ScreenBuffer screen;
    blankScreen(screen);
    size_t bytes = 0;
    for (auto _ : state) {
        resetSink();
        drawBouncingName(screen);
        presentFrame(screen);
        bytes = sinkBytes.size();
        benchmark::DoNotOptimize(sinkBytes.data());
    }
    state.counters["bytes_per_frame"] = static_cast<double>(bytes);
}

void BM_IntroFrameUtf8(benchmark::State& state) { introFrame(state, true); }
void BM_IntroFrameRaw(benchmark::State& state) { introFrame(state, false); }

BENCHMARK(BM_IntroFrameUtf8);
BENCHMARK(BM_IntroFrameRaw);

}  // namespace
