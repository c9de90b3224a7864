#include "music/music_clock.h"

#include <algorithm>
#include <cstdlib>
#include <libopenmpt/libopenmpt.hpp>
#include <sstream>

#include "music/module_file.h"
#include "music/silent_player.h"
#include "music/song_feed.h"
#include "platform/clock.h"
#include "platform/sound_output.h"

namespace {

// A frame drawn from a position read now reaches the terminal a moment
// later (drawing, the write) and stays there for the frame's time (24-30
// ms). Reading the position heard in the middle of that stay centres the
// picture's error on the sound at zero: the moment is measured frame by
// frame, the stay is the frame's time. Before the first measure, half a
// frame.
constexpr int64_t kFirstPictureLeadNanos = 15 * kNanosPerMilli;
constexpr int64_t kShowDelaySmoothing = 8;  // frames averaged, roughly
// Frames reach the terminal on a grid of frame times, and scenes end where
// an order begins: a cut shows up to half a frame before or after its note
// unless a frame lands on it. The grid is moved towards the next order start,
// a little at a time, until one does; rows last a whole number of frames, so
// it stays there, but for the drift of the sound card's clock. A frame is
// held back by a few milliseconds at most, and brought forward by one.
constexpr int64_t kLongestDelayMs = 3;
constexpr int64_t kLongestAdvanceMs = 1;
constexpr int64_t kOnGridNanos = 3 * kNanosPerMilli / 2;  // a frame this near the order start is on it
constexpr int64_t kFadeFrames = kSampleRate * 3 / 10;
constexpr int64_t kLongestFadeWaitNanos = kNanosPerSecond / 2;

// Held for the whole run and never released; once playing, the module and
// the log it writes to belong to the thread that renders.
SongRender songRender;
SongPosition songPosition;
SongFeed* songFeed = nullptr;
std::ostringstream* moduleLog = nullptr;
int64_t silentFrame = kNoFade;  // where a requested fade is over, in frames
int64_t pictureLeadNanos = kFirstPictureLeadNanos;
int64_t frameReadNanos = -1;  // the first read of the position for the frame being drawn
int64_t showDelayNanos = -1;  // from that read until the frame is on the terminal, smoothed

SongRow rowOnScreen()
{
    const int64_t now = monotonicNanos();
    if (frameReadNanos < 0)
        frameReadNanos = now;
    return heardRowAt(songPosition, now + pictureLeadNanos);
}

bool withSound() { return songFeed != nullptr; }

static_assert(kSampleRate == kSoundOutputRate, "the song is rendered at the output's rate");

// Only a fade is waited for: an exit before it (an error, the end of a test)
// stops the sound at once.
void waitForSilence()
{
    if (silentFrame == kNoFade) {
        return;
    }
    int64_t giveUp = monotonicNanos() + kLongestFadeWaitNanos;
    while (heardFrameAt(songPosition, monotonicNanos()) < silentFrame && monotonicNanos() < giveUp) {
        sleepMillis(5);
    }
}

// At exit the renderers are stopped first, so that nothing is in the middle
// of the module while the process takes the libraries down.
void stopMusic()
{
    if (withSound()) {
        waitForSilence();
        stopSoundOutput();
        stopFeed(*songFeed);
    } else {
        stopSilentPlayer();
    }
}

bool playWithSound()
{
    if (!openSoundOutput()) {
        return false;
    }
    songFeed = new SongFeed;
    if (startFeed(*songFeed, songRender, songPosition) && playSoundOutput()) {
        return true;
    }
    // The feed may have rendered already: the silent player goes on from there.
    stopSoundOutput();
    stopFeed(*songFeed);
    songFeed = nullptr;
    return false;
}

}  // namespace

// The output's thread starts calling this only once the feed is set.
void playSoundFrames(int16_t* out, size_t frames, int64_t heardNanos)
{
    takeFeed(*songFeed, out, frames, heardNanos);
}

void startMusic(const char* fileName)
{
    moduleLog = new std::ostringstream;
    std::unique_ptr<openmpt::module> module = loadModule(fileName, *moduleLog);
    if (!module) {
        exit(1);
    }
    songRender.module = module.release();
    if (!playWithSound() && !startSilentPlayer(songRender, songPosition)) {
        exit(1);
    }
    atexit(stopMusic);
}

int32_t songOrder() { return rowOnScreen().order; }

int32_t songRow() { return rowOnScreen().row; }

// How far the next order start lies from the nearest frame of the grid, in
// whole milliseconds: positive when it is heard after that frame. 0 when a
// frame is on it (a millisecond is the pacer's grain) or none is known yet.
int64_t orderOffGridMs(int64_t shownNanos, uint32_t frameMs)
{
    const int64_t heard = heardFrameAt(songPosition, shownNanos);
    int64_t start = 0;
    if (!nextOrderStart(songPosition, heard, start)) {
        return 0;
    }
    const int64_t frameNanos = int64_t{frameMs} * kNanosPerMilli;
    int64_t off = (start - heard) * kNanosPerSecond / kSampleRate % frameNanos;
    if (off > frameNanos / 2) {
        off -= frameNanos;
    }
    if (off > -kOnGridNanos && off < kOnGridNanos) {
        return 0;
    }
    return (off + (off > 0 ? kNanosPerMilli / 2 : -kNanosPerMilli / 2)) / kNanosPerMilli;
}

int32_t notePictureShown(uint32_t frameMs)
{
    const int64_t now = monotonicNanos();
    if (frameReadNanos >= 0) {
        const int64_t delay = now - frameReadNanos;
        showDelayNanos = showDelayNanos < 0 ? delay : showDelayNanos + (delay - showDelayNanos) / kShowDelaySmoothing;
        pictureLeadNanos = showDelayNanos + int64_t{frameMs} * kNanosPerMilli / 2;
    }
    frameReadNanos = -1;
    return static_cast<int32_t>(std::clamp(orderOffGridMs(now, frameMs), -kLongestAdvanceMs, kLongestDelayMs));
}

void fadeOutMusic()
{
    if (withSound()) {
        silentFrame = fadeFeed(*songFeed, kFadeFrames);
    }
}
