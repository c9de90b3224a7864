#pragma once
// What the music tests share: a short module of their own, written by the
// project's XM writer, and a temporary folder that goes with its owner.

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// One order, rows of several lengths: 20 ms at first, then a change of
// tempo, a change of speed and a pattern delay; a pattern break ends the
// song after row kBriefLastRow, about 0.3 s in.
constexpr int kBriefLastRow = 12;
std::vector<uint8_t> briefModule();

struct TempFolder {
    std::string path = [] { char name[] = "/tmp/music-test-XXXXXX"; return std::string(mkdtemp(name)); }();
    ~TempFolder() { std::filesystem::remove_all(path); }
    std::string write(const char* name, const std::vector<uint8_t>& bytes) const;  // the file's path
};
