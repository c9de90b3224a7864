// The whole show with the real song, as heard through a sound server of our
// own (PulseAudio, a null sink), on an idle machine and beside two processes
// that keep both processors busy. Counters: how far each scene cut on the
// screen lies from its note (median and worst), dropouts, how closely the
// recording matches the render, the level at the exit and the processor
// time of the run. About 100 s a run.

#include <benchmark/benchmark.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "tests/sound/heard_show.h"

namespace {

std::vector<pid_t> startBusyProcesses(int count)
{
    std::vector<pid_t> busy;
    for (int i = 0; i < count; ++i) {
        pid_t child = fork();
        if (child == 0) {
            for (volatile uint64_t spin = 0;; spin = spin + 1) {
            }
        }
        busy.push_back(child);
    }
    return busy;
}

void BM_HeardShow(benchmark::State& state)
{
    SoundServer server;
    if (!startSoundServer(server)) {
        state.SkipWithError(("the sound server did not start: " + server.failure).c_str());
        return;
    }
    HeardFigures heard;
    ShowRun run;
    for (auto _ : state) {
        std::vector<pid_t> busy = startBusyProcesses(static_cast<int>(state.range(0)));
        runShow(server, TEXTDEMO_BINARY, SHOW_FOLDER, 200, run);
        for (pid_t child : busy) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
        heard = measureShow(run, SHOW_FOLDER "/qk17.xm");
    }
    stopSoundServer(server);
    std::vector<double> errors = heard.cutErrorsMs;
    std::sort(errors.begin(), errors.end(), [](double a, double b) { return std::abs(a) < std::abs(b); });
    std::vector<double> sorted = heard.cutErrorsMs;
    std::sort(sorted.begin(), sorted.end());
    state.counters["cut_median_ms"] = sorted[sorted.size() / 2];
    state.counters["cut_worst_ms"] = errors.back();
    state.counters["gaps"] = heard.gaps;
    state.counters["correlation"] = heard.correlation;
    state.counters["exit_dbfs"] = heard.exitLevelDb;
    state.counters["cpu_percent"] = 100 * run.shown.cpuSeconds / run.wallSeconds;
    state.counters["exit_status"] = run.shown.exitStatus;
    for (size_t cut = 0; cut < heard.cutErrorsMs.size(); ++cut)
        state.counters["cut" + std::to_string(cut + 1) + "_ms"] = heard.cutErrorsMs[cut];
}
BENCHMARK(BM_HeardShow)->Arg(0)->Arg(2)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
