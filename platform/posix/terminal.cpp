// The terminal on POSIX: standard output, with echo off while the demo runs
// and everything put back at every way out (normal end, error exits, the
// usual signals, and a stop with Ctrl-Z). The last picture stays on screen.

#include "platform/terminal.h"

#include <errno.h>
#include <langinfo.h>
#include <locale.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kOutput = STDOUT_FILENO;

bool started = false;
bool ownsTerminal = false;  // standard output is a terminal we changed
termios savedModes;
volatile sig_atomic_t repaintPending = 0;

// Completes partial writes and EINTR; waits briefly when the terminal is
// non-blocking and full; gives up on any other error. Async-signal-safe.
void writeAll(const char* bytes, size_t count)
{
    while (count > 0) {
        ssize_t written = write(kOutput, bytes, count);
        if (written > 0) {
            bytes += written;
            count -= static_cast<size_t>(written);
        } else if (written < 0 && errno == EAGAIN) {
            pollfd ready = {kOutput, POLLOUT, 0};
            if (poll(&ready, 1, 1000) <= 0)
                return;
        } else if (!(written < 0 && errno == EINTR)) {
            return;
        }
    }
}

void writeText(const char* text) { writeAll(text, strlen(text)); }

// Echo off, so keys typed during the show do not scribble on the picture.
void quietTerminal()
{
    termios quiet = savedModes;
    quiet.c_lflag &= ~(ECHO | ECHONL);
    tcsetattr(kOutput, TCSADRAIN, &quiet);
}

// Ends any half-written frame, shows the cursor below the picture and puts
// the saved modes back, dropping keys typed during the show. Async-signal-safe.
void releaseTerminal()
{
    writeText("\x1b[?2026l\x1b[?25h\x1b[24;1H\r\n");
    tcsetattr(kOutput, TCSAFLUSH, &savedModes);
}

void releaseAtExit()
{
    if (ownsTerminal)
        releaseTerminal();
}

void endOnSignal(int signal)
{
    releaseTerminal();
    _exit(128 + signal);
}

void installHandler(int signal, void (*handler)(int))
{
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

// Ctrl-Z: give the terminal back, stop, and on return take it again; the
// screen may have changed meanwhile, so the next write repaints it whole.
void stopOnSignal(int)
{
    int savedErrno = errno;
    releaseTerminal();
    installHandler(SIGTSTP, SIG_DFL);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    raise(SIGTSTP);
    // Continued.
    installHandler(SIGTSTP, stopOnSignal);
    quietTerminal();
    writeText("\x1b[?25l");
    repaintPending = 1;
    errno = savedErrno;
}

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
    if (!isatty(kOutput) || tcgetattr(kOutput, &savedModes) != 0)
        return;
    ownsTerminal = true;
    atexit(releaseAtExit);
    installHandler(SIGINT, endOnSignal);
    installHandler(SIGTERM, endOnSignal);
    installHandler(SIGHUP, endOnSignal);
    installHandler(SIGQUIT, endOnSignal);
    installHandler(SIGTSTP, stopOnSignal);
    quietTerminal();
}

bool terminalSpeaksUtf8()
{
    static const bool utf8 = localeIsUtf8();
    return utf8;
}

void terminalWrite(const char* bytes, size_t count) { writeAll(bytes, count); }

bool terminalNeedsRepaint()
{
    if (!repaintPending)
        return false;
    repaintPending = 0;
    return true;
}
