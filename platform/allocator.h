#pragma once
// The platform's allocator, through which every banner allocation goes, so
// that running out of memory always ends the same way; a test build can make
// any allocation fail.

#include <cstddef>

// Returns `size` bytes (a usable block even for 0), or nullptr when memory is
// exhausted.
void* allocateBytes(size_t size);

// Gives back a block from allocateBytes.
void releaseBytes(void* bytes);
