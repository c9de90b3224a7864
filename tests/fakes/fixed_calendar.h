#pragma once
// The calendar's seconds, held where a test puts them.

#include <cstdint>

extern int64_t fixedSeconds;
