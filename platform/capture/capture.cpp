// The capture platform's terminal and sound output, and the file they feed.
// The terminal keeps the screen's cells; each frame it ends is shown until
// the next one begins, so it is encoded once its successor's time (or the
// end of the show) is known. The sound output is a device of our own on the
// virtual clock: a thread that takes each buffer a fixed latency before it
// is heard, at exact sample times, so the music clock's heard position is
// exact. The sound track holds what is heard, up to the moment reached.

#include "platform/capture/capture.h"

#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/capture/encoder.h"
#include "platform/capture/virtual_clock.h"
#include "platform/clock.h"
#include "platform/sound_output.h"
#include "platform/terminal.h"

static_assert(kAudioRate == kSoundOutputRate, "the track holds what the output plays");
static_assert(kPictureRows > kTerminalRows && kPictureColumns == kTerminalColumns, "the terminal fits the picture");

namespace {

constexpr size_t kDeviceFrames = 1024;                      // per buffer: 23 ms
constexpr int64_t kDeviceLatencyNanos = 50 * kNanosPerMilli;  // a buffer is taken this long before it is heard
constexpr int64_t kSeatWaitMillis = 10000;                   // real time for the song's renderer to start
constexpr double kProgressEverySeconds = 0.25;

CaptureSetup setup;
ConsoleFont font;
bool writingVideo = false;
bool showEnded = false;
std::vector<CapturedFrame> frames;

// The terminal's screen, and the frame waiting for its duration.
uint8_t screen[kPictureRows * kPictureColumns];
CapturedFrame pending;
bool hasPending = false;
std::vector<uint8_t> picture(kPictureWidth * kPictureHeight);
int64_t framesShown = 0;

// The sound output.
ClockSeat* deviceSeat = nullptr;
std::thread device;
int64_t firstTrackFrame = -1;  // where the output's first frame lies on the track
std::vector<int16_t> heldSound;  // heard from trackHeldFrom on, not yet encoded
int64_t trackHeldFrom = 0;

std::chrono::steady_clock::time_point startedAt;
double lastProgress = -1;

int64_t millisOf(int64_t nanos) { return (nanos - kClockStartNanos + kNanosPerMilli / 2) / kNanosPerMilli; }

int64_t trackFrameNanos(int64_t frame) { return kClockStartNanos + frame * kNanosPerSecond / kAudioRate; }

// The last track frame heard before nanos.
int64_t trackFrameAt(int64_t nanos) { return (nanos - kClockStartNanos) * kAudioRate / kNanosPerSecond; }

double realSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - startedAt).count();
}

void showProgress(int64_t nanos, bool last)
{
    const double seconds = realSeconds();
    if (!last && seconds - lastProgress < kProgressEverySeconds)
        return;
    lastProgress = seconds;
    const double shown = static_cast<double>(nanos - kClockStartNanos) / kNanosPerSecond;
    const double expected = static_cast<double>(setup.expectedNanos) / kNanosPerSecond;
    const double percent = last ? 100 : std::min(99.0, expected > 0 ? 100 * shown / expected : 0);
    fprintf(stderr, "\rtextdemo-capture: %3.0f %%  %lld frames  %.1f s of show in %.1f s: %.1fx real time ", percent,
            static_cast<long long>(framesShown), shown, seconds, seconds > 0 ? shown / seconds : 0.0);
    if (last)
        fputc('\n', stderr);
    fflush(stderr);
}

// Encodes what has been heard before trackFrame.
void encodeSoundBefore(int64_t trackFrame)
{
    const int64_t ready = std::min<int64_t>(trackFrame - trackHeldFrom, heldSound.size() / 2);
    if (ready <= 0)
        return;
    std::string error;
    if (!writeAudio(heldSound.data(), static_cast<size_t>(ready), error))
        failCapture(error);
    heldSound.erase(heldSound.begin(), heldSound.begin() + 2 * ready);
    trackHeldFrom += ready;
}

void holdSound(const int16_t* samples, size_t count, int64_t trackFrame)
{
    if (!writingVideo)
        return;
    const int64_t heldTo = trackHeldFrom + static_cast<int64_t>(heldSound.size() / 2);
    heldSound.insert(heldSound.end(), 2 * static_cast<size_t>(std::max<int64_t>(0, trackFrame - heldTo)), 0);
    heldSound.insert(heldSound.end(), samples, samples + 2 * count);
    encodeSoundBefore(trackFrameAt(clockNow()));
}

