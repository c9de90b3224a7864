#pragma once
// A terminal that is a byte sink: every frame is encoded as the POSIX
// terminal encodes it and lands in sinkBytes, one entry of sinkWrites per
// frame.

#include <cstdint>
#include <string>
#include <vector>

extern std::string sinkBytes;
extern std::vector<size_t> sinkWrites;  // size of each frame's write, in order
extern std::vector<uint32_t> sinkWriteTicks;  // the scripted clock at each
extern bool sinkUtf8;                   // whether the terminal expects UTF-8
extern int sinkRows;                    // the terminal's size
extern int sinkColumns;
extern bool sinkRepaintPending;         // what terminalNeedsRepaint answers once
extern bool sinkRepaintAlways;          // ... or for every frame

// Empties the sink and the counters (the terminal's size and character set
// stay).
void resetSink();
