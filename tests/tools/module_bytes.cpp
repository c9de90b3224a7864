#include "tests/tools/module_bytes.h"

#include <fstream>
#include <iterator>

std::vector<uint8_t> readFileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

uint32_t read16(const std::vector<uint8_t>& bytes, size_t at)
{
    return bytes.at(at) | bytes.at(at + 1) << 8;
}

uint32_t read32(const std::vector<uint8_t>& bytes, size_t at)
{
    return read16(bytes, at) | read16(bytes, at + 2) << 16;
}

std::vector<float> renderSong(openmpt::module& song)
{
    std::vector<float> samples;
    std::vector<float> block(2 * 1024);
    for (;;) {
        size_t frames = song.read_interleaved_stereo(kRenderRate, 1024, block.data());
        if (frames == 0)
            break;
        samples.insert(samples.end(), block.begin(), block.begin() + 2 * frames);
    }
    return samples;
}
