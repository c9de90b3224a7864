#pragma once
// Keeps frames at least a given number of milliseconds apart: a remembered
// tick and a busy wait against it.

#include <cstdint>

// The tick mark := the tick counter's reading, which is also returned.
uint32_t markTick();

// Spins until at least `interval` ms have passed since the tick mark,
// counting modulo 2^32. With the mark still 0 the first wait ends at once.
void waitSinceMark(uint32_t interval);
