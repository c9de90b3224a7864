#include "banner/banner.h"

#include <cstring>

#include "banner/glyph_font.h"
#include "banner/out_of_memory.h"
#include "platform/allocator.h"

static void* allocateOrDie(size_t size)
{
    void* bytes = allocateBytes(size);
    if (bytes == nullptr) reportOutOfMemory();
    return bytes;
}

void buildBanner(Banner& banner, const char* text)
{
    size_t length = std::strlen(text);
    banner.text = static_cast<char*>(allocateOrDie(length + 1));
    std::memcpy(banner.text, text, length + 1);
    banner.flyIn = 0;
    banner.width = 0;
    banner.visible = 0;
    clearWindow(banner);
    buildStrips(banner);
}

void clearWindow(Banner& banner)
{
    std::memset(banner.window, ' ', sizeof banner.window);
}

static uint8_t upperCase(uint8_t byte)
{
    return byte >= 'a' && byte <= 'z' ? static_cast<uint8_t>(byte - 'a' + 'A') : byte;
}

void buildStrips(Banner& banner)
{
    size_t length = std::strlen(banner.text);
    size_t stripLength = kGlyphWidth * length;

    // The six working rows, one block. Cells no glyph writes stay blank: a 0
    // would end the presented frame early.
    uint8_t* working = static_cast<uint8_t*>(allocateOrDie(kBannerRows * stripLength));
    std::memset(working, ' ', kBannerRows * stripLength);

    for (size_t i = 0; i < length; ++i) {
        uint8_t byte = upperCase(static_cast<uint8_t>(banner.text[i]));
        banner.text[i] = static_cast<char>(byte);
        const char* const* glyph = findGlyph(byte);
        if (glyph == nullptr) continue;
        for (int r = 0; r < kBannerRows; ++r) {
            std::memcpy(working + r * stripLength + kGlyphWidth * i, glyph[r],
                        std::strlen(glyph[r]));
        }
    }

    for (int r = 0; r < kBannerRows; ++r) {
        uint8_t* strip = static_cast<uint8_t*>(allocateOrDie(stripLength + 1));
        std::memcpy(strip, working + r * stripLength, stripLength);
        strip[stripLength] = 0;
        banner.strips[r] = strip;
    }

    releaseBytes(working);
}
