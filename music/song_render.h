#pragma once
// Rendering the module into audio while noting where each row begins. The
// module belongs to the one thread that renders it.

#include <cstddef>
#include <cstdint>

#include "music/song_position.h"

namespace openmpt {
class module;
}

constexpr size_t kLargestSlice = 256;  // frames rendered between two position checks

struct SongRender {
    openmpt::module* module = nullptr;
    int64_t framesRendered = 0;  // the song's frames and the silence after its end
    int32_t order = -1;          // the row being rendered
    int32_t row = -1;
    int64_t nextRowFrame = 0;    // where the next row may begin, from speed and tempo
    int64_t tickFrames = 0;      // the length of the row's ticks
    bool rowOverdue = false;     // the row went on past where it should have ended
    bool ended = false;
};

// Fills frames stereo frames of interleaved 16-bit samples at kSampleRate:
// the song, and silence once it has ended. Records in position the frame at
// which every row begins and, at the end, order 256 row 0.
void renderSong(SongRender& render, SongPosition& position, int16_t* samples, size_t frames);
