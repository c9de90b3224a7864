#include "platform/sound_output.h"

#include <SDL.h>

#include <atomic>
#include <cstring>

#include "platform/clock.h"
#include "platform/posix/quiet_stderr.h"

static constexpr int kDeviceFrames = 1024;
static SDL_AudioDeviceID device = 0;
static int64_t deviceLatency = 0;  // frames between a buffer's rendering and its sound
static SongRender* playingRender = nullptr;
static SongPosition* playingPosition = nullptr;
static std::atomic<bool> playing{false};

// SDL's device thread asks for the next buffer. What it gets now is heard
// once the buffers queued before it have played: ALSA holds two, and the
// buffer rendered now waits for one of them to drain, so its first frame is
// heard two to three buffers' time from now; the middle is taken.
static void fillDeviceBuffer(void*, Uint8* stream, int length)
{
    size_t frames = static_cast<size_t>(length) / (2 * sizeof(int16_t));
    if (!playing.load(std::memory_order_acquire)) {
        std::memset(stream, 0, static_cast<size_t>(length));
        return;
    }
    int64_t now = monotonicNanos();
    int64_t first = playingRender->framesRendered;
    renderSong(*playingRender, *playingPosition, reinterpret_cast<int16_t*>(stream), frames);
    int64_t limit = first + static_cast<int64_t>(frames) - deviceLatency;
    recordHeardClock(*playingPosition, first - deviceLatency, now, limit);
}

static bool openDevice()
{
    // The terminal layer owns SIGINT and SIGTERM.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_AUDIO) != 0) {
        return false;
    }
    SDL_AudioSpec wanted;
    SDL_zero(wanted);
    wanted.freq = kSampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = kDeviceFrames;
    wanted.callback = fillDeviceBuffer;
    SDL_AudioSpec obtained;
    // No changes allowed: SDL converts whatever the hardware wants.
    device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) {
        return false;
    }
    deviceLatency = 5 * int64_t{obtained.samples} / 2;
    return true;
}

bool openSoundOutput()
{
    int savedStderr = silenceStderr();
    bool opened = openDevice();
    restoreStderr(savedStderr);
    return opened;
}

void playSoundOutput(SongRender& render, SongPosition& position)
{
    playingRender = &render;
    playingPosition = &position;
    playing.store(true, std::memory_order_release);
    SDL_PauseAudioDevice(device, 0);
}

void stopSoundOutput()
{
    // SDL calls the callback with the device locked, so once the pause has
    // taken the lock no call is under way and none follows.
    SDL_PauseAudioDevice(device, 1);
}
