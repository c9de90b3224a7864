#include "platform/clock.h"

#include <time.h>

#include <cerrno>

static timespec timespecOf(int64_t nanos)
{
    timespec at;
    at.tv_sec = static_cast<time_t>(nanos / kNanosPerSecond);
    at.tv_nsec = static_cast<long>(nanos % kNanosPerSecond);
    return at;
}

int64_t monotonicNanos()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * kNanosPerSecond + now.tv_nsec;
}

void sleepUntilNanos(int64_t nanos)
{
    timespec until = timespecOf(nanos);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

// The monotonic clock counts from boot, so its milliseconds are well above 30.
uint32_t tickCount() { return static_cast<uint32_t>(monotonicNanos() / kNanosPerMilli); }

void sleepMillis(uint32_t ms)
{
    constexpr int64_t kBriefNanos = 100000;
    sleepUntilNanos(monotonicNanos() + (ms == 0 ? kBriefNanos : int64_t{ms} * kNanosPerMilli));
}
