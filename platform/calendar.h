#pragma once
// The calendar time in whole seconds, which seeds the bursts' generator.

#include <cstdint>

int64_t calendarSeconds();
