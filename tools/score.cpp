#include "tools/score.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

constexpr int kArpeggioEffect = 0x0;
constexpr int kPanningEffect = 0x8;

// A mistake in the written score: the generator stops rather than write a
// wrong song.
[[noreturn]] void rejectScore(const std::string& what, const std::string& text)
{
    std::fprintf(stderr, "make_module: %s: \"%s\"\n", what.c_str(), text.c_str());
    std::exit(2);
}

struct Chord {
    int root;  // pitch class, C = 0
    bool minor;
};

int pitchClass(const std::string& text, size_t& at)
{
    static const int naturals[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (at >= text.size() || text[at] < 'A' || text[at] > 'G')
        rejectScore("not a note name", text);
    int pitch = naturals[text[at] - 'A'];
    ++at;
    if (at < text.size() && text[at] == '#') {
        ++pitch;
        ++at;
    } else if (at < text.size() && text[at] == 'b') {
        pitch += 11;
        ++at;
    }
    return pitch % 12;
}

std::vector<Chord> chordsNamed(const std::string& names)
{
    std::istringstream words(names);
    std::vector<Chord> chords;
    std::string word;
    while (words >> word) {
        size_t at = 0;
        Chord chord{pitchClass(word, at), false};
        if (at < word.size() && word[at] == 'm') {
            chord.minor = true;
            ++at;
        }
        if (at != word.size())
            rejectScore("not a chord name", word);
        chords.push_back(chord);
    }
    if (chords.size() != kPatternRows / kBarRows)
        rejectScore("a pattern needs one chord a bar", names);
    return chords;
}

std::string expandSteps(const std::string& written)
{
    std::string steps;
    for (char c : written)
        if (c != ' ' && c != '|')
            steps += c;
    if (steps.size() == kBarRows) {
        std::string bar = steps;
        for (int i = 1; i < kPatternRows / kBarRows; ++i)
            steps += bar;
    }
    if (steps.size() != kPatternRows)
        rejectScore("steps must cover one bar or one pattern", written);
    return steps;
}

int noteAtOrAbove(int pitch, int lowest)
{
    int note = lowest;
    while ((note - 1) % 12 != pitch)
        ++note;
    return note;
}

int bassRoot(int pitch)
{
    return noteAtOrAbove(pitch, noteNamed("E1"));
}

int stepInterval(char step)
{
    if (step >= '0' && step <= '9')
        return step - '0';
    if (step >= 'a' && step <= 'z')
        return 10 + step - 'a';
    return -1;
}

struct KitStroke {
    char step;
    int instrument;
    int volume;
};

const KitStroke kKit[] = {
    {'k', kKick, 64},  {'s', kSnare, 48}, {'S', kSnare, 64},   {'g', kSnare, 18},
    {'h', kHat, 30},   {'H', kHat, 46},   {'o', kOpenHat, 40}, {'c', kCrash, 60},
};

}  // namespace

int noteNamed(const std::string& name)
{
    size_t at = 0;
    int pitch = pitchClass(name, at);
    // Cb and B# belong to the neighbouring octave; the score never uses them.
    if (at + 1 != name.size() || name[at] < '0' || name[at] > '7')
        rejectScore("not a note name", name);
    int note = 12 * (name[at] - '0') + pitch + 1;
    if (note < 1 || note > 96)
        rejectScore("note out of range", name);
    return note;
}

void putNote(XmPattern& pattern, int row, int channel, int note, int instrument, int volume)
{
    XmCell& cell = xmCell(pattern, kSongChannels, row, channel);
    cell.note = static_cast<uint8_t>(note);
    cell.instrument = static_cast<uint8_t>(instrument);
    cell.volume = volume < 0 ? 0 : static_cast<uint8_t>(0x10 + volume);
}

void putVolume(XmPattern& pattern, int row, int channel, int volume)
{
    xmCell(pattern, kSongChannels, row, channel).volume = static_cast<uint8_t>(0x10 + volume);
}

void putEffect(XmPattern& pattern, int row, int channel, int effect, int param)
{
    XmCell& cell = xmCell(pattern, kSongChannels, row, channel);
    cell.effect = static_cast<uint8_t>(effect);
    cell.param = static_cast<uint8_t>(param);
}

