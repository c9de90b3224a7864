#include "tests/banner/failing_allocator.h"

#include <algorithm>
#include <cstdlib>

#include "banner/memory.h"

int allocationCalls = 0;
int refuseCall = 0;
std::vector<size_t> allocationSizes;
std::FILE* allocationLog = nullptr;

static std::vector<void*> liveBlockList;

void* allocateBytes(size_t size)
{
    ++allocationCalls;
    allocationSizes.push_back(size);
    bool refused = allocationCalls == refuseCall;
    if (allocationLog != nullptr) {
        std::fprintf(allocationLog, "%d %zu %s\n", allocationCalls, size,
                     refused ? "refused" : "given");
        std::fflush(allocationLog);
    }
    if (refused) return nullptr;
    void* block = std::malloc(size == 0 ? 1 : size);
    liveBlockList.push_back(block);
    return block;
}

void releaseBytes(void* bytes)
{
    auto found = std::find(liveBlockList.begin(), liveBlockList.end(), bytes);
    if (found == liveBlockList.end()) std::abort();  // not ours, or released twice
    liveBlockList.erase(found);
    std::free(bytes);
}

size_t liveBlocks() { return liveBlockList.size(); }

void resetAllocator()
{
    for (void* block : liveBlockList) std::free(block);
    liveBlockList.clear();
    allocationCalls = 0;
    refuseCall = 0;
    allocationSizes.clear();
    allocationLog = nullptr;
}
