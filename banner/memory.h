#pragma once
// Every allocation of the banners goes through here, so that running out of
// memory always ends the same way. One real implementation (memory_malloc.cpp);
// a test build can make the Nth allocation fail.

#include <cstddef>

// Returns `size` bytes (a usable block even for 0), or nullptr when memory is
// exhausted.
void* allocateBytes(size_t size);

// Gives back a block from allocateBytes.
void releaseBytes(void* bytes);

// Prints the out-of-memory message and a line feed to standard output and
// ends the process with status 1.
[[noreturn]] void reportOutOfMemory();
