// The demo's entry: prepare the terminal and the show, play the silent intro
// of the bouncing name, then the scenes, and end with status 0.

#include "demo/scenes.h"
#include "effects/bouncing_name.h"
#include "screen/console.h"
#include "screen/frame_pacer.h"
#include "screen/screen_buffer.h"

namespace {

constexpr int kIntroFrames = 100;
constexpr uint32_t kIntroFrameMs = 30;

ScreenBuffer screen;

}  // namespace

int main()
{
    hideCursor();
    clearConsole();
    blankScreen(screen);
    prepareScenes();
    for (int frame = 0; frame < kIntroFrames; ++frame) {
        drawBouncingName(screen);
        presentFrame(screen);
        waitSinceMark(kIntroFrameMs);
        markTick();
    }
    runScenes(screen);
    return 0;
}
