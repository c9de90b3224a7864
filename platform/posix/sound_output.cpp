// Sound output through PortAudio. The stream's callback asks the program for
// its buffer (which only copies audio rendered ahead) and says when it
// reaches the speaker: the host's DAC time where it gives one, else the stream's latency.

#include "platform/sound_output.h"

#include <pa_linux_alsa.h>
#include <portaudio.h>

#include "platform/clock.h"
#include "platform/posix/quiet_stderr.h"

namespace {

// Deep enough to ride out a loaded machine: the picture follows what is
// heard, so the depth costs nothing in sync.
constexpr PaTime kSuggestedLatency = 0.15;

PaStream* stream = nullptr;
PaTime streamLatency = 0;  // seconds from a callback to the sound of its first frame
PaTime lastCallback = -1;  // the stream time of the previous callback

// Callbacks that come all at once fill the device's buffer before it plays
// (at the start, and after an underrun): the DAC times they carry are
// guesses, so nothing is known yet of when those frames are heard.
bool isFillingUp(const PaStreamCallbackTimeInfo* time, unsigned long frames, PaStreamCallbackFlags flags)
{
    bool burst = lastCallback < 0 || time->currentTime - lastCallback < 0.25 * frames / kSoundOutputRate;
    lastCallback = time->currentTime;
    return burst || (flags & paPrimingOutput) != 0;
}

int playBuffer(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo* time,
                 PaStreamCallbackFlags flags, void*)
{
    if (isFillingUp(time, frames, flags)) {
        playSoundFrames(static_cast<int16_t*>(output), frames, kHeardUnknown);
        return paContinue;
    }
    PaTime untilHeard = time->outputBufferDacTime > 0 ? time->outputBufferDacTime - time->currentTime
                                                      : streamLatency;
    if (untilHeard < 0 || untilHeard > 1.0) {
        untilHeard = streamLatency;
    }
    int64_t heardNanos = monotonicNanos() + static_cast<int64_t>(untilHeard * kNanosPerSecond);
    playSoundFrames(static_cast<int16_t*>(output), frames, heardNanos);
    return paContinue;
}

bool isAlsaDevice(PaDeviceIndex device)
{
    const PaHostApiInfo* host = Pa_GetHostApiInfo(Pa_GetDeviceInfo(device)->hostApi);
    return host != nullptr && host->type == paALSA;
}

}  // namespace

// PortAudio probes every ALSA and JACK device it can think of and each probe
// that fails says so on standard error: dozens of lines that mean nothing to
// anyone, kept out of the way.
static bool openStream()
{
    if (Pa_Initialize() != paNoError) {
        return false;
    }
    PaDeviceIndex device = Pa_GetDefaultOutputDevice();
    if (device == paNoDevice) {
        return false;
    }
    PaStreamParameters parameters = {};
    parameters.device = device;
    parameters.channelCount = 2;
    parameters.sampleFormat = paInt16;
    parameters.suggestedLatency = kSuggestedLatency;
    if (Pa_OpenStream(&stream, nullptr, &parameters, kSoundOutputRate, paFramesPerBufferUnspecified, paNoFlag,
                      playBuffer, nullptr) != paNoError) {
        return false;
    }
    if (isAlsaDevice(device)) {
        PaAlsa_EnableRealtimeScheduling(stream, 1);
    }
    const PaStreamInfo* info = Pa_GetStreamInfo(stream);
    streamLatency = info != nullptr ? info->outputLatency : kSuggestedLatency;
    return true;
}

bool openSoundOutput()
{
    int savedStderr = silenceStderr();
    bool opened = openStream();
    restoreStderr(savedStderr);
    return opened;
}

bool playSoundOutput()
{
    return Pa_StartStream(stream) == paNoError;
}

// Aborting drops what the device still holds: by now that is the faded
// tail, or the process is ending anyway.
void stopSoundOutput()
{
    if (stream != nullptr) {
        Pa_AbortStream(stream);
    }
}
