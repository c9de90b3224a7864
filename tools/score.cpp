#include "tools/score.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

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
    int effect;  // an extended effect (XM Exy), or 0
};

const KitStroke kKit[] = {
    {'k', kKick, 54, 0},
    {'K', kKick, 64, 0},
    {'q', kKick, 34, 0},
    {'s', kSnare, 44, 0},
    {'S', kSnare, 64, 0},
    {'g', kSnare, 16, 0},
    {'f', kSnare, 28, kNoteDelay | 2},
    {'r', kSnare, 38, kRetrigger | 3},
    {'h', kHat, 30, 0},
    {'H', kHat, 48, 0},
    {'o', kOpenHat, 40, 0},
    {'x', kOpenHat, 48, kNoteCut | 2},
    {'c', kCrash, 60, 0},
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
    cell.volume = volume < 0 ? 0 : static_cast<uint8_t>(0x10 + std::min(volume, 64));
}

void putKeyOff(XmPattern& pattern, int row, int channel)
{
    putNote(pattern, row, channel, kXmKeyOff, 0, -1);
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

void writeDrums(XmPattern& pattern, int channel, const std::string& written, int level)
{
    std::string steps = expandSteps(written);
    auto scaled = [level](int volume) { return std::max(1, volume * level / 100); };
    for (int row = 0; row < kPatternRows; ++row) {
        char step = steps[row];
        if (step == '.')
            continue;
        if (step >= '1' && step <= '9') {
            putNote(pattern, row, channel, noteNamed("C4"), kSnare, scaled(7 * (step - '0')));
            continue;
        }
        const KitStroke* stroke = nullptr;
        for (const KitStroke& s : kKit)
            if (s.step == step)
                stroke = &s;
        if (!stroke)
            rejectScore("not a drum step", written);
        putNote(pattern, row, channel, noteNamed("C4"), stroke->instrument, scaled(stroke->volume));
        if (stroke->effect)
            putEffect(pattern, row, channel, kExtendedEffect, stroke->effect);
    }
}

namespace {

// Playing marks on a melody note; see writeMelody.
constexpr int kSlideSpeed = 0x20;  // tone portamento: two semitones a tick
constexpr int kVibrato = 0x34;     // speed 3, depth 4
constexpr int kBend = 0x02;        // portamento: an eighth of a semitone a tick
constexpr int kCutTicks = 3;

void markNote(XmPattern& pattern, int channel, int row, int length, char mark)
{
    for (int r = row + 1; r < row + length; ++r) {
        if (mark == 'v' && r >= row + 2)
            putEffect(pattern, r, channel, kVibratoEffect, kVibrato);
        else if (mark == 'u')
            putEffect(pattern, r, channel, kPortaUpEffect, kBend);
        else if (mark == 'd')
            putEffect(pattern, r, channel, kPortaDownEffect, kBend);
    }
    if (mark == '!')
        putEffect(pattern, row, channel, kExtendedEffect, kNoteCut | kCutTicks);
}

}  // namespace

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
        bool slide = word[0] == '^';
        std::string name = word.substr(slide ? 1 : 0, slash - (slide ? 1 : 0));
        char* end = nullptr;
        long length = std::strtol(word.c_str() + slash + 1, &end, 10);
        std::string marks = end;
        if (length < 1 || row + length > kPatternRows || marks.size() > 1 ||
            (marks.size() == 1 && std::string("vud!").find(marks[0]) == std::string::npos))
            rejectScore("not a note length and mark", word);
        int rows = static_cast<int>(length);
        if (name == "-") {
            putKeyOff(pattern, row, channel);
        } else if (slide) {
            putNote(pattern, row, channel, noteNamed(name), 0, -1);
            putEffect(pattern, row, channel, kTonePortaEffect, kSlideSpeed);
        } else if (name != "~") {
            putNote(pattern, row, channel, noteNamed(name), instrument, volume);
        }
        if (!marks.empty())
            markNote(pattern, channel, row, rows, marks[0]);
        row += rows;
    }
    if (row != kPatternRows)
        rejectScore("a melody must fill the pattern", line);
}

