// The frame pacer on the real clock: the interval from one mark to the next
// when the frame itself takes no time. It is never below the target; the
// counters give how far above it the median and the 99th percentile lie,
// and how much processor time the waiting took.

#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <vector>

#include "platform/clock.h"
#include "screen/frame_pacer.h"

namespace {

double processSeconds()
{
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

void BM_FrameIntervals(benchmark::State& state)
{
    const uint32_t interval = static_cast<uint32_t>(state.range(0));
    std::vector<double> excessMs;
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        const int frames = 200;
        excessMs.clear();
        const double cpuBefore = processSeconds();
        const int64_t wallBefore = monotonicNanos();
        markTick();
        int64_t mark = monotonicNanos();
        for (int frame = 0; frame < frames; ++frame) {
            waitSinceMark(interval);
            markTick();
            int64_t now = monotonicNanos();
            excessMs.push_back((now - mark) / 1e6 - interval);
            mark = now;
        }
        cpu += processSeconds() - cpuBefore;
        wall += (monotonicNanos() - wallBefore) / 1e9;
    }
    std::sort(excessMs.begin(), excessMs.end());
    // The tick counter counts whole milliseconds, so an interval may measure
    // up to a millisecond short on the nanosecond clock; never more.
    state.counters["shortest_ms"] = excessMs.front();
    state.counters["p50_over_ms"] = excessMs[excessMs.size() / 2];
    state.counters["p99_over_ms"] = excessMs[excessMs.size() * 99 / 100];
    state.counters["cpu_percent"] = 100 * cpu / wall;
}
BENCHMARK(BM_FrameIntervals)->Arg(30)->Arg(24)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
