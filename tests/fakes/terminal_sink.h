#pragma once
// A terminal that is a byte sink: everything the console writes lands in
// sinkBytes, one entry of sinkWrites per write.

#include <string>
#include <vector>

extern std::string sinkBytes;
extern std::vector<size_t> sinkWrites;  // size of each write, in order
extern bool sinkUtf8;                   // what terminalSpeaksUtf8 answers
extern bool sinkRepaintPending;         // what terminalNeedsRepaint answers once
extern int sinkStarts;                  // calls of terminalStart
extern int sinkEnds;                    // calls of terminalEnd

// Empties the sink and the counters (the UTF-8 flag stays).
void resetSink();
