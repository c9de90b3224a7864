#pragma once
// The monotonic clock in nanoseconds, and sleeping until a moment on it.

#include <cstdint>

int64_t monotonicNanos();
void sleepUntilNanos(int64_t nanos);
