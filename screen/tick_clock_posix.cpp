#include "screen/tick_clock.h"

#include <time.h>

// Milliseconds since boot, truncated to 32 bits like the counter it stands in for.
uint32_t tickCount()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                                 static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}