void writeDouble(XmPattern& pattern, int from, int to, int instrument, int drop, int delayTicks)
{
    for (int row = 0; row < kPatternRows; ++row) {
        XmCell source = xmCell(pattern, kSongChannels, row, from);
        XmCell& copy = xmCell(pattern, kSongChannels, row, to);
        copy = source;
        bool note = source.note != 0 && source.note != kXmKeyOff;
        if (note && source.instrument != 0)
            copy.instrument = static_cast<uint8_t>(instrument);
        if (note && source.volume != 0)
            copy.volume = static_cast<uint8_t>(std::max(0x10, source.volume - drop));
        if (note && source.effect == 0 && source.param == 0) {
            copy.effect = kExtendedEffect;
            copy.param = static_cast<uint8_t>(kNoteDelay | delayTicks);
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

void writeBass(XmPattern& pattern, int channel, int volume, const std::string& chordNames,
               const std::string& riff)
{
    std::vector<Chord> chords = chordsNamed(chordNames);
    std::string steps = expandSteps(riff);
    for (int row = 0; row < kPatternRows; ++row) {
        char step = steps[row];
        int root = bassRoot(chords[row / kBarRows].root);
        if (step == '-')
            putKeyOff(pattern, row, channel);
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
            putKeyOff(pattern, row, channel);
        else if (step != '=' && step != '.')
            rejectScore("not an arpeggio step", written);
        if (step == 'x' || step == '=')
            putEffect(pattern, row, channel, kArpeggioEffect, arpeggio);
    }
}

namespace {

constexpr int kPadChannels[3] = {kPadLowChannel, kPadMidChannel, kPadHighChannel};
constexpr int kPadInstruments[3] = {kPadLeft, kPadCentre, kPadRight};
constexpr int kPadGlide = 0x18;  // a semitone and a half a tick

// The chord's tones within the octave from G-3, lowest first.
std::vector<int> padVoicing(const Chord& chord)
{
    int lowest = noteNamed("G3");
    std::vector<int> notes = {noteAtOrAbove(chord.root, lowest),
                              noteAtOrAbove((chord.root + (chord.minor ? 3 : 4)) % 12, lowest),
                              noteAtOrAbove((chord.root + 7) % 12, lowest)};
    std::sort(notes.begin(), notes.end());
    return notes;
}

}  // namespace

void writePads(XmPattern& pattern, int volume, const std::string& chordNames, bool attack)
{
    std::vector<Chord> chords = chordsNamed(chordNames);
    std::vector<int> before;
    for (size_t bar = 0; bar < chords.size(); ++bar) {
        std::vector<int> notes = padVoicing(chords[bar]);
        int row = static_cast<int>(bar) * kBarRows;
        for (int voice = 0; voice < 3; ++voice) {
            int channel = kPadChannels[voice];
            if (bar == 0 && attack) {
                putNote(pattern, row, channel, notes[voice], kPadInstruments[voice], volume);
            } else if (before.empty() || before[voice] != notes[voice]) {
                putNote(pattern, row, channel, notes[voice], 0, -1);
                putEffect(pattern, row, channel, kTonePortaEffect, kPadGlide);
            }
        }
        before = notes;
    }
}

void slidePads(XmPattern& pattern, int from, int to, int param)
{
    for (int row = from; row < to; ++row)
        for (int channel : kPadChannels) {
            XmCell& cell = xmCell(pattern, kSongChannels, row, channel);
            if (cell.effect == 0 && cell.param == 0)
                putEffect(pattern, row, channel, kVolumeSlideEffect, param);
        }
}

void releasePads(XmPattern& pattern, int row)
{
    for (int channel : kPadChannels)
        putKeyOff(pattern, row, channel);
}

void writeStabs(XmPattern& pattern, int channel, int volume, const std::string& chordNames,
                const std::string& written)
{
    std::vector<Chord> chords = chordsNamed(chordNames);
    std::string steps = expandSteps(written);
    for (int row = 0; row < kPatternRows; ++row) {
        int root = noteAtOrAbove(chords[row / kBarRows].root, noteNamed("A3"));
        char step = steps[row];
        if (step == 'x' || step == 'X')
            putNote(pattern, row, channel, root, kStab, volume);
        if (step == 'x')
            putEffect(pattern, row, channel, kExtendedEffect, kNoteCut | kCutTicks);
        else if (step == '-')
            putKeyOff(pattern, row, channel);
        else if (step != 'X' && step != '.')
            rejectScore("not a stab step", written);
    }
}
