// Allocation on the process heap.

#include <windows.h>

#include "platform/allocator.h"

void* allocateBytes(size_t size)
{
    // A zero-byte block is still a block: never read as exhausted memory.
    return HeapAlloc(GetProcessHeap(), 0, size == 0 ? 1 : size);
}

void releaseBytes(void* bytes)
{
    if (bytes != nullptr)
        HeapFree(GetProcessHeap(), 0, bytes);
}
