#include "tests/music/test_module.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tools/xm_writer.h"

std::vector<uint8_t> briefModule()
{
    XmPattern pattern = blankXmPattern(16, 2);
    for (int row = 0; row < 16; row += 2) {
        xmCell(pattern, 2, row, 0) = {static_cast<uint8_t>(49 + row), 1, 0, 0, 0};
    }
    // Tempo 200, speed 1, a row three ticks long, speed 3, the end.
    const uint8_t effects[][3] = {{4, 0x0F, 200}, {8, 0x0F, 1}, {10, 0x0E, 0xE2}, {11, 0x0F, 3}, {12, 0x0D, 0}};
    for (const auto& effect : effects) {
        xmCell(pattern, 2, effect[0], 1) = {0, 0, 0, effect[1], effect[2]};
    }
    XmSample square{"square", std::vector<int16_t>(64, 6000), true, 0, 64, 48, 0, 128, 0};
    std::fill(square.frames.begin() + 32, square.frames.end(), -6000);
    return encodeXm({"brief", "tests", 2, 2, 250, {0}, {pattern}, {{"square", square, {}, -1, 0, 0, 0, 0}}});
}

std::string TempFolder::write(const char* name, const std::vector<uint8_t>& bytes) const
{
    std::string file = path + "/" + name;
    std::ofstream out(file, std::ios::binary);
    EXPECT_TRUE(out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size()).flush()) << file;
    return file;
}
