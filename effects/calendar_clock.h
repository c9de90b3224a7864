#pragma once
// The calendar time in whole seconds, which seeds the bursts' generator.
// One real implementation (calendar_clock_time.cpp); tests hold it fixed.

#include <cstdint>

int64_t calendarSeconds();
