#pragma once
// The platform's millisecond tick counter: monotonic, unsigned 32-bit,
// wrapping modulo 2^32, its first reading above 30. One real implementation
// (tick_clock_posix.cpp); tests link a scripted clock.

#include <cstdint>

uint32_t tickCount();
