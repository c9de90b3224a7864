#pragma once
// Keeps frames at least a given number of milliseconds apart: a remembered
// tick and a wait against it.

#include <cstdint>

// The tick mark := the tick counter's reading, which is also returned.
uint32_t markTick();

// Returns once at least `interval` ms have passed since the tick mark,
// counting modulo 2^32, and never earlier; it sleeps meanwhile. With the mark
// still 0 the first wait ends at once.
void waitSinceMark(uint32_t interval);
