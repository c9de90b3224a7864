#pragma once
// A small notation for writing the song's patterns: drum steps, melody
// lines with note lengths and playing marks, and chord names from which
// bass lines, pads, stabs and arpeggios are derived.

#include <string>

#include "tools/xm_writer.h"

constexpr int kSongChannels = 12;
constexpr int kPatternRows = 64;
constexpr int kBarRows = 16;

enum SongChannel {
    kKickChannel,
    kSnareChannel,
    kHatChannel,     // closed and open hi-hats: a closed one chokes an open one
    kCymbalChannel,  // crashes, left to ring
    kBassChannel,
    kLeadChannel,
    kDoubleChannel,  // the lead's detuned double, or an echo
    kArpChannel,
    kPadLowChannel,  // three pad voices, panned left, centre and right
    kPadMidChannel,
    kPadHighChannel,
    kStabChannel,
};

enum SongInstrument {
    kKick = 1,
    kSnare,
    kHat,
    kOpenHat,
    kCrash,
    kBass,
    kLead,
    kLeadDouble,
    kArp,
    kPadLeft,
    kPadCentre,
    kPadRight,
    kStab,
};
constexpr int kInstrumentCount = kStab;

// XM effect numbers the score writes.
enum XmEffect {
    kArpeggioEffect = 0x0,
    kPortaUpEffect = 0x1,
    kPortaDownEffect = 0x2,
    kTonePortaEffect = 0x3,
    kVibratoEffect = 0x4,
    kVolumeSlideEffect = 0xA,
    kExtendedEffect = 0xE,  // parameter: 0x9y retrigger, 0xCy cut, 0xDy delay (y ticks)
};
constexpr int kRetrigger = 0x90;
constexpr int kNoteCut = 0xC0;
constexpr int kNoteDelay = 0xD0;

// "A4", "C#5", "Bb3" as an XM note number (C-4 is 49).
int noteNamed(const std::string& name);

// volume -1 leaves the volume column empty (the sample's own volume).
void putNote(XmPattern& pattern, int row, int channel, int note, int instrument, int volume);
void putKeyOff(XmPattern& pattern, int row, int channel);
void putVolume(XmPattern& pattern, int row, int channel, int volume);
void putEffect(XmPattern& pattern, int row, int channel, int effect, int param);

// Step strings have one character per row; spaces and '|' are ignored.
// A string of one bar (16 steps) stands for all four bars of the pattern.

// The drum kit: k kick, K accented kick, q soft kick; s snare, S accented
// snare, g ghost snare, f a flam (a soft snare two ticks late), r a snare
// roll (retriggered every three ticks), 1-9 snare at rising volume; h hi-hat,
// H accented hi-hat, o open hi-hat, x an open hi-hat cut after two ticks;
// c crash; '.' nothing. `level` scales every volume, in percent.
void writeDrums(XmPattern& pattern, int channel, const std::string& steps, int level = 100);

// "A4/2 C5/2 E5/4 -/4 ~/4": notes with their lengths in rows; '-' releases
// the note before (a key off), '~' holds it; '|' may mark the bars. 64 rows
// in all. Marks: "^E5/4" slides into E5 from the note before (tone
// portamento, no new attack); a trailing 'v' adds vibrato from the note's
// third row on, 'u' or 'd' bends it up or down over its length, '!' cuts it
// after three ticks.
void writeMelody(XmPattern& pattern, int channel, int instrument, int volume,
                 const std::string& line);
// Copies one channel's notes to another as a detuned double: the double's
// instrument, `drop` softer, each plain note delayed by `delayTicks` ticks
// so the two sides of the stereo picture speak a moment apart.
void writeDouble(XmPattern& pattern, int from, int to, int instrument, int drop, int delayTicks);
// Copies one channel's notes `delay` rows later onto another channel, softer:
// an echo. Rows pushed past the end are dropped.
void writeEcho(XmPattern& pattern, int from, int to, int delay, int volume);

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
// Pads: the three chord tones between G-3 and F#4, lowest to highest on the
// three pad channels. With `attack` the first bar strikes them anew; every
// other change of chord glides each voice to its new note (tone portamento),
// so the pad holds across the bars without a new attack.
void writePads(XmPattern& pattern, int volume, const std::string& chords, bool attack);
// Volume slide (XM Axy) on the pad voices over rows [from, to), where their
// effect column is free: a swell or a fade.
void slidePads(XmPattern& pattern, int from, int to, int param);
void releasePads(XmPattern& pattern, int row);
// Stab steps: 'x' a short power chord on the chord's root (at or above
// A-3), cut after three ticks; 'X' a held one; '-' release.
void writeStabs(XmPattern& pattern, int channel, int volume, const std::string& chords,
                const std::string& steps);
