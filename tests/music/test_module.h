#pragma once
// A small XM module the tests write byte by byte: two channels playing a
// looped 16-bit square wave over orders 0, 1, 2, 0 (patterns of 64, 32 and
// 64 rows), with changes of tempo (137 and 150 BPM) and speed (4), a pattern
// delay and a pattern break, so that rows come in several lengths.

#include <cstdint>
#include <vector>

constexpr int kTestModuleOrders = 4;
constexpr int kTestModuleRowsPlayed = 64 + 32 + 48 + 64;

std::vector<uint8_t> makeTestModule();

// One order of 16 rows at speed 2 and 250 BPM: 20 ms a row, 0.32 s in all.
constexpr int kBriefModuleRows = 16;
constexpr double kBriefModuleSeconds = 0.32;
std::vector<uint8_t> makeBriefTestModule();

// Writes bytes to a file; true on success.
bool writeFileBytes(const char* fileName, const std::vector<uint8_t>& bytes);
