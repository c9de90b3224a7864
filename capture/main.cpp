// The capture program's entry: the same show as textdemo, rendered offline
// on the capture platform into an MP4 (textdemo-capture OUT.mp4), or one
// still picture from the middle of each scene and the logo
// (textdemo-capture --stills DIR). Run from the folder that holds the song.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <libopenmpt/libopenmpt.hpp>
#include <memory>
#include <new>
#include <sstream>

#include "banner/out_of_memory.h"
#include "demo/show.h"
#include "music/module_file.h"
#include "music/song_feed.h"
#include "platform/capture/capture.h"
#include "platform/clock.h"
#include "screen/screen_buffer.h"

namespace {

constexpr char kModuleFile[] = "qk17.xm";
constexpr double kIntroSeconds = 3.0;
constexpr double kLogoSeconds = 3.1;

ScreenBuffer screen;

// The scenes as the song's positions bound them: each lasts from its first
// order to the next scene's; the farewell ends at order 12 or at row 85 of
// order 11, whichever the song reaches first.
struct SceneSpan {
    const char* still;
    int32_t fromOrder;
    int32_t toOrder, toRow;
};
constexpr SceneSpan kScenes[] = {
    {"1-greeting.png", 0, 2, 0}, {"2-ball.png", 2, 4, 0},     {"3-helix.png", 4, 6, 0},
    {"4-credits.png", 6, 8, 0},  {"5-farewell.png", 8, 11, 85},
};
constexpr char kLogoStill[] = "6-logo.png";

// Seconds into the song where it reaches order/row; the song's length when
// it never does.
double songSecondsAt(openmpt::module& module, int32_t order, int32_t row)
{
    if (order >= module.get_num_orders())
        return module.get_duration_seconds();
    return module.set_position_order_row(order, row);
}

double songSecondsOfFarewellEnd(openmpt::module& module)
{
    return std::min(songSecondsAt(module, 11, 85), songSecondsAt(module, 12, 0));
}

// The frame on the screen at the moment song time `seconds` is heard.
const CapturedFrame& frameAtSong(double seconds)
{
    const int64_t heard = soundHeardNanos(kFeedLeadFrames + static_cast<int64_t>(seconds * kSampleRate));
    const std::vector<CapturedFrame>& frames = capturedFrames();
    size_t shown = 0;
    while (shown + 1 < frames.size() && frames[shown + 1].nanos <= heard)
        ++shown;
    return frames[shown];
}

void writeStills(openmpt::module& module)
{
    std::string error;
    for (const SceneSpan& scene : kScenes) {
        double from = songSecondsAt(module, scene.fromOrder, 0);
        double to = scene.toRow == 0 ? songSecondsAt(module, scene.toOrder, 0) : songSecondsOfFarewellEnd(module);
        if (!writeStill(frameAtSong((from + to) / 2), scene.still, error))
            failCapture(error);
    }
    if (!writeStill(capturedFrames().back(), kLogoStill, error))
        failCapture(error);
}

[[noreturn]] void endOutOfMemory() { reportOutOfMemory(); }

int usage()
{
    fprintf(stderr, "usage: textdemo-capture OUT.mp4\n       textdemo-capture --stills DIR\n"
                    "Run it in the folder that holds %s.\n", kModuleFile);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    CaptureSetup setup;
    if (argc == 2 && argv[1][0] != '-')
        setup.videoPath = argv[1];
    else if (argc == 3 && strcmp(argv[1], "--stills") == 0)
        setup.stillsFolder = argv[2];
    else
        return usage();
    if (const char* fonts = getenv("TEXTDEMO_CONSOLE_FONTS"))
        setup.fontFolder = fonts;

    std::ostringstream log;
    std::unique_ptr<openmpt::module> module = loadModule(kModuleFile, log);
    if (!module) {
        fprintf(stderr, "textdemo-capture: %s: missing, unreadable or not a module\n", kModuleFile);
        return 1;
    }
    setup.expectedNanos =
        static_cast<int64_t>((kIntroSeconds + songSecondsOfFarewellEnd(*module) + kLogoSeconds) * kNanosPerSecond);

    std::string error;
    if (!startCapture(setup, error)) {
        fprintf(stderr, "textdemo-capture: %s\n", error.c_str());
        return 1;
    }
    std::set_new_handler(endOutOfMemory);
    try {
        playShow(screen);
    } catch (const std::bad_alloc&) {
        endOutOfMemory();
    }
    if (setup.stillsFolder != nullptr)
        writeStills(*module);
    captureShowEnded();
    return 0;
}
