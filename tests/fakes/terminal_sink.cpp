#include "tests/fakes/terminal_sink.h"

#include "platform/terminal.h"

std::string sinkBytes;
std::vector<size_t> sinkWrites;
bool sinkUtf8 = true;
bool sinkRepaintPending = false;
int sinkStarts = 0;
int sinkEnds = 0;

void resetSink()
{
    sinkBytes.clear();
    sinkWrites.clear();
    sinkRepaintPending = false;
    sinkStarts = 0;
    sinkEnds = 0;
}

void terminalStart() { ++sinkStarts; }

bool terminalSpeaksUtf8() { return sinkUtf8; }

void terminalWrite(const char* bytes, size_t count)
{
    sinkBytes.append(bytes, count);
    sinkWrites.push_back(count);
}

bool terminalNeedsRepaint()
{
    bool pending = sinkRepaintPending;
    sinkRepaintPending = false;
    return pending;
}

void terminalEnd() { ++sinkEnds; }