void emitPending(int64_t untilNanos)
{
    ++framesShown;
    if (writingVideo) {
        std::string error;
        const int64_t pts = millisOf(pending.nanos);
        if (!writeVideoFrame(font, pending.cells, pts, millisOf(untilNanos) - pts, error))
            failCapture(error);
        encodeSoundBefore(trackFrameAt(pending.nanos));
    } else {
        frames.push_back(pending);
    }
    showProgress(untilNanos, false);
}

// A frame that starts in the same millisecond as the one before it replaces
// it: that one was never on the screen.
void frameEnded()
{
    const int64_t now = clockNow();
    if (hasPending && millisOf(now) > millisOf(pending.nanos))
        emitPending(now);
    pending.nanos = now;
    memcpy(pending.cells, screen, sizeof screen);
    hasPending = true;
}

void finishAtExit()
{
    if (!showEnded) {
        discardVideo();
        return;
    }
    // At least a millisecond for the last frame.
    const int64_t end = std::max(clockNow(), (millisOf(pending.nanos) + 1) * kNanosPerMilli + kClockStartNanos);
    if (hasPending)
        emitPending(end);
    if (writingVideo) {
        encodeSoundBefore(trackFrameAt(end));
        std::string error;
        if (!finishVideo(error))
            failCapture(error);
    }
    showProgress(end, true);
}

void playDevice()
{
    int16_t buffer[2 * kDeviceFrames];
    if (!takeSeat(deviceSeat))
        return;
    for (int64_t taken = 0;; taken += kDeviceFrames) {
        const int64_t trackFrame = firstTrackFrame + taken;
        const int64_t heard = trackFrameNanos(trackFrame);
        if (!sleepOnClock(heard - kDeviceLatencyNanos))
            return;
        playSoundFrames(buffer, kDeviceFrames, heard);
        holdSound(buffer, kDeviceFrames, trackFrame);
    }
}

}  // namespace

bool startCapture(const CaptureSetup& wanted, std::string& error)
{
    setup = wanted;
    startedAt = std::chrono::steady_clock::now();
    if (!loadConsoleFont(setup.fontFolder, font, error))
        return false;
    writingVideo = setup.videoPath != nullptr;
    if (!writingVideo && mkdir(setup.stillsFolder, 0777) != 0 && errno != EEXIST) {
        error = std::string(setup.stillsFolder) + ": " + strerror(errno);
        return false;
    }
    if (writingVideo && !openVideo(setup.videoPath, error)) {
        discardVideo();
        return false;
    }
    memset(screen, ' ', sizeof screen);
    joinClockWithTurn();
    atexit(finishAtExit);
    return true;
}

void captureShowEnded() { showEnded = true; }

const std::vector<CapturedFrame>& capturedFrames() { return frames; }

int64_t soundHeardNanos(int64_t frame) { return firstTrackFrame < 0 ? -1 : trackFrameNanos(firstTrackFrame + frame); }

bool writeStill(const CapturedFrame& frame, const char* name, std::string& error)
{
    drawCells(font, frame.cells, picture.data());
    return writePng(picture.data(), (std::string(setup.stillsFolder) + "/" + name).c_str(), error);
}

void failCapture(const std::string& message)
{
    fprintf(stderr, "\ntextdemo-capture: %s\n", message.c_str());
    fflush(stderr);
    discardVideo();
    _exit(1);
}

// --- platform/terminal.h ---

void terminalStart() {}

void terminalBeginFrame(bool clear)
{
    if (clear)
        memset(screen, ' ', sizeof screen);
}

void terminalPutRun(int32_t row, int32_t column, int32_t count, const uint8_t* rowCells)
{
    memcpy(screen + row * kPictureColumns + column, rowCells + column, static_cast<size_t>(count));
}

void terminalEndFrame() { frameEnded(); }

bool terminalNeedsRepaint() { return false; }

void terminalEnd() {}

// --- platform/sound_output.h ---

bool openSoundOutput() { return true; }

// The song's renderer is started before the output plays; it takes its seat
// (favourSoundThread) before time may move on.
bool playSoundOutput()
{
    if (!waitForNewSeat(kSeatWaitMillis))
        failCapture("the song's renderer did not start");
    const int64_t now = clockNow();
    firstTrackFrame = (trackFrameAt(now + kDeviceLatencyNanos - 1) + 1);
    deviceSeat = reserveSeat(trackFrameNanos(firstTrackFrame) - kDeviceLatencyNanos);
    device = std::thread(playDevice);
    return true;
}

void stopSoundOutput()
{
    if (deviceSeat == nullptr)
        return;
    closeSeat(deviceSeat);
    device.join();
    deviceSeat = nullptr;
}

void favourSoundThread() { seatCallingThread(); }
