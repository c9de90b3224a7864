#pragma once
// A tick counter that tests drive: every reading returns scriptedTicks and
// then adds scriptedStep to it; sleepMillis adds the time slept.

#include <cstdint>

extern uint32_t scriptedTicks;
extern uint32_t scriptedStep;
extern uint64_t scriptedReadings;  // how many times the counter was read
