#include "tests/fakes/scripted_clock.h"

#include "platform/clock.h"

uint32_t scriptedTicks = 1000;
uint32_t scriptedStep = 1;
uint64_t scriptedReadings = 0;

uint32_t tickCount()
{
    ++scriptedReadings;
    uint32_t reading = scriptedTicks;
    scriptedTicks += scriptedStep;
    return reading;
}

// Sleeping moves the script on by the time slept; a brief nap (0) by a
// whole tick, the counter's grain.
void sleepMillis(uint32_t ms) { scriptedTicks += ms == 0 ? 1 : ms; }
