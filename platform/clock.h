#pragma once
// The platform's clocks: one monotonic clock, read in nanoseconds or as a
// wrapping millisecond tick counter, and sleeping against it.

#include <cstdint>

constexpr int64_t kNanosPerSecond = 1000000000;
constexpr int64_t kNanosPerMilli = 1000000;

// Nanoseconds on the monotonic clock.
int64_t monotonicNanos();

// Sleeps until monotonicNanos() has reached nanos (returns at once if it has).
void sleepUntilNanos(int64_t nanos);

// Milliseconds since system start on the same clock, unsigned 32-bit and
// wrapping modulo 2^32; its first reading is above 30.
uint32_t tickCount();

// Sleeps about ms milliseconds (never less), or briefly (a fraction of a
// millisecond) for 0.
void sleepMillis(uint32_t ms);
