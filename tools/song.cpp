#include "tools/song.h"

#include <string>

#include "tools/instruments.h"
#include "tools/score.h"

namespace {

// Bass, lead, arpeggio and chord volumes (0-64).
constexpr int kBassVolume = 48;
constexpr int kLeadVolume = 56;
constexpr int kArpVolume = 24;
constexpr int kPadVolume = 34;
constexpr int kStabVolume = 40;

const std::string kIntroRiff = "0..0..c.0.0.c.7.";
const std::string kOctaveRiff = "0.c.0.c.0.c.0.c.";
const std::string kPunchRiff = "0.c.0.cc0.c.0.cc";
const std::string kEveryBar = "x...............";
const std::string kEveryBeat = "x===x===x===x===";

XmPattern blank()
{
    return blankXmPattern(kPatternRows, kSongChannels);
}

int lowest(const char* name)
{
    return noteNamed(name);
}

void pads(XmPattern& p, const std::string& chords)
{
    writeChords(p, kChordLowChannel, kChordHighChannel, kPad, kPadVolume, lowest("G3"), chords,
                kEveryBar);
}

void arpeggios(XmPattern& p, const std::string& chords, int volume, const std::string& steps)
{
    writeArpeggios(p, kArpChannel, kArp, volume, lowest("E4"), chords, steps);
}

void lead(XmPattern& p, const std::string& line)
{
    writeMelody(p, kLeadChannel, kLead, kLeadVolume, line);
}

// Orders 0-1: the song builds up under the bouncing name. Bass and chords
// first, then the kick, hi-hats and arpeggios, a snare roll into order 1.
XmPattern introRising()
{
    const std::string chords = "Am F C G";
    XmPattern p = blank();
    writeDrums(p, kKickChannel, "................|k...k...k...k...|k...k...k...k...|k...k...k...k.k.");
    writeDrums(p, kSnareChannel, "................|................|................|........23456789");
    writeDrums(p, kHatChannel, "................|................|..h...h...h...h.|..h...h...h.h.h.");
    writeBass(p, kBassChannel, kBassVolume, chords, kIntroRiff);
    pads(p, chords);
    arpeggios(p, chords, kArpVolume, "................|................|x===x===x===x===|x===x===x===x===");
    return p;
}

XmPattern introFull()
{
    const std::string chords = "Am F G E";
    XmPattern p = blank();
    writeDrums(p, kKickChannel, "k...k...k...k...");
    writeDrums(p, kSnareChannel, "....s.......s...|....s.......s...|....s.......s...|....s...4.5.6789");
    writeDrums(p, kHatChannel, "H.o.H.o.H.o.H.o.");
    writeBass(p, kBassChannel, kBassVolume, chords, kIntroRiff);
    pads(p, chords);
    arpeggios(p, chords, kArpVolume + 4, kEveryBeat);
    lead(p, "-/32 | D5/2 G5/2 B5/4 A5/2 G5/2 A5/2 B5/2 | G#5/6 A5/2 B5/8");
    return p;
}

// Orders 2-3: the bouncing ball. An accented snare and a chord stab on rows
// 7, 15, 23 ... 63, where the bursts fire.
void punchGroove(XmPattern& p, const std::string& chords, const std::string& hats,
                 const std::string& kicks, const std::string& snares)
{
    writeDrums(p, kKickChannel, kicks);
    writeDrums(p, kSnareChannel, snares);
    writeDrums(p, kHatChannel, hats);
    writeBass(p, kBassChannel, kBassVolume + 4, chords, kPunchRiff);
    writeChords(p, kChordLowChannel, kChordHighChannel, kStab, kStabVolume, lowest("G4"), chords,
                ".......x.......x");
    arpeggios(p, chords, kArpVolume - 4, kEveryBeat);
}

XmPattern punchFirst()
{
    const std::string chords = "Am G F E";
    XmPattern p = blank();
    punchGroove(p, chords, "c.......HhohHhoh|HhohHhohHhohHhoh|HhohHhohHhohHhoh|HhohHhohHhohHhoh",
                "k...k...k.k.k...", "....s..S....s..S");
    lead(p,
         "E5/3 E5/3 A5/2 G5/2 E5/2 D5/2 E5/2 | D5/3 D5/3 G5/2 F5/2 D5/2 B4/2 D5/2 |"
         " C5/3 C5/3 F5/2 E5/2 C5/2 A4/2 C5/2 | B4/3 B4/3 E5/2 G#5/4 B5/4");
    return p;
}

XmPattern punchSecond()
{
    const std::string chords = "Am G F A";
    XmPattern p = blank();
    punchGroove(p, chords, "HhohHhohHhohHhoh",
                "k...k...k.k.k...|k...k...k.k.k...|k...k...k.k.k...|k...k...k...k.k.",
                "....s..S....s..S|....s..S....s..S|....s..S....s..S|....s..SssSsSSSS");
    lead(p,
         "C6/3 B5/3 A5/2 E5/2 A5/2 B5/2 C6/2 | B5/3 A5/3 G5/2 D5/2 G5/2 A5/2 B5/2 |"
         " A5/3 G5/3 F5/2 C5/2 F5/2 G5/2 A5/2 | C#6/3 A5/3 E5/2 C#6/4 E6/4");
    return p;
}

// Orders 4-5: the helix. A breakdown in D minor: sparse drums, a long bass,
// arpeggios with their echo, then a slow melody over them.
XmPattern helixEchoes()
{
    const std::string chords = "Dm Bb F C";
    XmPattern p = blank();
    writeDrums(p, kKickChannel, "k.........k.....");
    writeDrums(p, kHatChannel, "..h...h...h...h.");
    writeBass(p, kBassChannel, kBassVolume, chords, "0.........0.c...");
    pads(p, chords);
    writeArpeggios(p, kArpChannel, kArp, kArpVolume + 6, lowest("A4"), chords, kEveryBeat);
    writeEcho(p, kArpChannel, kLeadChannel, 3, kArpVolume - 8);
    return p;
}

XmPattern helixMelody()
{
    const std::string chords = "Dm Bb Gm A";
    XmPattern p = blank();
    writeDrums(p, kKickChannel, "k.........k.....|k.........k.....|k.........k.....|k.........k.k.k.");
    writeDrums(p, kSnareChannel, "........s.......|........s.......|........s.......|........s...s.ss");
    writeDrums(p, kHatChannel, "h.H.h.H.h.H.h.H.");
    writeBass(p, kBassChannel, kBassVolume, chords, "0.........0.c...");
    pads(p, chords);
    writeArpeggios(p, kArpChannel, kArp, kArpVolume + 2, lowest("A4"), chords, kEveryBeat);
    lead(p, "D5/4 F5/4 A5/8 | Bb5/6 A5/2 F5/8 | G5/4 Bb5/4 D6/6 C6/2 | C#6/6 D6/2 E6/8");
    return p;
}

// Orders 6-7: the credits. A singing lead over a walking bass, back in A minor.
void creditsGroove(XmPattern& p, const std::string& chords, const std::string& snares)
{
    writeDrums(p, kKickChannel, "k.....k...k.....");
    writeDrums(p, kSnareChannel, snares);
    writeDrums(p, kHatChannel, "h.hHh.hHh.hHh.hH");
    writeBass(p, kBassChannel, kBassVolume, chords, "0...7...c...7...");
    pads(p, chords);
    arpeggios(p, chords, kArpVolume - 4, "x=======x=======");
}

XmPattern creditsFirst()
{
    XmPattern p = blank();
    creditsGroove(p, "Am Dm G C", "....s.......s...");
    lead(p,
         "E5/6 D5/2 C5/4 B4/2 C5/2 | D5/6 E5/2 F5/4 A5/4 | G5/6 F5/2 D5/4 B4/2 D5/2 |"
         " C5/4 E5/4 G5/8");
    return p;
}

XmPattern creditsSecond()
{
    XmPattern p = blank();
    creditsGroove(p, "F Dm E E",
                  "....s.......s...|....s.......s...|....s.......s...|....s...s.s.SSSS");
    lead(p, "A5/6 G5/2 F5/4 C5/4 | D5/4 F5/4 A5/4 D6/4 | C6/6 B5/2 G#5/8 | B5/4 A5/2 G#5/2 E5/8");
    return p;
}

// Orders 8-11: the closing scroller. The whole band plays the main theme,
// answers it, varies it and lifts it an octave.
void themeGroove(XmPattern& p, const std::string& chords, const std::string& snares,
                 const std::string& riff)
{
    writeDrums(p, kKickChannel, "k...k...k...k...");
    writeDrums(p, kSnareChannel, snares);
    writeDrums(p, kHatChannel, "c.......HhohHhoh|HhohHhohHhohHhoh|HhohHhohHhohHhoh|HhohHhohHhohHhoh");
    writeBass(p, kBassChannel, kBassVolume + 2, chords, riff);
    arpeggios(p, chords, kArpVolume, kEveryBeat);
}

XmPattern themeCall()
{
    const std::string chords = "Am F C G";
    XmPattern p = blank();
    themeGroove(p, chords, "....s..g....s.g.", kIntroRiff);
    pads(p, chords);
    lead(p,
         "A4/2 C5/2 E5/4 D5/2 C5/2 D5/2 E5/2 | F5/6 E5/2 C5/4 A4/4 |"
         " G4/2 C5/2 E5/4 D5/2 E5/2 G5/2 E5/2 | D5/6 C5/2 B4/4 G4/4");
    return p;
}

XmPattern themeAnswer()
{
    const std::string chords = "Am F G E";
    XmPattern p = blank();
    themeGroove(p, chords, "....s..g....s.g.|....s..g....s.g.|....s..g....s.g.|....s..g....s.SS",
                kIntroRiff);
    pads(p, chords);
    lead(p,
         "A4/2 C5/2 E5/4 D5/2 C5/2 D5/2 E5/2 | A5/6 G5/2 F5/4 E5/4 |"
         " D5/4 G5/4 F5/2 E5/2 D5/4 | E5/4 B4/2 E5/2 G#5/8");
    return p;
}

XmPattern themeVariation()
{
    const std::string chords = "F G Em Am";
    XmPattern p = blank();
    themeGroove(p, chords, "....s..g....s.g.", kOctaveRiff);
    writeChords(p, kChordLowChannel, kChordHighChannel, kStab, kStabVolume - 8, lowest("A4"),
                chords, "..x...x...x...x.");
    lead(p,
         "C6/3 A5/3 F5/2 A5/2 C6/2 D6/2 C6/2 | B5/3 G5/3 D5/2 G5/2 B5/2 D6/2 B5/2 |"
         " B5/3 G5/3 E5/2 G5/2 B5/2 E6/4 | C6/4 B5/2 A5/10");
    return p;
}

XmPattern themeClimax()
{
    const std::string chords = "Am F G E";
    XmPattern p = blank();
    themeGroove(p, chords, "....s..g....s.g.|....s..g....s.g.|....s..g....s.g.|s.s.s.s.23456789",
                kOctaveRiff);
    pads(p, chords);
    lead(p,
         "A5/2 C6/2 E6/4 D6/2 C6/2 D6/2 E6/2 | F6/6 E6/2 C6/4 A5/4 |"
         " B5/2 D6/2 G6/4 F6/2 E6/2 D6/2 B5/2 | E6/4 D6/2 C6/2 B5/4 G#5/4");
    return p;
}

// Order 12: under the closing logo. One last hit on A minor, then the
// chord rings on and fades, never into silence before the song ends.
XmPattern ending()
{
    XmPattern p = blank();
    writeDrums(p, kKickChannel, "k...............|................|................|................");
    writeDrums(p, kSnareChannel, "S...............|................|................|................");
    writeDrums(p, kHatChannel, "c...............|................|................|................");
    putNote(p, 0, kBassChannel, noteNamed("A1"), kBass, kBassVolume + 4);
    putNote(p, 40, kBassChannel, kXmKeyOff, 0, -1);
    writeChords(p, kChordLowChannel, kChordHighChannel, kPad, kPadVolume + 10, lowest("A4"),
                "Am Am Am Am", "x...............|................|................|................");
    writeArpeggios(p, kArpChannel, kArp, kArpVolume + 8, lowest("A4"), "Am Am Am Am",
                   "x===============|x===============|x===============|x===============");
    putNote(p, 0, kLeadChannel, noteNamed("A5"), kLead, kLeadVolume);
    for (int row = 8; row < kPatternRows; row += 4) {
        int fading = (kPatternRows - row) * 3 / 4;  // from 42 down to 3
        putVolume(p, row, kLeadChannel, fading);
        putVolume(p, row, kChordLowChannel, fading);
        putVolume(p, row, kChordHighChannel, fading);
        putVolume(p, row, kArpChannel, fading / 2);
    }
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
    song.patterns = {introRising(),  introFull(),    punchFirst(),     punchSecond(),
                     helixEchoes(),  helixMelody(),  creditsFirst(),   creditsSecond(),
                     themeCall(),    themeAnswer(),  themeVariation(), themeClimax(),
                     ending()};
    for (size_t order = 0; order < song.patterns.size(); ++order)
        song.orders.push_back(static_cast<uint8_t>(order));
    song.instruments = makeInstruments();
    return song;
}
