// Sound output through waveOut. A thread of the output's own keeps a few
// short buffers queued on the device, asking the program for each as the
// device hands it back (the device signals an event), and says when its
// first frame will be heard from the device's own played position.

#include "platform/sound_output.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <system_error>
#include <thread>

#include "platform/clock.h"

namespace {

constexpr int kBuffers = 12;
constexpr DWORD kBufferFrames = 1024;  // 23 ms; twelve of them queued, about 280 ms
constexpr DWORD kWaitMs = 100;         // a missed signal costs no more than this

HWAVEOUT device = nullptr;
HANDLE bufferDone = nullptr;  // set by the device for every buffer it has played
WAVEHDR headers[kBuffers];
int16_t samples[kBuffers][2 * kBufferFrames];
bool prepared[kBuffers] = {};
int64_t framesQueued = 0;  // frames ever handed to the device
std::thread player;
std::atomic<bool> stopRequested{false};

// Frames the device has played, from its own position; without one, the
// queue is taken as full.
int64_t framesPlayed()
{
    MMTIME position = {};
    position.wType = TIME_SAMPLES;
    if (waveOutGetPosition(device, &position, sizeof position) == MMSYSERR_NOERROR) {
        if (position.wType == TIME_SAMPLES)
            return position.u.sample;
        if (position.wType == TIME_BYTES)
            return position.u.cb / (2 * sizeof(int16_t));
    }
    return framesQueued - int64_t{kBuffers - 1} * kBufferFrames;
}

void queueBuffer(int index)
{
    int64_t ahead = framesQueued - framesPlayed();
    if (ahead < 0)
        ahead = 0;
    int64_t heardNanos = monotonicNanos() + ahead * kNanosPerSecond / kSoundOutputRate;
    playSoundFrames(samples[index], kBufferFrames, heardNanos);
    headers[index].dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
    if (waveOutWrite(device, &headers[index], sizeof(WAVEHDR)) == MMSYSERR_NOERROR)
        framesQueued += kBufferFrames;
}

void keepQueued()
{
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    for (int i = 0; i < kBuffers; ++i)
        queueBuffer(i);
    while (!stopRequested.load()) {
        WaitForSingleObject(bufferDone, kWaitMs);
        for (int i = 0; i < kBuffers && !stopRequested.load(); ++i) {
            if (headers[i].dwFlags & WHDR_DONE)
                queueBuffer(i);
        }
    }
}

}  // namespace

bool openSoundOutput()
{
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = kSoundOutputRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = format.nChannels * format.wBitsPerSample / 8;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    bufferDone = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (bufferDone == nullptr)
        return false;
    if (waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(bufferDone), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        device = nullptr;
        return false;
    }
    for (int i = 0; i < kBuffers; ++i) {
        headers[i] = WAVEHDR{};
        headers[i].lpData = reinterpret_cast<LPSTR>(samples[i]);
        headers[i].dwBufferLength = sizeof samples[i];
        prepared[i] = waveOutPrepareHeader(device, &headers[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
        if (!prepared[i]) {
            stopSoundOutput();
            return false;
        }
    }
    return true;
}

bool playSoundOutput()
{
    try {
        player = std::thread(keepQueued);
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

// Resetting drops what the device still holds: by now that is the faded
// tail, or the process is ending anyway.
void stopSoundOutput()
{
    stopRequested.store(true);
    if (bufferDone != nullptr)
        SetEvent(bufferDone);
    if (player.joinable())
        player.join();
    if (device == nullptr)
        return;
    waveOutReset(device);
    for (int i = 0; i < kBuffers; ++i) {
        if (prepared[i])
            waveOutUnprepareHeader(device, &headers[i], sizeof(WAVEHDR));
        prepared[i] = false;
    }
    waveOutClose(device);
    device = nullptr;
}

void favourSoundThread() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST); }
