#include "tests/fakes/fixed_calendar.h"

#include "platform/calendar.h"

int64_t fixedSeconds = 0;

int64_t calendarSeconds() { return fixedSeconds; }
