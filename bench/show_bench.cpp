// What the show costs on the wire and in time: the bytes of every frame of
// a whole show paced as the real song paces it, scene by scene, against
// repainting every frame whole; the time to find and encode what changed
// in the show's heaviest frame; and the peak resident memory of the real
// program over a whole run.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "demo/scenes.h"
#include "effects/bouncing_name.h"
#include "platform/posix/cell_encoding.h"
#include "screen/console.h"
#include "screen/frame_pacer.h"
#include "screen/screen_buffer.h"
#include "tests/fakes/scripted_clock.h"
#include "tests/fakes/scripted_song.h"
#include "tests/fakes/terminal_sink.h"
#include "tests/support/vterm_screen.h"

namespace {

constexpr uint32_t kMsPerRow = 120;  // speed 6 at 125 BPM, as the song plays
constexpr int kIntroFrames = 100;
constexpr int kLogoFrames = 100;

struct Part {
    const char* name;
    int32_t endOrder;  // the part lasts until this order
    double frameMs;
};
const Part kParts[] = {
    {"intro", 0, 30}, {"greeting", 2, 30}, {"ball", 4, 30}, {"helix", 6, 30},
    {"credits", 8, 30}, {"farewell", 12, 24}, {"logo", 0, 30},
};
constexpr int kIntro = 0;
constexpr int kLogo = 6;

// What the presenter sent before it sent only what changed: every cell of
// the picture, a cursor move to each row, wrap off and on, and the markers.
size_t fullRepaintBytes(const std::string& picture, int cells)
{
    const CellBytes* encoded = cellTable(true);
    size_t bytes = 16 + 10 + 24 * 7;
    for (int cell = 0; cell < cells; ++cell)
        bytes += encoded[static_cast<uint8_t>(picture[cell])].length;
    return bytes;
}

int partOf(size_t write, size_t writes)
{
    if (write < kIntroFrames)
        return kIntro;
    if (write + kLogoFrames >= writes)
        return kLogo;
    const int64_t rows = (sinkWriteTicks[write] - songStartTicks) / kMsPerRow;
    int part = 1;
    while (part < kLogo - 1 && rows >= kParts[part].endOrder * 64)
        ++part;
    return part;
}

// The frame of the show that costs the most bytes, and the one before it.
std::string heaviestPicture, pictureBefore;

// The intro, the five scenes and the logo, with the scripted clock and a
// song that moves on with it, in one process: the effects keep their state.
void BM_WholeShowBytes(benchmark::State& state)
{
    size_t sent[7] = {}, repainted[7] = {};
    int frames[7] = {};
    for (auto _ : state) {
        songScript.msPerRow = kMsPerRow;
        resetSink();
        clearConsole();
        resetSink();
        ScreenBuffer screen;
        blankScreen(screen);
        prepareScenes();
        for (int frame = 0; frame < kIntroFrames; ++frame) {
            drawBouncingName(screen);
            presentFrame(screen);
            waitSinceMark(30);
            markTick();
        }
        runScenes(screen);
    }
    VtermScreen terminal(24, 80);
    size_t at = 0;
    size_t heaviest = 0;
    std::string previous = terminal.picture();
    for (size_t write = 0; write < sinkWrites.size(); ++write) {
        terminal.feed(sinkBytes.substr(at, sinkWrites[write]));
        at += sinkWrites[write];
        if (sinkWrites[write] > heaviest) {
            heaviest = sinkWrites[write];
            heaviestPicture = terminal.picture();
            pictureBefore = previous;
        }
        previous = terminal.picture();
        const int part = partOf(write, sinkWrites.size());
        sent[part] += sinkWrites[write];
        repainted[part] += fullRepaintBytes(terminal.picture(), part == kLogo ? 1920 : 1919);
        ++frames[part];
    }
    size_t allSent = 0, allRepainted = 0;
    double seconds = 0;
    for (int part = 0; part < 7; ++part) {
        const std::string name = kParts[part].name;
        const double perFrame = frames[part] ? static_cast<double>(sent[part]) / frames[part] : 0;
        state.counters[name + "_frames"] = frames[part];
        state.counters[name + "_B_per_frame"] = perFrame;
        state.counters[name + "_KB_per_s"] = perFrame * 1000 / kParts[part].frameMs / 1000;
        state.counters[name + "_percent"] = repainted[part] ? 100.0 * sent[part] / repainted[part] : 0;
        allSent += sent[part];
        allRepainted += repainted[part];
        seconds += frames[part] * kParts[part].frameMs / 1000;
    }
    state.counters["show_MB"] = allSent / 1e6;
    state.counters["show_repainting_MB"] = allRepainted / 1e6;
    state.counters["show_KB_per_s"] = allSent / seconds / 1000;
    state.counters["show_percent"] = 100.0 * allSent / allRepainted;
    state.counters["heaviest_frame_B"] = heaviest;
}
BENCHMARK(BM_WholeShowBytes)->Iterations(1)->Unit(benchmark::kMillisecond);

// The heaviest frame of the show after the one before it, and back: the
// presenter alone, finding the changed runs and encoding them.
void BM_HeaviestFrame(benchmark::State& state)
{
    if (heaviestPicture.empty()) {
        state.SkipWithError("needs BM_WholeShowBytes first");
        return;
    }
    ScreenBuffer frames[2];
    memcpy(frames[0].cells, pictureBefore.data(), kScreenCells);
    memcpy(frames[1].cells, heaviestPicture.data(), kScreenCells);
    resetSink();
    clearConsole();
    ScreenBuffer screen;
    size_t bytes = 0;
    int frame = 0;
    for (auto _ : state) {
        memcpy(screen.cells, frames[frame].cells, sizeof screen.cells);
        sinkBytes.clear();
        sinkWrites.clear();
        sinkWriteTicks.clear();
        presentFrame(screen);
        bytes += sinkBytes.size();
        frame ^= 1;
    }
    state.counters["bytes_per_frame"] = static_cast<double>(bytes) / state.iterations();
}
BENCHMARK(BM_HeaviestFrame);

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
