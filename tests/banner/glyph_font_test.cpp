#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "banner/glyph_font.h"

namespace {

std::vector<int> bytesWithGlyphs()
{
    std::vector<int> bytes;
    for (int byte = 0; byte < 256; ++byte) {
        if (findGlyph(static_cast<uint8_t>(byte)) != nullptr) bytes.push_back(byte);
    }
    return bytes;
}

}  // namespace

TEST(GlyphFont, HasExactlyTheFortyFiveGlyphs)
{
    std::vector<int> expected = {' ', '!', '+', ',', '.', '?', 197, 198, 216};
    for (int c = '0'; c <= '9'; ++c) expected.push_back(c);
    for (int c = 'A'; c <= 'Z'; ++c) expected.push_back(c);
    std::sort(expected.begin(), expected.end());

    EXPECT_EQ(bytesWithGlyphs(), expected);
    EXPECT_EQ(expected.size(), 45u);
}

TEST(GlyphFont, NoGlyphForLowerCaseOrTheLatinSmallLetters)
{
    for (int c = 'a'; c <= 'z'; ++c) EXPECT_EQ(findGlyph(static_cast<uint8_t>(c)), nullptr) << c;
    for (int byte : {0, 10, 229, 230, 248, 255}) {
        EXPECT_EQ(findGlyph(static_cast<uint8_t>(byte)), nullptr) << byte;
    }
}

TEST(GlyphFont, RowsAreEightCellsOfDollarOrBlankEndingInABlankExceptTheFootOfW)
{
    for (int byte : bytesWithGlyphs()) {
        const char* const* glyph = findGlyph(static_cast<uint8_t>(byte));
        for (int r = 0; r < kGlyphRows; ++r) {
            std::string row = glyph[r];
            bool footOfW = byte == 'W' && r == kGlyphRows - 1;
            ASSERT_EQ(row.size(), footOfW ? 7u : 8u) << "byte " << byte << " row " << r;
            EXPECT_EQ(row.find_first_not_of("$ "), std::string::npos) << byte << " row " << r;
            if (!footOfW) {
                EXPECT_EQ(row[7], ' ') << "byte " << byte << " row " << r;
            }
        }
    }
}

TEST(GlyphFont, BlankRowsAreWhereTheLettersHaveThem)
{
    auto rowIsBlank = [](int byte, int r) {
        return std::string(findGlyph(static_cast<uint8_t>(byte))[r]) == "        ";
    };
    for (int r = 0; r < kGlyphRows; ++r) EXPECT_TRUE(rowIsBlank(' ', r));
    EXPECT_TRUE(rowIsBlank('X', 0));
    EXPECT_TRUE(rowIsBlank('I', 1));
    EXPECT_TRUE(rowIsBlank(197, 1));
    for (int r = 0; r < 4; ++r) {
        EXPECT_TRUE(rowIsBlank(',', r));
        EXPECT_TRUE(rowIsBlank('.', r));
    }
    EXPECT_FALSE(rowIsBlank(',', 4));
    EXPECT_FALSE(rowIsBlank('.', 4));

    // Apart from the blank, every glyph shows something in at least five rows.
    for (int byte : bytesWithGlyphs()) {
        if (byte == ' ' || byte == ',' || byte == '.') continue;
        int blankRows = 0;
        for (int r = 0; r < kGlyphRows; ++r) blankRows += rowIsBlank(byte, r);
        EXPECT_LE(blankRows, 1) << byte;
    }
}

TEST(GlyphFont, NoTwoGlyphsLookAlike)
{
    std::vector<int> bytes = bytesWithGlyphs();
    for (size_t a = 0; a < bytes.size(); ++a) {
        for (size_t b = a + 1; b < bytes.size(); ++b) {
            const char* const* first = findGlyph(static_cast<uint8_t>(bytes[a]));
            const char* const* second = findGlyph(static_cast<uint8_t>(bytes[b]));
            bool same = true;
            for (int r = 0; r < kGlyphRows; ++r) same = same && std::strcmp(first[r], second[r]) == 0;
            EXPECT_FALSE(same) << bytes[a] << " and " << bytes[b];
        }
    }
}
