#include "tests/fakes/scripted_clock.h"

#include "screen/tick_clock.h"

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
