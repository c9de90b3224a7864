#pragma once
// The module's instruments, numbered as SongInstrument (score.h).

#include <vector>

#include "tools/xm_writer.h"

std::vector<XmInstrument> makeInstruments();
