#include "music/silent_player.h"

#include <atomic>
#include <system_error>
#include <thread>

#include "platform/clock.h"

// The thread's state against a stop request. Both sides use sequentially
// consistent order: either the thread sees the request before it renders, or
// the stopping side sees it rendering and waits for it to finish.
static std::atomic<bool> stopRequested{false};
static std::atomic<bool> rendering{false};

// When a frame is due: the first frame the thread renders is due at start.
static int64_t nanosOfFrame(int64_t start, int64_t firstFrame, int64_t frame)
{
    return start + (frame - firstFrame) * kNanosPerSecond / kSampleRate;
}

// A wake-up this late means the process was stopped (Ctrl-Z, SIGSTOP): the
// song's time did not run meanwhile, so it carries on from where it was.
static constexpr int64_t kStoppedNanos = 100 * kNanosPerMilli;

// Each buffer is rendered at the moment its first frame is due, so the frame
// heard at any moment is exactly the one real time has reached. Deadlines
// come from the frame count, never from the last wake-up, so late wake-ups
// do not add up.
static void playSilently(SongRender* render, SongPosition* position, int64_t start)
{
    int16_t samples[2 * kSilentFrames];
    const int64_t firstFrame = render->framesRendered;
    for (;;) {
        rendering.store(true);
        if (stopRequested.load()) {
            rendering.store(false);
            return;
        }
        int64_t first = render->framesRendered;
        int64_t due = nanosOfFrame(start, firstFrame, first);
        int64_t late = monotonicNanos() - due;
        if (late > kStoppedNanos) {
            start += late;
            due += late;
        }
        renderSong(*render, *position, samples, kSilentFrames);
        bool ended = render->ended;
        recordHeardClock(*position, first, due, ended ? kNoHeardLimit : render->framesRendered);
        int64_t next = nanosOfFrame(start, firstFrame, render->framesRendered);
        rendering.store(false);
        if (ended) {
            return;
        }
        sleepUntilNanos(next);
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

void stopSilentPlayer()
{
    stopRequested.store(true);
    while (rendering.load()) {
        std::this_thread::yield();
    }
}
