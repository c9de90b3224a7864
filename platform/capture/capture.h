#pragma once
// What the capture program asks of the capture platform beyond the seams:
// where the show goes, and the frames and sound times it was made of.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/capture/console_font.h"

struct CaptureSetup {
    const char* videoPath = nullptr;     // the MP4 to write, or
    const char* stillsFolder = nullptr;  // where writeStill puts pictures: the frames are kept, no video
    const char* fontFolder = kConsoleFontFolder;
    int64_t expectedNanos = 0;        // about how long the show lasts, for the progress line
};

// Loads the font, opens the output and seats the calling thread on the
// virtual clock, holding the turn: it runs the show. From here on the
// process's exit completes the video once captureShowEnded was called, and
// removes it otherwise.
bool startCapture(const CaptureSetup& setup, std::string& error);

// The show has played to its end: the exit completes the file.
void captureShowEnded();

// Every frame shown for some time (one replaced at the same moment never
// is), when no video is written.
struct CapturedFrame {
    int64_t nanos;  // on the virtual clock
    uint8_t cells[kPictureRows * kPictureColumns];
};
const std::vector<CapturedFrame>& capturedFrames();

// When the sound output's frame `frame` (counted from the first that
// playSoundFrames filled) is heard, on the virtual clock; -1 before the
// output plays.
int64_t soundHeardNanos(int64_t frame);

// The frame drawn with the font, as the PNG file `name` in the stills folder.
bool writeStill(const CapturedFrame& frame, const char* name, std::string& error);

// Ends the run with status 1 and the message, removing the unfinished file.
[[noreturn]] void failCapture(const std::string& message);
