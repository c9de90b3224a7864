// The terminal on POSIX: standard output, with echo off while the demo runs
// and everything put back at every way out: the normal end, error exits,
// signals that end it or crash it, and a stop with Ctrl-Z. Each frame is one
// write of ECMA-48 bytes. On a pipe or a file the frames go out the same, as
// to an 80 x 24 terminal, and the stream ends with the cursor shown. The
// last picture stays on screen.

#include "platform/terminal.h"

#include <langinfo.h>
#include <locale.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/posix/frame_encoding.h"
#include "platform/posix/quiet_stderr.h"
#include "platform/posix/signals.h"
#include "platform/posix/terminal_state.h"

namespace {

bool started = false;
TerminalShape shape = {kTerminalRows, kTerminalColumns, false};

void giveBackAtExit() { giveTerminalBack(); }

bool localeIsUtf8()
{
    setlocale(LC_CTYPE, "");
    return strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
}

// Every resize asks for a repaint, and every repaint reads the size.
void readTerminalSize()
{
    winsize size;
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0) {
        shape.rows = size.ws_row;
        shape.columns = size.ws_col;
    }
}

}  // namespace

void terminalStart()
{
    if (started)
        return;
    started = true;
    shape.utf8 = localeIsUtf8();
    terminalStateStart();
    silenceStderrOnTerminal();
    atexit(giveBackAtExit);
    installSignalHandling();
    takeTerminal();
}

void terminalBeginFrame(bool clear)
{
    if (clear)
        readTerminalSize();
    beginEncodedFrame(clear, shape);
}

void terminalPutRun(int32_t row, int32_t column, int32_t count, const uint8_t* rowCells)
{
    encodeRun(row, column, count, rowCells);
}

// A demo in the background draws nothing: the shell owns the screen then.
// A frame that does not reach the screen whole, for that reason or any
// other, leaves it unknown, so the next one repaints it.
void terminalEndFrame()
{
    size_t size = 0;
    bool whole = false;
    const char* bytes = endEncodedFrame(&size, &whole);
    if (mayUseTerminal()) {
        sigset_t before;
        holdSignalsForWrite(&before);
        whole = writeAllOutput(bytes, size) && whole;
        releaseSignalsAfterWrite(&before);
    } else {
        whole = false;
    }
    if (!whole)
        requestRepaint();
}

bool terminalNeedsRepaint() { return takeRepaintRequest(); }

void terminalEnd() { giveTerminalBack(); }
