// The clocks on Windows: the performance counter for time, and waitable
// timers for sleeping, each wait checked against the counter so that none
// ends early.

#include <windows.h>
#include <mmsystem.h>

#include "platform/clock.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace {

constexpr int64_t kNanosPerTimerTick = 100;  // waitable timers count 100 ns
constexpr int64_t kBriefNanos = 100000;

int64_t counterFrequency()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

// Each thread waits on a timer of its own. A high-resolution timer where the
// system has them; otherwise an ordinary one, at the finest period the
// system timer offers.
HANDLE threadTimer()
{
    thread_local HANDLE timer = nullptr;
    if (timer == nullptr) {
        timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                       TIMER_ALL_ACCESS);
        if (timer == nullptr) {
            static const bool finePeriod = timeBeginPeriod(1) == TIMERR_NOERROR;
            (void)finePeriod;
            timer = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
        }
    }
    return timer;
}

void waitNanos(int64_t nanos)
{
    HANDLE timer = threadTimer();
    LARGE_INTEGER due;
    due.QuadPart = -(nanos + kNanosPerTimerTick - 1) / kNanosPerTimerTick;  // negative: relative
    if (timer != nullptr && SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
        WaitForSingleObject(timer, INFINITE);
    } else {
        Sleep(static_cast<DWORD>(nanos / kNanosPerMilli + 1));
    }
}

}  // namespace

int64_t monotonicNanos()
{
    static const int64_t frequency = counterFrequency();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    int64_t seconds = now.QuadPart / frequency;
    int64_t rest = now.QuadPart % frequency;
    return seconds * kNanosPerSecond + rest * kNanosPerSecond / frequency;
}

void sleepUntilNanos(int64_t nanos)
{
    for (int64_t left = nanos - monotonicNanos(); left > 0; left = nanos - monotonicNanos()) {
        waitNanos(left);
    }
}

// The performance counter counts from system start, so its milliseconds are
// well above 30.
uint32_t tickCount() { return static_cast<uint32_t>(monotonicNanos() / kNanosPerMilli); }

void sleepMillis(uint32_t ms)
{
    sleepUntilNanos(monotonicNanos() + (ms == 0 ? kBriefNanos : int64_t{ms} * kNanosPerMilli));
}
