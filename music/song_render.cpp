#include "music/song_render.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <libopenmpt/libopenmpt.hpp>

// Frames in one tick as the mixer counts them for XM-style tempo: the rate
// times 2.5 over the BPM, truncated. A row is speed ticks long.
static int64_t tickFrames(const openmpt::module& module)
{
    int64_t tempo = std::max<int32_t>(1, module.get_current_tempo());
    return std::max<int64_t>(1, int64_t{kSampleRate} * 5 / (2 * tempo));
}

// libopenmpt moves to the next row when it starts rendering the row's first
// tick, so a change seen after a slice happened at one of its frames, and a
// row can only change where a tick begins. Slices are cut where the next row
// should begin, which makes that slice's first frame the exact start. A row
// that goes on (a pattern delay) is checked at each of its further ticks,
// with shorter slices meanwhile, so that a start that is off the tick grid
// is still known to a quarter of kLargestSlice.
static size_t nextSlice(const SongRender& render, size_t frames)
{
    size_t slice = std::min(frames, render.rowOverdue ? kLargestSlice / 4 : kLargestSlice);
    int64_t untilRow = render.nextRowFrame - render.framesRendered;
    if (untilRow > 0 && static_cast<size_t>(untilRow) < slice) {
        slice = static_cast<size_t>(untilRow);
    }
    return slice;
}

static void noteRow(SongRender& render, SongPosition& position, int64_t sliceStart)
{
    int32_t order = render.module->get_current_order();
    int32_t row = render.module->get_current_row();
    if (order != render.order || row != render.row) {
        render.order = order;
        render.row = row;
        render.tickFrames = tickFrames(*render.module);
        render.nextRowFrame = sliceStart + std::max(1, render.module->get_current_speed()) * render.tickFrames;
        render.rowOverdue = false;
        recordRowStart(position, sliceStart, order, row);
        return;
    }
    while (render.tickFrames > 0 && render.nextRowFrame <= sliceStart) {
        render.nextRowFrame += render.tickFrames;
        render.rowOverdue = true;
    }
}

static size_t readSlice(SongRender& render, int16_t* samples, size_t slice)
{
    try {
        return render.module->read_interleaved_stereo(kSampleRate, slice, samples);
    } catch (const std::exception&) {
        return 0;
    }
}

void renderSong(SongRender& render, SongPosition& position, int16_t* samples, size_t frames)
{
    while (frames > 0 && !render.ended) {
        size_t slice = nextSlice(render, frames);
        size_t got = readSlice(render, samples, slice);
        int64_t sliceStart = render.framesRendered;
        render.framesRendered += static_cast<int64_t>(got);
        samples += 2 * got;
        frames -= got;
        if (got == slice) {
            noteRow(render, position, sliceStart);
        } else {
            // The short read: the song has ended, exactly here. From here on
            // libopenmpt reports its loop target, not a row that plays.
            render.ended = true;
            recordRowStart(position, render.framesRendered, kOrderAfterEnd, 0);
        }
    }
    std::memset(samples, 0, 2 * frames * sizeof(int16_t));
    render.framesRendered += static_cast<int64_t>(frames);
}
