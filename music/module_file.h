#pragma once
// Reading a module file into memory and handing it to libopenmpt.

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <vector>

namespace openmpt {
class module;
}

constexpr int64_t kLargestModuleBytes = int64_t{64} << 20;

// Reads a whole regular file of 1 to kLargestModuleBytes bytes. Anything else
// (missing, a directory, a FIFO, a device, unreadable, empty, too large) gives
// false at once: the file is opened non-blocking and checked before reading.
bool readModuleFile(const char* fileName, std::vector<uint8_t>& bytes);

// The module in bytes, set to play once and stop exactly at its end, or null
// when libopenmpt refuses it. libopenmpt writes its messages to log, which
// must live as long as the module.
std::unique_ptr<openmpt::module> openModule(const std::vector<uint8_t>& bytes, std::ostream& log);

// readModuleFile, then openModule.
std::unique_ptr<openmpt::module> loadModule(const char* fileName, std::ostream& log);
