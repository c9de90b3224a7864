#pragma once
// A small notation for writing the song's patterns: drum steps, melody
// lines with note lengths, and chord names from which bass lines,
// arpeggios and chords are derived.

#include <string>

#include "tools/xm_writer.h"

constexpr int kSongChannels = 8;
constexpr int kPatternRows = 64;
constexpr int kBarRows = 16;

enum SongChannel {
    kKickChannel,
    kSnareChannel,
    kHatChannel,  // hi-hats and crashes
    kBassChannel,
    kLeadChannel,
    kArpChannel,
    kChordLowChannel,
    kChordHighChannel,
};

enum SongInstrument {
    kKick = 1,
    kSnare,
    kHat,
    kOpenHat,
    kCrash,
    kBass,
    kLead,
    kArp,
    kPad,
    kStab,
};
constexpr int kInstrumentCount = kStab;

// "A4", "C#5", "Bb3" as an XM note number (C-4 is 49).
int noteNamed(const std::string& name);

// volume -1 leaves the volume column empty (the sample's own volume).
void putNote(XmPattern& pattern, int row, int channel, int note, int instrument, int volume);
void putVolume(XmPattern& pattern, int row, int channel, int volume);
void putEffect(XmPattern& pattern, int row, int channel, int effect, int param);

// Step strings have one character per row; spaces and '|' are ignored.
// A string of one bar (16 steps) stands for all four bars of the pattern.

// The drum kit: k kick, s snare, S accented snare, g ghost snare, 1-9 snare
// at rising volume, h hi-hat, H accented hi-hat, o open hi-hat, c crash,
// '.' nothing.
void writeDrums(XmPattern& pattern, int channel, const std::string& steps);

// "A4/2 C5/2 E5/4 -/4 ~/4": notes with their lengths in rows; '-' rests
// (the note before is released), '~' holds the note before; '|' may mark
// the bars. 64 rows in all.
void writeMelody(XmPattern& pattern, int channel, int instrument, int volume,
                 const std::string& line);

// Chords: four names, one a bar ("Am F C G", "Bb", "C#m").
//
// Bass riff steps: the interval above the chord's root in the bass register
// (E-1 to D#2): '0'-'9', then 'a' = 10, 'b' = 11, 'c' = 12 ... 'j' = 19;
// '-' releases the note, '.' nothing.
void writeBass(XmPattern& pattern, int channel, int volume, const std::string& chords,
               const std::string& riff);
// Arpeggio steps: 'x' the chord's root (at or above `lowest`) with a fast
// arpeggio through its third and fifth, '=' the arpeggio goes on, '-' release.
void writeArpeggios(XmPattern& pattern, int channel, int instrument, int volume, int lowest,
                    const std::string& chords, const std::string& steps);
// Chord steps: 'x' plays the chord's third (at or above `lowest`) and the
// fifth above it, one on each channel, panned apart; '-' releases them.
void writeChords(XmPattern& pattern, int lowChannel, int highChannel, int instrument, int volume,
                 int lowest, const std::string& chords, const std::string& steps);

// Copies one channel's notes `delay` rows later onto another channel, softer:
// an echo. Rows pushed past the end are dropped.
void writeEcho(XmPattern& pattern, int from, int to, int delay, int volume);
