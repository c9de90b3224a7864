#include "tools/song.h"

#include <string>

#include "tools/instruments.h"
#include "tools/score.h"

namespace {

// Volumes (0-64) of the full arrangement; the quieter scenes play below them.
constexpr int kBassVolume = 60;
constexpr int kLeadVolume = 60;
constexpr int kDoubleDrop = 12;  // the double sits this much under the lead
constexpr int kDoubleDelayTicks = 2;
constexpr int kPadVolume = 40;
constexpr int kStabVolume = 44;
constexpr int kArpVolume = 22;

XmPattern blank(int rows = kPatternRows)
{
    return blankXmPattern(rows, kSongChannels);
}

void lead(XmPattern& p, int volume, const std::string& line)
{
    writeMelody(p, kLeadChannel, kLead, volume, line);
}

// The lead with its detuned double on the other side.
void doubledLead(XmPattern& p, int volume, const std::string& line)
{
    lead(p, volume, line);
    writeDouble(p, kLeadChannel, kDoubleChannel, kLeadDouble, kDoubleDrop, kDoubleDelayTicks);
}

// The hook: a dotted figure that climbs to the chord's top and falls back,
// over Am F C G. The second half of each statement changes with the chords.
const std::string kHookStart =
    "E5/3 A5/3 G5/2 E5/4 D5/2 E5/2 | C5/3 F5/3 E5/2 C5/4 A4/2 C5/2 |";
const std::string kHookOverCG = " G5/3 E5/3 D5/2 C5/2 D5/2 E5/4 | D5/3 B4/3 G4/2 -/2 B4/2 D5/4";
const std::string kHookOverGE = " D5/3 G5/3 F5/2 D5/2 B4/2 D5/4 | E5/3 G#5/3 B5/4v -/2 G#5/2 B5/2";
const std::string kHookOverCE = " G5/3 E5/3 D5/2 C5/2 D5/2 E5/4 | E5/3 G#5/3 B5/4v -/2 ^A5/2 B5/2";
const std::string kHookHigh =
    "E6/3 A6/3 G6/2 E6/4 D6/2 E6/2 | C6/3 F6/3 E6/2 C6/4 A5/2 C6/2 |"
    " D6/3 G6/3 F6/2 D6/2 B5/2 D6/4 | E6/3 G#6/3 B6/4v -/2 G#6/2 B6/2";

// Orders 0-1: the greeting. The hook over the pads alone, the hats and a
// soft kick coming in, a snare swell into order 1, where the band plays.
XmPattern themeAlone()
{
    const std::string chords = "Am F C G";
    XmPattern p = blank();
    writePads(p, kPadVolume, chords, true);
    lead(p, kLeadVolume - 10, kHookStart + kHookOverCG);
    writeDrums(p, kHatChannel, "................|................|h.h.h.h.h.h.h.h.|h.h.h.h.h.hHh.ho", 80);
    writeDrums(p, kKickChannel, "................|................|q...q...q...q...|q...q...q...q.q.");
    writeDrums(p, kSnareChannel, "................|................|................|........12345679", 80);
    writeBass(p, kBassChannel, kBassVolume - 12, chords,
              "................|................|..0-..0-..0-..0-|..0-..0-..0-.0c-");
    return p;
}

XmPattern themeWithBand()
{
    const std::string chords = "Am F G E";
    XmPattern p = blank();
    writePads(p, kPadVolume, chords, false);
    doubledLead(p, kLeadVolume - 6, kHookStart + kHookOverGE);
    writeDrums(p, kCymbalChannel, "c...............|................|................|................", 80);
    writeDrums(p, kKickChannel, "k...k...k...k...", 85);
    writeDrums(p, kSnareChannel, "....s.......s...|....s.......s..g|....s.......s...|....s...s.rrSSSS", 85);
    writeDrums(p, kHatChannel, "h.H.h.Hoh.H.h.Ho", 85);
    writeBass(p, kBassChannel, kBassVolume - 6, chords, "-.0.-.0c-.0.-.0c");
    return p;
}

// Orders 2-3: the ball. On rows 7 and 15 of each bar, where the bursts fire,
// kick, accented snare, open hat, crash, stab, bass and lead strike
// together; between them a lighter groove leaves those rows the hardest.
void ballGroove(XmPattern& p, const std::string& chords, const std::string& snares)
{
    writePads(p, kPadVolume - 8, chords, false);
    writeDrums(p, kKickChannel, "k......Kk..k...K", 100);
    writeDrums(p, kSnareChannel, snares);
    writeDrums(p, kHatChannel, "h.h.h.hoh.h.h.ho", 70);
    writeDrums(p, kCymbalChannel, ".......c.......c", 75);
    writeBass(p, kBassChannel, kBassVolume - 4, chords, "-.0c.0.0-.c.0c.0");
    writeStabs(p, kStabChannel, kStabVolume + 16, chords, ".......x.......x");
}

XmPattern ballFirst()
{
    const std::string chords = "Am G F E";
    XmPattern p = blank();
    ballGroove(p, chords, "....s..S....s..S");
    doubledLead(p, kLeadVolume,
                "A5/2 -/2 E5/2 -/1 A5/4 -/4 G5/1 | G5/2 -/2 D5/2 -/1 G5/4 -/4 F5/1 |"
                " F5/2 -/2 C5/2 -/1 F5/4 -/4 E5/1 | E5/2 -/2 B4/2 -/1 G#5/4 -/4 B5/1");
    return p;
}

XmPattern ballSecond()
{
    const std::string chords = "Am F C E";
    XmPattern p = blank();
    ballGroove(p, chords, "....s..S....s..S|....s..S....s..S|....s..S....s..S|....s..S.g..rr.S");
    doubledLead(p, kLeadVolume, kHookStart + kHookOverCE);
    return p;
}

// Orders 4-5: the helix alone. A breakdown in D minor: pads swelling, a soft
// arpeggio and its echo on the other side, a heartbeat kick, then a slow
// melody over them.
void helixBed(XmPattern& p, const std::string& chords, bool attack)
{
    // From silence the pads swell to their level over the first rows.
    writePads(p, 4, chords, attack);
    writeArpeggios(p, kArpChannel, kArp, kArpVolume - 12, noteNamed("A4"), chords,
                   "x===x===x===x-..");
    writeEcho(p, kArpChannel, kDoubleChannel, 3, kArpVolume - 14);
    writeDrums(p, kKickChannel, "q.........q.....", 45);
    writeBass(p, kBassChannel, kBassVolume - 42, chords, "0.............-.");
}

XmPattern helixEchoes()
{
    XmPattern p = blank();
    // The ball scene's last lead note is let go as the breakdown begins.
    putKeyOff(p, 0, kLeadChannel);
    putKeyOff(p, 0, kDoubleChannel);
    helixBed(p, "Dm Bb F C", true);
    slidePads(p, 1, 4, 0x10);
    return p;
}

XmPattern helixMelody()
{
    const std::string chords = "Dm Bb Gm A";
    XmPattern p = blank();
    helixBed(p, chords, false);
    writeDrums(p, kHatChannel, "..h...h...h...h.", 40);
    // The echo has the double's channel; the melody plays alone.
    lead(p, kLeadVolume - 38,
         "D5/4 F5/4 A5/6v -/2 | Bb5/6v A5/2 F5/6v -/2 | G5/4 Bb5/4 D6/6v C6/2 | C#6/6v D6/2 E6/6v -/2");
    return p;
}

// Orders 6-7: the credits. The band comes back bar by bar, louder as it
// goes, to a rising snare roll and a lead bending upwards.
XmPattern creditsReturn()
{
    const std::string chords = "F G Em Am";
    XmPattern p = blank();
    writePads(p, kPadVolume - 6, chords, true);
    writeDrums(p, kKickChannel, "k...k...k...k...", 70);
    writeDrums(p, kHatChannel, "................|h.h.h.h.h.h.h.h.|h.H.h.H.h.H.h.H.|h.H.h.Hoh.H.h.Ho", 70);
    writeDrums(p, kSnareChannel, "................|................|....s.......s...|....s.......s.f.", 70);
    writeBass(p, kBassChannel, kBassVolume - 12, chords,
              "0.......0.......|0.......0.......|-.0.-.0.-.0.-.0.|-.0c-.0c-.0c-.0c");
    doubledLead(p, kLeadVolume - 14,
                "C5/3 F5/3 A5/2 G5/4 F5/2 E5/2 | D5/3 G5/3 B5/2 A5/4 G5/2 D5/2 |"
                " E5/3 G5/3 B5/2 ^C6/4 B5/2 G5/2 | A5/8v -/4 E5/2 G5/2");
    return p;
}

XmPattern creditsRise()
{
    const std::string chords = "F G E E";
    XmPattern p = blank();
    writePads(p, kPadVolume - 6, chords, false);
    slidePads(p, 48, 63, 0x10);
    writeDrums(p, kKickChannel, "k...k...k...k...|k...k...k...k...|k...k...k...k...|k.k.k.k.kkkkkkkk", 85);
    writeDrums(p, kHatChannel, "hhHhhhHohhHhhhHo", 80);
    writeDrums(p, kSnareChannel, "....s.......s...|....s.......s..g|....s...s...s.s.|rrrrrrrr23456789", 85);
    writeBass(p, kBassChannel, kBassVolume - 8, chords, "-.0c-.0c-.0c-.0c|-.0c-.0c-.0c-.0c|-.0c-.0c-.0c-.0c|0c0c0c0c0c0c0c0c");
    doubledLead(p, kLeadVolume - 8, "A5/4 C6/4 F6/8v | G5/4 B5/4 D6/8v | G#5/4 B5/4 E6/8v | B5/16u");
    return p;
}

// Orders 8-11: the closing scroller. The whole band states the hook, answers
// it, varies it under an arpeggio and lifts it an octave.
void fullGroove(XmPattern& p, const std::string& chords, const std::string& snares, int level)
{
    writeDrums(p, kKickChannel, "K...k...k...k...", level);
    writeDrums(p, kSnareChannel, snares, level);
    writeDrums(p, kHatChannel, "hhHhhhHxhhHhhhHo", level);
    writeDrums(p, kCymbalChannel, "c...............|................|................|................", level);
    writeBass(p, kBassChannel, kBassVolume, chords, ".c0c-c0c.c0c-c0c");
    writeStabs(p, kStabChannel, kStabVolume - 8, chords, "..x...x...x...x.");
}

XmPattern finaleCall()
{
    const std::string chords = "Am F C G";
    XmPattern p = blank();
    writePads(p, kPadVolume, chords, true);
    fullGroove(p, chords, "....s..g....s.g.", 100);
    doubledLead(p, kLeadVolume + 4, kHookStart + kHookOverCG);
    return p;
}

XmPattern finaleAnswer()
{
    const std::string chords = "Am F G E";
    XmPattern p = blank();
    writePads(p, kPadVolume, chords, false);
    fullGroove(p, chords, "....s..g....s.g.|....s..g....s.g.|....s..g....s.g.|....s..g..f.s.SS", 100);
    doubledLead(p, kLeadVolume + 4, kHookStart + kHookOverGE);
    return p;
}

XmPattern finaleVariation()
{
    const std::string chords = "F G Em Am";
    XmPattern p = blank();
    writePads(p, kPadVolume, chords, false);
    fullGroove(p, chords, "....s..g....s.g.", 100);
    writeArpeggios(p, kArpChannel, kArp, kArpVolume, noteNamed("A4"), chords,
                   "x===x===x===x===|x===x===x===x===|x===x===x===x===|x===x===x===x==-");
    doubledLead(p, kLeadVolume,
                "C6/3 A5/3 F5/2 A5/2 C6/2 D6/2 C6/2 | B5/3 G5/3 D5/2 G5/2 B5/2 D6/2 B5/2 |"
                " B5/3 G5/3 E5/2 G5/2 B5/2 E6/4 | C6/4 B5/2 A5/8v -/2");
    return p;
}

XmPattern finaleClimax()
{
    const std::string chords = "Am F G E";
    XmPattern p = blank();
    writePads(p, kPadVolume + 4, chords, false);
    fullGroove(p, chords, "....s..g....s.g.|....s..g....s.g.|....s..g....s.g.|s.s.s.s.rrrr5789", 100);
    doubledLead(p, kLeadVolume + 4, kHookHigh);
    return p;
}

// Order 12, under the closing logo: one hit on A minor with a crash, the
// bass dropping away beneath it, then the lead and pads fading by volume
// slides and releases until everything is silent a few rows before the end.
XmPattern finalHit()
{
    XmPattern p = blank(kEndingRows);
    putNote(p, 0, kKickChannel, noteNamed("C4"), kKick, 64);
    putNote(p, 0, kSnareChannel, noteNamed("C4"), kSnare, 64);
    putNote(p, 0, kCymbalChannel, noteNamed("C4"), kCrash, 64);
    putNote(p, 0, kBassChannel, noteNamed("A1"), kBass, kBassVolume);
    for (int row = 1; row < 8; ++row)
        putEffect(p, row, kBassChannel, kPortaDownEffect, 0x08);
    putKeyOff(p, 8, kBassChannel);
    putNote(p, 0, kStabChannel, noteNamed("A3"), kStab, kStabVolume);
    putKeyOff(p, 4, kStabChannel);
    // One chord throughout: only the first bar's row is written.
    writePads(p, kPadVolume, "Am Am Am Am", true);
    putNote(p, 0, kLeadChannel, noteNamed("A5"), kLead, kLeadVolume);
    putNote(p, 0, kDoubleChannel, noteNamed("E6"), kLeadDouble, kLeadVolume - kDoubleDrop);
    for (int row = 2; row < 18; ++row) {
        int fade = row < 8 ? 0x01 : 0x02;  // gentle at first, then faster
        for (int channel : {kLeadChannel, kDoubleChannel})
            putEffect(p, row, channel, kVolumeSlideEffect, fade);
    }
    slidePads(p, 3, 18, 0x01);
    putKeyOff(p, 12, kLeadChannel);
    putKeyOff(p, 12, kDoubleChannel);
    releasePads(p, 14);
    return p;
}

}  // namespace

XmSong composeSong(bool fast)
{
    XmSong song;
    song.name = "qk17";
    song.tracker = "textdemo make_module";
    song.channels = kSongChannels;
    song.speed = fast ? kFastSpeed : kSongSpeed;
    song.bpm = fast ? kFastBpm : kSongBpm;
    song.patterns = {themeAlone(),  themeWithBand(), ballFirst(),       ballSecond(),
                     helixEchoes(), helixMelody(),   creditsReturn(),   creditsRise(),
                     finaleCall(),  finaleAnswer(),  finaleVariation(), finaleClimax(),
                     finalHit()};
    for (size_t order = 0; order < song.patterns.size(); ++order)
        song.orders.push_back(static_cast<uint8_t>(order));
    song.instruments = makeInstruments();
    return song;
}
