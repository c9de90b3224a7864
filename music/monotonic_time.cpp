#include "music/monotonic_time.h"

#include <time.h>

#include <cerrno>

static constexpr int64_t kNanosPerSecond = 1000000000;

int64_t monotonicNanos()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * kNanosPerSecond + now.tv_nsec;
}

void sleepUntilNanos(int64_t nanos)
{
    struct timespec until;
    until.tv_sec = static_cast<time_t>(nanos / kNanosPerSecond);
    until.tv_nsec = static_cast<long>(nanos % kNanosPerSecond);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}
