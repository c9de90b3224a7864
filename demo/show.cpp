#include "demo/show.h"

#include "demo/scenes.h"
#include "effects/bouncing_name.h"
#include "screen/console.h"
#include "screen/frame_pacer.h"

namespace {
constexpr int kIntroFrames = 100;
constexpr uint32_t kIntroFrameMs = 30;
}  // namespace

void playShow(ScreenBuffer& screen)
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
}
