#pragma once
// "qk17.xm": the demo's own song, thirteen orders of one pattern each, laid
// out for the demo's scenes.
//
// Orders 0-1 (the bouncing name) set out the hook over pads, then the band
// joins. Orders 2-3 (the ball) drive, with the hardest hits on every row r
// where r + 1 is a multiple of 8, when the bursts fire. Orders 4-5 (the
// helix alone) break down to pads, an arpeggio and its echo, the quietest
// part. Orders 6-7 (the credits) build back up to a snare roll. Orders 8-11
// (the closing scroller) play the whole arrangement. Order 12, 24 rows under
// the closing logo, is one last hit that rings out and has died away before
// the song ends, within three seconds of its start.

#include "tools/xm_writer.h"

constexpr int kSongSpeed = 6;
constexpr int kSongBpm = 125;
// The short version: the same song at one tick per row and the highest
// tempo the format stores, about eight seconds in all.
constexpr int kFastSpeed = 1;
constexpr int kFastBpm = 255;
// The last order: the final hit's length in rows (2.88 s at speed 6, 125 BPM).
constexpr int kEndingRows = 24;

XmSong composeSong(bool fast);
