// The priority of the thread that renders the sound. Apart from the output,
// so that what only renders (a test, a benchmark) links without a device.

#include <pthread.h>
#include <sched.h>

#include "platform/sound_output.h"

void favourSoundThread()
{
    sched_param priority = {};
    priority.sched_priority = sched_get_priority_min(SCHED_FIFO);
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);
}
