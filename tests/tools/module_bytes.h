#pragma once
// Helpers for the module tests: file bytes, little-endian reads, loading
// through libopenmpt with its log captured, and a stereo render.

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include <libopenmpt/libopenmpt.hpp>

std::vector<uint8_t> readFileBytes(const std::string& path);
uint32_t read16(const std::vector<uint8_t>& bytes, size_t at);
uint32_t read32(const std::vector<uint8_t>& bytes, size_t at);

// Interleaved stereo float at 44100 Hz, default render settings, played
// once to its end.
std::vector<float> renderSong(openmpt::module& song);
constexpr int kRenderRate = 44100;
