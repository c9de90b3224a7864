#pragma once
// The tests' allocateBytes: counts the calls, can refuse the Nth, can log
// every call to a file, and keeps every live block reachable so that banners
// the tests never release are not reported as leaks.

#include <cstddef>
#include <cstdio>
#include <vector>

extern int allocationCalls;                 // calls of allocateBytes so far
extern int refuseCall;                      // the call that returns nullptr; 0: none
extern std::vector<size_t> allocationSizes; // size asked by each call, in order
extern std::FILE* allocationLog;            // when set: one line per call, flushed

// Number of blocks handed out and not yet released.
size_t liveBlocks();

// Frees every live block and clears the counters, the log and the refusal.
void resetAllocator();
