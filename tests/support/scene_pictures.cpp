#include "tests/support/scene_pictures.h"

#include <algorithm>
#include <cstdint>

bool showsTheBall(const std::string& picture) { return std::count(picture.begin(), picture.end(), '.') > 1000; }

int helixCore(const std::string& picture)
{
    int found = -1, mostCores = -1;
    for (int column = 0; column < 80; ++column) {
        int core = 0, letters = 0;
        for (int row = 1; row < 24; ++row) {
            uint8_t cell = static_cast<uint8_t>(picture[row * 80 + column]);
            core += cell == 'I' || cell == kDarkShade;
            letters += cell == 'I';
        }
        if (core == 23 && letters > mostCores) {
            found = column;
            mostCores = letters;
        }
    }
    return found;
}

std::vector<size_t> sceneCuts(const std::vector<std::string>& pictures)
{
    std::vector<size_t> cuts;
    int lastCore = -1;
    for (size_t index = 0; index < pictures.size() && cuts.size() < 5; ++index) {
        const std::string& picture = pictures[index];
        const int core = helixCore(picture);
        bool cut = false;
        switch (cuts.size()) {
        case 0: cut = showsTheBall(picture); break;
        case 1: cut = core >= 0; break;
        case 2: cut = core > 10; break;
        case 3: cut = core >= 0 && core < lastCore; break;
        default: cut = std::count(picture.begin(), picture.end(), '8') > 300; break;
        }
        if (cut)
            cuts.push_back(index);
        lastCore = core;
    }
    return cuts;
}
