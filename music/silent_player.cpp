#include "music/silent_player.h"

#include <system_error>
#include <thread>

#include "music/monotonic_time.h"

// When a frame is due: the first frame the thread renders is due at start.
static int64_t nanosOfFrame(int64_t start, int64_t firstFrame, int64_t frame)
{
    return start + (frame - firstFrame) * 1000000000 / kSampleRate;
}

// Each buffer is rendered at the moment its first frame is due, so the frame
// heard at any moment is exactly the one real time has reached. Deadlines
// come from the frame count, never from the last wake-up, so late wake-ups
// do not add up.
static void playSilently(SongRender* render, SongPosition* position, int64_t start)
{
    int16_t samples[2 * kSilentFrames];
    const int64_t firstFrame = render->framesRendered;
    for (;;) {
        int64_t first = render->framesRendered;
        int64_t due = nanosOfFrame(start, firstFrame, first);
        renderSong(*render, *position, samples, kSilentFrames);
        if (render->ended) {
            recordHeardClock(*position, first, due, kNoHeardLimit);
            return;
        }
        recordHeardClock(*position, first, due, render->framesRendered);
        sleepUntilNanos(nanosOfFrame(start, firstFrame, render->framesRendered));
    }
}

bool startSilentPlayer(SongRender& render, SongPosition& position)
{
    try {
        std::thread player(playSilently, &render, &position, monotonicNanos());
        player.detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}
