#pragma once
// The big font: 45 glyphs of six rows, eight columns each.

#include <cstdint>

constexpr int kGlyphRows = 6;

// The six row strings of the glyph for `byte`, or nullptr when the byte has
// no glyph. Rows are eight characters of '$' and blank; the bottom row of W
// has seven.
const char* const* findGlyph(uint8_t byte);
