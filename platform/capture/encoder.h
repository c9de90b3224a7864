#pragma once
// The MP4 the capture writes, through FFmpeg's libraries: H.264 (libx264,
// yuv420p) in a millisecond timebase and AAC at 44.1 kHz stereo. The file
// is written beside its final name and renamed when it is complete, so a
// failed run leaves nothing; an existing output that is no regular file (a
// device) is written in place.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/capture/console_font.h"

constexpr int32_t kAudioRate = 44100;

// Opens the output and writes its header. False with the reason in error.
bool openVideo(const char* path, std::string& error);

// Encodes the cells (kPictureRows x kPictureColumns code page 437 bytes)
// drawn with the font, shown from ptsMs for durationMs milliseconds; frames
// come in order of time.
bool writeVideoFrame(const ConsoleFont& font, const uint8_t* cells, int64_t ptsMs, int64_t durationMs,
                     std::string& error);

// Appends stereo 16-bit frames to the sound track, which starts at time 0.
bool writeAudio(const int16_t* samples, size_t frames, std::string& error);

// Frames of sound appended so far.
int64_t audioFramesWritten();

// Encodes what is left, completes the file and gives it its name.
bool finishVideo(std::string& error);

// Removes what was written (nothing for an output written in place).
void discardVideo();

// A grey kPictureWidth x kPictureHeight picture as a PNG file.
bool writePng(const uint8_t* picture, const char* path, std::string& error);
