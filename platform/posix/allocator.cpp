#include <cstdlib>

#include "platform/allocator.h"

void* allocateBytes(size_t size)
{
    // malloc(0) may answer nullptr, which would read as exhausted memory.
    return std::malloc(size == 0 ? 1 : size);
}

void releaseBytes(void* bytes) { std::free(bytes); }
