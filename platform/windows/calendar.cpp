// The calendar time from the system clock, in seconds since 1970.

#include <windows.h>

#include "platform/calendar.h"

int64_t calendarSeconds()
{
    constexpr int64_t kTicksPerSecond = 10000000;           // FILETIME counts 100 ns
    constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    int64_t ticks = (static_cast<int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return ticks / kTicksPerSecond - kSecondsFrom1601To1970;
}
