#include <gtest/gtest.h>

#include "tools/score.h"

namespace {

XmPattern blank()
{
    return blankXmPattern(kPatternRows, kSongChannels);
}

const XmCell& at(XmPattern& pattern, int row, int channel)
{
    return xmCell(pattern, kSongChannels, row, channel);
}

TEST(Score, NoteNamesFollowTheTrackerOctaves)
{
    EXPECT_EQ(noteNamed("C4"), 49);
    EXPECT_EQ(noteNamed("A4"), 58);
    EXPECT_EQ(noteNamed("C#5"), 62);
    EXPECT_EQ(noteNamed("Bb3"), 47);
    EXPECT_EQ(noteNamed("E1"), 17);
    EXPECT_EQ(noteNamed("B7"), 96);
}

TEST(Score, DrumStepsPlaceTheKitOnTheirRows)
{
    XmPattern p = blank();
    writeDrums(p, kSnareChannel, "....s..S.g..1..9");
    for (int bar = 0; bar < 4; ++bar) {
        int row = bar * kBarRows;
        EXPECT_EQ(at(p, row + 4, kSnareChannel).instrument, kSnare);
        EXPECT_EQ(at(p, row + 4, kSnareChannel).volume, 0x10 + 48);
        EXPECT_EQ(at(p, row + 7, kSnareChannel).volume, 0x10 + 64);
        EXPECT_EQ(at(p, row + 9, kSnareChannel).volume, 0x10 + 18);
        EXPECT_EQ(at(p, row + 12, kSnareChannel).volume, 0x10 + 7);
        EXPECT_EQ(at(p, row + 15, kSnareChannel).volume, 0x10 + 63);
        EXPECT_EQ(at(p, row + 5, kSnareChannel).note, 0);
    }
    writeDrums(p, kHatChannel, "c.......hHo.....|................|................|................");
    EXPECT_EQ(at(p, 0, kHatChannel).instrument, kCrash);
    EXPECT_EQ(at(p, 8, kHatChannel).instrument, kHat);
    EXPECT_EQ(at(p, 10, kHatChannel).instrument, kOpenHat);
    EXPECT_EQ(at(p, 16, kHatChannel).note, 0);
}

TEST(Score, AMelodyPlacesNotesRestsAndHolds)
{
    XmPattern p = blank();
    writeMelody(p, kLeadChannel, kLead, 50, "A4/2 C5/6 | -/8 ~/16 E5/31 Bb5/1");
    EXPECT_EQ(at(p, 0, kLeadChannel).note, noteNamed("A4"));
    EXPECT_EQ(at(p, 0, kLeadChannel).volume, 0x10 + 50);
    EXPECT_EQ(at(p, 2, kLeadChannel).note, noteNamed("C5"));
    EXPECT_EQ(at(p, 8, kLeadChannel).note, kXmKeyOff);
    EXPECT_EQ(at(p, 8, kLeadChannel).instrument, 0);
    EXPECT_EQ(at(p, 16, kLeadChannel).note, 0);
    EXPECT_EQ(at(p, 32, kLeadChannel).note, noteNamed("E5"));
    EXPECT_EQ(at(p, 63, kLeadChannel).note, noteNamed("Bb5"));
}

TEST(Score, BassFollowsTheChordRootsInItsRegister)
{
    XmPattern p = blank();
    writeBass(p, kBassChannel, 40, "Am C E D#", "0.c.7...........");
    EXPECT_EQ(at(p, 0, kBassChannel).note, noteNamed("A1"));
    EXPECT_EQ(at(p, 2, kBassChannel).note, noteNamed("A2"));
    EXPECT_EQ(at(p, 4, kBassChannel).note, noteNamed("E2"));
    EXPECT_EQ(at(p, 16, kBassChannel).note, noteNamed("C2"));
    EXPECT_EQ(at(p, 32, kBassChannel).note, noteNamed("E1"));
    EXPECT_EQ(at(p, 48, kBassChannel).note, noteNamed("D#2"));
    EXPECT_EQ(at(p, 48, kBassChannel).instrument, kBass);
}

TEST(Score, ArpeggiosRunThroughThirdAndFifth)
{
    XmPattern p = blank();
    writeArpeggios(p, kArpChannel, kArp, 30, noteNamed("E4"), "Am F Dm C", "x==.x=-.........");
    EXPECT_EQ(at(p, 0, kArpChannel).note, noteNamed("A4"));
    EXPECT_EQ(at(p, 0, kArpChannel).param, 0x37);
    EXPECT_EQ(at(p, 1, kArpChannel).note, 0);
    EXPECT_EQ(at(p, 2, kArpChannel).param, 0x37);
    EXPECT_EQ(at(p, 3, kArpChannel).param, 0);
    EXPECT_EQ(at(p, 6, kArpChannel).note, kXmKeyOff);
    EXPECT_EQ(at(p, 16, kArpChannel).note, noteNamed("F4"));
    EXPECT_EQ(at(p, 16, kArpChannel).param, 0x47);
    EXPECT_EQ(at(p, 32, kArpChannel).note, noteNamed("D5"));
    EXPECT_EQ(at(p, 48, kArpChannel).note, noteNamed("C5"));
}

TEST(Score, ChordsAreCloseThirdsPannedApart)
{
    XmPattern p = blank();
    writeChords(p, kChordLowChannel, kChordHighChannel, kPad, 30, noteNamed("A3"), "Am F E Bb",
                "x.......-.......");
    EXPECT_EQ(at(p, 0, kChordLowChannel).note, noteNamed("C4"));
    EXPECT_EQ(at(p, 0, kChordHighChannel).note, noteNamed("E4"));
    EXPECT_EQ(at(p, 16, kChordLowChannel).note, noteNamed("A3"));
    EXPECT_EQ(at(p, 16, kChordHighChannel).note, noteNamed("C4"));
    EXPECT_EQ(at(p, 32, kChordLowChannel).note, noteNamed("G#4"));  // G#3 is below A3
    EXPECT_EQ(at(p, 32, kChordHighChannel).note, noteNamed("B4"));
    EXPECT_EQ(at(p, 48, kChordLowChannel).note, noteNamed("D4"));
    EXPECT_EQ(at(p, 48, kChordHighChannel).note, noteNamed("F4"));
    EXPECT_LT(at(p, 0, kChordLowChannel).param, at(p, 0, kChordHighChannel).param);
    EXPECT_EQ(at(p, 8, kChordHighChannel).note, kXmKeyOff);
}

TEST(Score, AnEchoRepeatsAChannelLaterAndSofter)
{
    XmPattern p = blank();
    writeArpeggios(p, kArpChannel, kArp, 30, noteNamed("E4"), "Am Am Am Am", "x=..............");
    writeEcho(p, kArpChannel, kLeadChannel, 3, 12);
    EXPECT_EQ(at(p, 3, kLeadChannel).note, noteNamed("A4"));
    EXPECT_EQ(at(p, 3, kLeadChannel).volume, 0x10 + 12);
    EXPECT_EQ(at(p, 4, kLeadChannel).param, 0x37);
    EXPECT_EQ(at(p, 51, kLeadChannel).note, noteNamed("A4"));
    EXPECT_EQ(at(p, 0, kLeadChannel).note, 0);
}

}  // namespace
