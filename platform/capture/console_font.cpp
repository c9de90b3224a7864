// PSF fonts (version 1 and 2) as the console's kbd tools write them: a
// header, the glyph bitmaps, then for each glyph the Unicode characters it
// shows, ended by a separator. The files are gzip-compressed; zlib reads
// them.

#include "platform/capture/console_font.h"

#include <dirent.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "platform/posix/cell_encoding.h"

namespace {

constexpr size_t kLargestFontBytes = 1 << 20;
constexpr char kFontEnding[] = "-VGA16.psf.gz";

struct PsfFont {
    int glyphCount = 0;
    const uint8_t* bitmaps = nullptr;      // glyphCount x 16 bytes
    std::map<char32_t, int> glyphOf;       // the first glyph that shows each character
};

bool readGzip(const std::string& path, std::vector<uint8_t>& bytes)
{
    gzFile file = gzopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    bytes.resize(kLargestFontBytes);
    int got = gzread(file, bytes.data(), static_cast<unsigned>(bytes.size()));
    gzclose(file);
    if (got <= 0 || static_cast<size_t>(got) == bytes.size())
        return false;
    bytes.resize(static_cast<size_t>(got));
    return true;
}

uint32_t little32(const uint8_t* at) { return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24; }

// One UTF-8 character of a version 2 table; false at a byte that starts none.
bool nextUtf8(const uint8_t*& at, const uint8_t* end, char32_t& character)
{
    int extra = *at < 0x80 ? 0 : *at >= 0xF0 ? 3 : *at >= 0xE0 ? 2 : *at >= 0xC0 ? 1 : -1;
    if (extra < 0 || end - at <= extra)
        return false;
    character = extra == 0 ? *at : *at & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i)
        character = character << 6 | (at[i] & 0x3F);
    at += extra + 1;
    return true;
}

// Characters before a sequence mark stand alone for the glyph; sequences
// (a character with combining ones) are skipped.
bool readTable(const uint8_t* at, const uint8_t* end, bool wide, PsfFont& font)
{
    int glyph = 0;
    bool inSequence = false;
    while (glyph < font.glyphCount && at < end) {
        char32_t character;
        if (wide) {
            if (end - at < 2)
                return false;
            character = static_cast<char32_t>(at[0] | at[1] << 8);
            at += 2;
            if (character == 0xFFFF) {
                ++glyph;
                inSequence = false;
                continue;
            }
            if (character == 0xFFFE) {
                inSequence = true;
                continue;
            }
        } else {
            if (*at == 0xFF || *at == 0xFE) {
                inSequence = *at == 0xFE;
                glyph += *at == 0xFF;
                ++at;
                continue;
            }
            if (!nextUtf8(at, end, character))
                return false;
        }
        if (!inSequence)
            font.glyphOf.emplace(character, glyph);
    }
    return glyph == font.glyphCount;
}

// An 8 x 16 font with a Unicode table, or false.
bool parsePsf(const std::vector<uint8_t>& bytes, PsfFont& font)
{
    const uint8_t* data = bytes.data();
    const uint8_t* end = data + bytes.size();
    if (bytes.size() >= 4 && data[0] == 0x36 && data[1] == 0x04) {
        const uint8_t mode = data[2];
        font.glyphCount = mode & 1 ? 512 : 256;
        const size_t tableAt = 4 + static_cast<size_t>(font.glyphCount) * kGlyphHeight;
        if (data[3] != kGlyphHeight || (mode & 6) == 0 || bytes.size() < tableAt)
            return false;
        font.bitmaps = data + 4;
        return readTable(data + tableAt, end, true, font);
    }
    if (bytes.size() >= 32 && little32(data) == 0x864AB572) {
        const uint32_t headerSize = little32(data + 8), flags = little32(data + 12);
        const uint32_t count = little32(data + 16), glyphBytes = little32(data + 20);
        const uint32_t height = little32(data + 24), width = little32(data + 28);
        if (width != kGlyphWidth || height != kGlyphHeight || glyphBytes != kGlyphHeight || (flags & 1) == 0 ||
            count == 0 || count > 65536 || headerSize < 32 || headerSize > bytes.size() ||
            (bytes.size() - headerSize) / glyphBytes < count)
            return false;
        font.glyphCount = static_cast<int>(count);
        font.bitmaps = data + headerSize;
        return readTable(font.bitmaps + static_cast<size_t>(count) * glyphBytes, end, false, font);
    }
    return false;
}

