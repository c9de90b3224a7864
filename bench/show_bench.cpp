// The heaviest frame of the show (the credits: two bobbing banners and the
// helix), and the peak resident memory of the real program over a whole run.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "banner/banner.h"
#include "effects/helix.h"
#include "screen/screen_buffer.h"
#include "tests/fakes/terminal_sink.h"

namespace {

void BM_CreditsFrame(benchmark::State& state)
{
    static Banner headings, handles;
    buildBanner(headings, "  music     code        moral support                    ");
    buildBanner(handles, " pim22dax  brunatok    velkrapon tomsul                     ");
    setFlyIn(headings, 80);
    setFlyIn(handles, 80);
    ScreenBuffer screen;
    blankScreen(screen);
    int32_t column = 10;
    for (auto _ : state) {
        resetSink();
        drawBobbing(headings, screen, 5, 11, 4);
        drawBobbing(handles, screen, 15, 11, 4);
        column = column < 70 ? column + 1 : 10;
        drawHelix(screen, column);
        presentFrame(screen);
    }
    state.counters["bytes_per_frame"] = static_cast<double>(sinkBytes.size());
}
BENCHMARK(BM_CreditsFrame);

// Runs the real program once, on a short song, with its output thrown away,
// and reports the largest resident set it reached.
void BM_WholeRunPeakMemory(benchmark::State& state)
{
    char folder[] = "/tmp/textdemo-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    std::string make = std::string(MAKE_MODULE_BINARY) + " --fast " + folder + "/qk17.xm";
    if (system(make.c_str()) != 0) {
        state.SkipWithError("the module generator failed");
        return;
    }
    long peakKilobytes = 0;
    for (auto _ : state) {
        pid_t child = fork();
        if (child == 0) {
            int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, STDOUT_FILENO);
            dup2(quiet, STDERR_FILENO);
            if (chdir(folder) != 0)
                _exit(126);
            execl(TEXTDEMO_BINARY, TEXTDEMO_BINARY, static_cast<char*>(nullptr));
            _exit(127);
        }
        int status;
        rusage usage;
        wait4(child, &status, 0, &usage);
        peakKilobytes = usage.ru_maxrss;
    }
    state.counters["peak_resident_MB"] = peakKilobytes / 1024.0;
}
BENCHMARK(BM_WholeRunPeakMemory)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
