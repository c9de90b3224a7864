// What the music costs: rendering the show's module, one second of music per
// iteration, as the audio thread does it (1024-frame buffers, row starts
// recorded). The CPU time per iteration in milliseconds, divided by ten, is
// the share of one core in percent: the target is under 10 ms.

#include <benchmark/benchmark.h>

#include <libopenmpt/libopenmpt.hpp>
#include <memory>
#include <sstream>
#include <vector>

#include "music/module_file.h"
#include "music/song_render.h"

namespace {

void renderOneSecondOfMusic(benchmark::State& state)
{
    std::vector<uint8_t> bytes;
    if (!readModuleFile(SHOW_MODULE_PATH, bytes)) {
        state.SkipWithError("qk17.xm cannot be read");
        return;
    }
    std::ostringstream log;
    std::unique_ptr<openmpt::module> module;
    auto render = std::make_unique<SongRender>();
    auto position = std::make_unique<SongPosition>();
    std::vector<int16_t> samples(2 * 1024);
    for (auto _ : state) {
        if (!module || render->ended) {
            state.PauseTiming();
            module = openModule(bytes, log);
            render = std::make_unique<SongRender>();
            render->module = module.get();
            position = std::make_unique<SongPosition>();
            state.ResumeTiming();
        }
        for (int64_t frames = 0; frames < kSampleRate; frames += 1024) {
            renderSong(*render, *position, samples.data(), 1024);
        }
        benchmark::DoNotOptimize(samples.data());
    }
}

}  // namespace

BENCHMARK(renderOneSecondOfMusic)->Unit(benchmark::kMillisecond);
