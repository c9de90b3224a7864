// The show after the intro. Each scene is a frame loop that lasts until the
// song reaches the scene's end position; the position is read afresh before
// every frame, so a scene whose end has already passed draws nothing.

#include "demo/scenes.h"

#include <string>

#include "banner/banner.h"
#include "effects/bouncing_ball.h"
#include "effects/bouncing_name.h"
#include "effects/bursts.h"
#include "effects/closing_logo.h"
#include "effects/helix.h"
#include "music/music_clock.h"
#include "screen/frame_pacer.h"

namespace {

constexpr char kModuleFile[] = "qk17.xm";
constexpr uint32_t kFrameMs = 30;
constexpr uint32_t kFinalScrollFrameMs = 24;
constexpr int kClosingFrames = 100;
constexpr int kFadeFrames = 10;  // the music fades out under the last 0.3 s of the logo

// The blanks after each text scroll through the window like its letters.
// The handles of the second credits line stand under the headings of the
// first, column for column.
struct BannerText {
    const char* text;
    int trailingBlanks;
};
constexpr BannerText kGreeting = {" Husker du oss...?", 43};
constexpr BannerText kTaunt = {"   In your face!!!111", 38};
constexpr BannerText kCreditHeadings = {"  music     code        moral support", 20};
constexpr BannerText kCreditHandles = {" pim22dax  brunatok    velkrapon tomsul", 21};
constexpr BannerText kFarewell = {
    " you have vvitnessed another amazing tarvonik textmode introdemo pushing the very limits "
    "of modern computer technology...",
    19};

Banner greeting, taunt, creditHeadings, creditHandles, farewell;
int32_t sceneEndOrder;
int32_t helixColumn;

void prepareBanner(Banner& banner, const BannerText& text)
{
    buildBanner(banner, (text.text + std::string(text.trailingBlanks, ' ')).c_str());
    setFlyIn(banner, kScreenColumns);
}

void endFrame(ScreenBuffer& screen, uint32_t frameMs)
{
    presentFrame(screen);
    const int32_t ontoTheBeat = notePictureShown(frameMs);
    waitSinceMark(static_cast<uint32_t>(static_cast<int32_t>(frameMs) + ontoTheBeat));
    markTick();
}

bool songBefore(int32_t order) { return songOrder() < order; }

// Orders 0-1: the greeting bobs under the bouncing name, which carries on
// from the intro.
void playGreeting(ScreenBuffer& screen)
{
    sceneEndOrder = 2;
    while (songBefore(sceneEndOrder)) {
        drawBobbing(greeting, screen, 10, 11, 5);
        drawBouncingName(screen);
        endFrame(screen, kFrameMs);
    }
}

// Orders 2-3: the ball on the dotted field, with a burst on every eighth row.
void playBall(ScreenBuffer& screen)
{
    sceneEndOrder = 4;
    while (songBefore(sceneEndOrder)) {
        drawDottedField(screen);
        drawBouncingBall(screen);
        drawBurst(screen, (songRow() + 1) % 8 == 0 ? 1 : 0);
        endFrame(screen, kFrameMs);
    }
}

// Orders 4-5: the helix in column 10 under the taunt. The helix drawn before
// the loop stays under the first frame.
void playHelix(ScreenBuffer& screen)
{
    sceneEndOrder = 6;
    helixColumn = 10;
    drawHelix(screen, helixColumn);
    while (songBefore(sceneEndOrder)) {
        drawBobbing(taunt, screen, 10, 11, 5);
        drawHelix(screen, 10);
        endFrame(screen, kFrameMs);
    }
}

// Orders 6-7: the two credit lines bob one above the other while the helix
// moves right to column 70.
void playCredits(ScreenBuffer& screen)
{
    sceneEndOrder = 8;
    while (songBefore(sceneEndOrder)) {
        drawBobbing(creditHeadings, screen, 5, 11, 4);
        drawBobbing(creditHandles, screen, 15, 11, 4);
        if (helixColumn < 70)
            helixColumn += 1;
        drawHelix(screen, helixColumn);
        endFrame(screen, kFrameMs);
    }
}

// Orders 8-11: the farewell scrolls at a fixed row, faster, while the helix
// moves back left. Ends at order 12, or at row 85 of order 11.
void playFarewell(ScreenBuffer& screen)
{
    sceneEndOrder = 12;
    while (songOrder() < sceneEndOrder && (songRow() < 85 || songOrder() < 11)) {
        drawAt(farewell, screen, 10);
        if (helixColumn > 10)
            helixColumn -= 3;
        drawHelix(screen, helixColumn);
        endFrame(screen, kFinalScrollFrameMs);
    }
}

// About three seconds of the logo, whatever the song does; the music fades
// out under its last frames, so nothing is cut when the process ends.
void playClosing()
{
    for (int frame = 0; frame < kClosingFrames; ++frame) {
        if (frame == kClosingFrames - kFadeFrames)
            fadeOutMusic();
        drawClosingLogo(logoLines);
        waitSinceMark(kFrameMs);
        markTick();
    }
}

}  // namespace

void prepareScenes()
{
    setupLogoLines();
    prepareBanner(greeting, kGreeting);
    prepareBanner(taunt, kTaunt);
    prepareBanner(creditHeadings, kCreditHeadings);
    prepareBanner(creditHandles, kCreditHandles);
    prepareBanner(farewell, kFarewell);
}

void runScenes(ScreenBuffer& screen)
{
    startMusic(kModuleFile);
    playGreeting(screen);
    playBall(screen);
    playHelix(screen);
    playCredits(screen);
    playFarewell(screen);
    playClosing();
}
