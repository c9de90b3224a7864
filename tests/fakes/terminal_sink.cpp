#include "tests/fakes/terminal_sink.h"

#include "platform/posix/frame_encoding.h"
#include "platform/terminal.h"
#include "tests/fakes/scripted_clock.h"

std::string sinkBytes;
std::vector<size_t> sinkWrites;
std::vector<uint32_t> sinkWriteTicks;
bool sinkUtf8 = true;
int sinkRows = kTerminalRows;
int sinkColumns = kTerminalColumns;
bool sinkRepaintPending = false;
bool sinkRepaintAlways = false;

void resetSink()
{
    sinkBytes.clear();
    sinkWrites.clear();
    sinkWriteTicks.clear();
    sinkRepaintPending = false;
}

void terminalStart() {}

void terminalBeginFrame(bool clear) { beginEncodedFrame(clear, TerminalShape{sinkRows, sinkColumns, sinkUtf8}); }

void terminalPutRun(int32_t row, int32_t column, int32_t count, const uint8_t* rowCells)
{
    encodeRun(row, column, count, rowCells);
}

void terminalEndFrame()
{
    size_t size = 0;
    bool whole = false;
    const char* bytes = endEncodedFrame(&size, &whole);
    sinkBytes.append(bytes, size);
    sinkWrites.push_back(size);
    sinkWriteTicks.push_back(scriptedTicks);
}

bool terminalNeedsRepaint()
{
    bool pending = sinkRepaintPending;
    sinkRepaintPending = false;
    return pending || sinkRepaintAlways;
}

void terminalEnd() {}
