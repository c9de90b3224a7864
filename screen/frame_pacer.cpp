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
// It sleeps while more than a millisecond is left, and naps briefly through
// the last one: the wait ends within a fraction of a millisecond of the
// deadline without holding a processor the sound may need.
void waitSinceMark(uint32_t interval)
{
    for (;;) {
        uint32_t elapsed = tickCount() - tickMark;
        if (elapsed >= interval) {
            return;
        }
        sleepMillis(interval - elapsed - 1);
    }
}
