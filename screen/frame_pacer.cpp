#include "screen/frame_pacer.h"

#include "platform/clock.h"

namespace {
uint32_t tickMark = 0;
}

uint32_t markTick()
{
    tickMark = tickCount();
    return tickMark;
}

// Unsigned subtraction is modulo 2^32, so the wait is right across the wrap.
void waitSinceMark(uint32_t interval)
{
    while (static_cast<uint32_t>(tickCount() - tickMark) < interval) {
    }
}