bool hasShades(const PsfFont& font)
{
    return font.glyphOf.count(0x2591) && font.glyphOf.count(0x2592) && font.glyphOf.count(0x2593);
}

int codePageCoverage(const PsfFont& font)
{
    int shown = 0;
    for (char32_t character : kCp437Characters)
        shown += font.glyphOf.count(character) != 0;
    return shown;
}

std::vector<std::string> fontNames(const char* folder)
{
    std::vector<std::string> names;
    DIR* listing = opendir(folder);
    if (listing == nullptr)
        return names;
    const size_t endingLength = sizeof kFontEnding - 1;
    while (dirent* entry = readdir(listing)) {
        std::string name = entry->d_name;
        if (name.size() > endingLength && name.compare(name.size() - endingLength, endingLength, kFontEnding) == 0)
            names.push_back(name);
    }
    closedir(listing);
    std::sort(names.begin(), names.end());
    return names;
}

void takeGlyphs(const PsfFont& psf, ConsoleFont& font)
{
    auto fallback = psf.glyphOf.find(0xFFFD);
    if (fallback == psf.glyphOf.end())
        fallback = psf.glyphOf.find('?');
    for (int cell = 0; cell < 256; ++cell) {
        auto found = psf.glyphOf.find(kCp437Characters[cell]);
        if (found == psf.glyphOf.end())
            found = fallback;
        if (found != psf.glyphOf.end())
            memcpy(font.glyphs[cell], psf.bitmaps + found->second * kGlyphHeight, kGlyphHeight);
    }
}

}  // namespace

bool loadConsoleFont(const char* folder, ConsoleFont& font, std::string& error)
{
    int bestCoverage = -1;
    for (const std::string& name : fontNames(folder)) {
        std::vector<uint8_t> bytes;
        PsfFont psf;
        if (!readGzip(std::string(folder) + "/" + name, bytes) || !parsePsf(bytes, psf) || !hasShades(psf))
            continue;
        const int coverage = codePageCoverage(psf);
        if (coverage > bestCoverage) {
            bestCoverage = coverage;
            font.file = name;
            takeGlyphs(psf, font);
        }
    }
    if (bestCoverage < 0) {
        error = std::string("no 8 x 16 console font (*") + kFontEnding + ") with the shade blocks in " + folder +
                " (Debian's console-setup-linux package has them)";
        return false;
    }
    return true;
}

// Eight pixels of a glyph row at a time, from a table of the 256 patterns.
void drawCells(const ConsoleFont& font, const uint8_t* cells, uint8_t* picture, int stride, uint8_t lit, uint8_t dark)
{
    uint64_t patterns[256];
    for (int bits = 0; bits < 256; ++bits) {
        uint8_t pixels[kGlyphWidth];
        for (int x = 0; x < kGlyphWidth; ++x)
            pixels[x] = bits & (0x80 >> x) ? lit : dark;
        memcpy(&patterns[bits], pixels, sizeof pixels);
    }
    for (int row = 0; row < kPictureRows; ++row) {
        for (int line = 0; line < kGlyphHeight; ++line) {
            uint8_t* out = picture + (row * kGlyphHeight + line) * stride;
            for (int column = 0; column < kPictureColumns; ++column, out += kGlyphWidth)
                memcpy(out, &patterns[font.glyphs[cells[row * kPictureColumns + column]][line]], kGlyphWidth);
        }
    }
}
