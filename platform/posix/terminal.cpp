// The terminal on POSIX: standard output, with echo off while the demo runs
// and everything put back at every way out: the normal end, error exits,
// signals that end it or crash it, and a stop with Ctrl-Z. On a pipe or a
// file the frames go out the same and the stream ends with the cursor shown.
// The last picture stays on screen.

#include "platform/terminal.h"

#include <langinfo.h>
#include <locale.h>
#include <stdlib.h>
#include <string.h>

#include "platform/posix/quiet_stderr.h"
#include "platform/posix/signals.h"
#include "platform/posix/terminal_state.h"

namespace {

bool started = false;

void giveBackAtExit() { giveTerminalBack(); }

bool localeIsUtf8()
{
    setlocale(LC_CTYPE, "");
    return strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
}

}  // namespace

void terminalStart()
{
    if (started)
        return;
    started = true;
    terminalStateStart();
    silenceStderrOnTerminal();
    atexit(giveBackAtExit);
    installSignalHandling();
    takeTerminal(false);
}

bool terminalSpeaksUtf8()
{
    static const bool utf8 = localeIsUtf8();
    return utf8;
}

// A demo in the background draws nothing: the shell owns the screen then,
// and the continue into the foreground repaints it.
void terminalWrite(const char* bytes, size_t count)
{
    if (!mayUseTerminal())
        return;
    sigset_t before;
    holdSignalsForWrite(&before);
    writeAllOutput(bytes, count);
    releaseSignalsAfterWrite(&before);
}

bool terminalNeedsRepaint() { return takeRepaintRequest(); }

void terminalEnd() { giveTerminalBack(); }
