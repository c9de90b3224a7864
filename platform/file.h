#pragma once
// Reading a whole file into memory.

#include <cstdint>
#include <vector>

// Reads a whole regular file of 1 to `largest` bytes into bytes. Anything
// else (missing, a directory, a FIFO, a device, unreadable, empty, too large,
// no memory for it) gives false at once, without waiting for a writer.
bool readWholeFile(const char* fileName, int64_t largest, std::vector<uint8_t>& bytes);