void writeDrums(XmPattern& pattern, int channel, const std::string& written)
{
    std::string steps = expandSteps(written);
    for (int row = 0; row < kPatternRows; ++row) {
        char step = steps[row];
        if (step == '.')
            continue;
        if (step >= '1' && step <= '9') {
            putNote(pattern, row, channel, noteNamed("C4"), kSnare, 7 * (step - '0'));
            continue;
        }
        const KitStroke* stroke = nullptr;
        for (const KitStroke& s : kKit)
            if (s.step == step)
                stroke = &s;
        if (!stroke)
            rejectScore("not a drum step", written);
        putNote(pattern, row, channel, noteNamed("C4"), stroke->instrument, stroke->volume);
    }
}

void writeMelody(XmPattern& pattern, int channel, int instrument, int volume,
                 const std::string& line)
{
    std::istringstream words(line);
    std::string word;
    int row = 0;
    while (words >> word) {
        if (word == "|")
            continue;
        size_t slash = word.find('/');
        if (slash == std::string::npos)
            rejectScore("a note needs its length", word);
        std::string name = word.substr(0, slash);
        int length = std::atoi(word.c_str() + slash + 1);
        if (length < 1 || row + length > kPatternRows)
            rejectScore("length out of the pattern", line);
        if (name == "-")
            putNote(pattern, row, channel, kXmKeyOff, 0, -1);
        else if (name != "~")
            putNote(pattern, row, channel, noteNamed(name), instrument, volume);
        row += length;
    }
    if (row != kPatternRows)
        rejectScore("a melody must fill the pattern", line);
}

void writeBass(XmPattern& pattern, int channel, int volume, const std::string& chordNames,
               const std::string& riff)
{
    std::vector<Chord> chords = chordsNamed(chordNames);
    std::string steps = expandSteps(riff);
    for (int row = 0; row < kPatternRows; ++row) {
        char step = steps[row];
        int root = bassRoot(chords[row / kBarRows].root);
        if (step == '-')
            putNote(pattern, row, channel, kXmKeyOff, 0, -1);
        else if (stepInterval(step) >= 0)
            putNote(pattern, row, channel, root + stepInterval(step), kBass, volume);
        else if (step != '.')
            rejectScore("not a bass step", riff);
    }
}

void writeArpeggios(XmPattern& pattern, int channel, int instrument, int volume, int lowest,
                    const std::string& chordNames, const std::string& written)
{
    std::vector<Chord> chords = chordsNamed(chordNames);
    std::string steps = expandSteps(written);
    for (int row = 0; row < kPatternRows; ++row) {
        const Chord& chord = chords[row / kBarRows];
        int arpeggio = chord.minor ? 0x37 : 0x47;
        char step = steps[row];
        if (step == 'x')
            putNote(pattern, row, channel, noteAtOrAbove(chord.root, lowest), instrument, volume);
        else if (step == '-')
            putNote(pattern, row, channel, kXmKeyOff, 0, -1);
        else if (step != '=' && step != '.')
            rejectScore("not an arpeggio step", written);
        if (step == 'x' || step == '=')
            putEffect(pattern, row, channel, kArpeggioEffect, arpeggio);
    }
}

void writeChords(XmPattern& pattern, int lowChannel, int highChannel, int instrument, int volume,
                 int lowest, const std::string& chordNames, const std::string& written)
{
    std::vector<Chord> chords = chordsNamed(chordNames);
    std::string steps = expandSteps(written);
    for (int row = 0; row < kPatternRows; ++row) {
        const Chord& chord = chords[row / kBarRows];
        char step = steps[row];
        if (step == '-') {
            putNote(pattern, row, lowChannel, kXmKeyOff, 0, -1);
            putNote(pattern, row, highChannel, kXmKeyOff, 0, -1);
        } else if (step == 'x') {
            int third = noteAtOrAbove((chord.root + (chord.minor ? 3 : 4)) % 12, lowest);
            int fifth = third + (chord.minor ? 4 : 3);
            putNote(pattern, row, lowChannel, third, instrument, volume);
            putNote(pattern, row, highChannel, fifth, instrument, volume);
            putEffect(pattern, row, lowChannel, kPanningEffect, 0x50);
            putEffect(pattern, row, highChannel, kPanningEffect, 0xB0);
        } else if (step != '.') {
            rejectScore("not a chord step", written);
        }
    }
}

void writeEcho(XmPattern& pattern, int from, int to, int delay, int volume)
{
    for (int row = kPatternRows - 1 - delay; row >= 0; --row) {
        XmCell source = xmCell(pattern, kSongChannels, row, from);
        XmCell& echo = xmCell(pattern, kSongChannels, row + delay, to);
        echo = source;
        if (source.note != 0 && source.note != kXmKeyOff)
            echo.volume = static_cast<uint8_t>(0x10 + volume);
    }
}
