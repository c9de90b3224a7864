#pragma once
// The VGA console font the capture draws with: an 8 x 16 PSF font of the
// console-setup fonts, read through its Unicode table, and cells drawn with
// it light grey on black, as a VGA text screen shows them.

#include <cstdint>
#include <string>

constexpr int kPictureRows = 25;  // the show's 24 rows and the text screen's last, blank
constexpr int kPictureColumns = 80;
constexpr int kGlyphWidth = 8;
constexpr int kGlyphHeight = 16;
constexpr int kPictureWidth = kPictureColumns * kGlyphWidth;   // 640
constexpr int kPictureHeight = kPictureRows * kGlyphHeight;    // 400
constexpr uint8_t kLitLevel = 170;   // VGA light grey
constexpr uint8_t kDarkLevel = 0;
// The same two in the luma of limited-range video (16 black, 235 white).
constexpr uint8_t kLitLuma = 16 + (kLitLevel * 219 + 127) / 255;  // 162
constexpr uint8_t kDarkLuma = 16;

constexpr char kConsoleFontFolder[] = "/usr/share/consolefonts";

struct ConsoleFont {
    std::string file;  // the font chosen, without its folder
    // Each code page 437 byte's glyph: 16 rows, bit 7 the leftmost pixel.
    uint8_t glyphs[256][kGlyphHeight] = {};
};

// Chooses among the folder's *-VGA16.psf.gz fonts one of 8 x 16 cells whose
// Unicode table has the three shade blocks U+2591..U+2593, the one that
// shows most of code page 437 (the first by name among equals). A character
// the font lacks shows as its U+FFFD glyph, else its '?'. False, with the
// reason in error, when the folder has no such font.
bool loadConsoleFont(const char* folder, ConsoleFont& font, std::string& error);

// Draws kPictureRows x kPictureColumns cells (row-major code page 437
// bytes) into a kPictureWidth x kPictureHeight grey picture whose lines are
// stride bytes apart, lit pixels at level lit, the others at dark.
void drawCells(const ConsoleFont& font, const uint8_t* cells, uint8_t* picture, int stride = kPictureWidth,
               uint8_t lit = kLitLevel, uint8_t dark = kDarkLevel);
