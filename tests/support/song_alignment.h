#pragma once
// The song as the program renders it (libopenmpt's sound and where each row begins, which the song
// position test holds against libopenmpt's own times) and where it lies in a recording of it.

#include <algorithm>
#include <cmath>
#include <libopenmpt/libopenmpt.hpp>
#include <memory>
#include <sstream>
#include <vector>

#include "music/module_file.h"
#include "music/song_render.h"

struct RowStart {
    int64_t frame;
    SongRow row;
};
struct RenderedSong {
    std::vector<float> sound;         // interleaved stereo at kSampleRate, up to the song's end
    std::vector<RowStart> rowStarts;  // the last one the end (order kOrderAfterEnd)
};

inline RenderedSong renderWholeSong(const char* path)
{
    std::ostringstream log;
    std::unique_ptr<openmpt::module> module = loadModule(path, log);
    SongRender render{module.get()};
    auto position = std::make_unique<SongPosition>();
    RenderedSong song;
    int16_t chunk[2 * 4096];
    for (int64_t kept = 0; !render.ended;) {
        renderSong(render, *position, chunk, 4096);
        for (int16_t sample : chunk)
            song.sound.push_back(sample / 32768.0f);
        for (RowStart start; recordedRowStart(*position, kept, start.frame, start.row); ++kept)
            song.rowStarts.push_back(start);
    }
    song.sound.resize(2 * song.rowStarts.back().frame);
    return song;
}

// Where the five scenes end: where orders 2, 4, 6 and 8 begin, then order 11 row 85 or order 12, whichever
// comes first.
inline std::vector<int64_t> sceneEndFrames(const std::vector<RowStart>& starts)
{
    std::vector<int64_t> ends;
    for (SongRow end : {SongRow{2, 0}, SongRow{4, 0}, SongRow{6, 0}, SongRow{8, 0}, SongRow{11, 85}})
        for (const RowStart& start : starts)
            if (start.row.order > end.order || (start.row.order == end.order && start.row.row >= end.row)) {
                ends.push_back(start.frame);
                break;
            }
    return ends;
}

// The correlation of recording frames offset + [from, to) with song frames [from, to), where both have them.
inline double correlation(const std::vector<float>& recording, const std::vector<float>& song, int64_t offset,
                          int64_t from, int64_t to)
{
    double rs = 0, ss = 0, rr = 0;
    const int64_t first = std::max({from, -offset, int64_t{0}});
    const int64_t last = std::min({to, static_cast<int64_t>(song.size() / 2),
                                   static_cast<int64_t>(recording.size() / 2) - offset});
    for (int64_t i = 2 * first; i < 2 * last; ++i) {
        const double r = recording[i + 2 * offset], s = song[i];
        rs += r * s;
        ss += s * s;
        rr += r * r;
    }
    return rs / std::sqrt(ss * rr + 1e-30);
}

// Where song frame 0 lies in the recording: near where their first loud samples put it, the offset at
// which a second of the song matches best.
inline int64_t findSongOffset(const std::vector<float>& recording, const std::vector<float>& song)
{
    auto onset = [](const std::vector<float>& sound) {
        auto loud = std::find_if(sound.begin(), sound.end(), [](float s) { return std::fabs(s) >= 0.03f; });
        return static_cast<int64_t>(loud - sound.begin()) / 2;
    };
    const int64_t guess = onset(recording) - onset(song), from = onset(song);
    int64_t best = guess;
    double bestScore = -2;
    for (int64_t offset = guess - 1500; offset <= guess + 1500; ++offset)
        if (const double score = correlation(recording, song, offset, from, from + kSampleRate); score > bestScore)
            bestScore = score, best = offset;
    return best;
}
