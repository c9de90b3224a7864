// make_module [--fast] OUTPUT.xm: writes the demo's song, or with --fast
// the same song at a tempo that plays it through in about eight seconds.

#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/song.h"
#include "tools/xm_writer.h"

int main(int argc, char** argv)
{
    bool fast = argc == 3 && std::strcmp(argv[1], "--fast") == 0;
    if (argc != 2 + (fast ? 1 : 0) || argv[argc - 1][0] == '-') {
        std::fprintf(stderr, "usage: make_module [--fast] OUTPUT.xm\n");
        return 2;
    }
    const char* path = argv[argc - 1];
    std::vector<uint8_t> bytes = encodeXm(composeSong(fast));
    std::FILE* file = std::fopen(path, "wb");
    if (!file) {
        std::perror(path);
        return 1;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) {
        std::perror(path);
        return 1;
    }
    return 0;
}
