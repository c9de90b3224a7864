#include "platform/calendar.h"

#include <ctime>

int64_t calendarSeconds() { return static_cast<int64_t>(std::time(nullptr)); }
