#include "tests/fakes/refusing_allocator.h"

#include <cstdlib>
#include <vector>

#include "platform/allocator.h"

int allocationCalls = 0;
int refuseCall = 0;
static std::vector<void*>* const blocks = new std::vector<void*>;

void* allocateBytes(size_t size)
{
    if (++allocationCalls > refuseCall && refuseCall != 0) std::abort();
    if (allocationCalls == refuseCall) return nullptr;
    blocks->push_back(std::malloc(size == 0 ? 1 : size));
    return blocks->back();
}

void releaseBytes(void* bytes) { std::free(bytes); }
