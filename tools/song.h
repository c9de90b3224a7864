#pragma once
// "qk17.xm": the demo's own song, thirteen orders of one pattern each.
//
// Orders 0-1 introduce it, 2-3 are punchy with an accented snare on every
// row r where r + 1 is a multiple of 8, 4-5 break down into D minor with
// arpeggios, 6-7 sing a melody, 8-11 state the main theme and vary it, and
// 12 ends on a fading A minor chord.

#include "tools/xm_writer.h"

constexpr int kSongSpeed = 6;
constexpr int kSongBpm = 125;
// The short version: the same song at one tick per row and the highest
// tempo the format stores, about eight seconds in all.
constexpr int kFastSpeed = 1;
constexpr int kFastBpm = 255;

XmSong composeSong(bool fast);
