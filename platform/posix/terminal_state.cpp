#include "platform/posix/terminal_state.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kOutput = STDOUT_FILENO;

// CAN first: a terminal in the middle of a control sequence drops it and
// reads what follows as new.
constexpr char kRestore[] = "\x18\x1b[?2026l\x1b[?7h\x1b[?25h\x1b[24;1H\r\n";
constexpr char kHideCursor[] = "\x1b[?25l";

bool isTerminal = false;
termios savedModes;
termios quietModes;
volatile sig_atomic_t givenBack = 0;

// Terminal calls from a process that lost the foreground in between would
// stop it with SIGTTOU; blocked, the call goes through instead.
void blockTerminalStops(sigset_t* before)
{
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTTOU);
    sigaddset(&stops, SIGTTIN);
    pthread_sigmask(SIG_BLOCK, &stops, before);
}

void unblockTerminalStops(const sigset_t* before) { pthread_sigmask(SIG_SETMASK, before, nullptr); }

}  // namespace

void writeAllOutput(const char* bytes, unsigned long count)
{
    while (count > 0) {
        ssize_t written = write(kOutput, bytes, count);
        if (written > 0) {
            bytes += written;
            count -= static_cast<unsigned long>(written);
        } else if (written < 0 && errno == EAGAIN) {
            pollfd ready = {kOutput, POLLOUT, 0};
            if (poll(&ready, 1, 1000) <= 0)
                return;
        } else if (!(written < 0 && errno == EINTR)) {
            return;
        }
    }
}

void terminalStateStart()
{
    isTerminal = isatty(kOutput) && tcgetattr(kOutput, &savedModes) == 0;
    quietModes = savedModes;
    // Keys typed during the show must not scribble on the picture.
    quietModes.c_lflag &= ~(ECHO | ECHONL);
}

bool mayUseTerminal() { return !isTerminal || tcgetpgrp(kOutput) == getpgrp(); }

void takeTerminal(bool hideCursor)
{
    if (!mayUseTerminal())
        return;
    int savedErrno = errno;
    sigset_t before;
    blockTerminalStops(&before);
    if (isTerminal)
        tcsetattr(kOutput, TCSADRAIN, &quietModes);
    if (hideCursor)
        writeAllOutput(kHideCursor, sizeof kHideCursor - 1);
    givenBack = 0;
    unblockTerminalStops(&before);
    errno = savedErrno;
}

void giveTerminalBack()
{
    if (givenBack || !mayUseTerminal())
        return;
    int savedErrno = errno;
    sigset_t before;
    blockTerminalStops(&before);
    givenBack = 1;
    writeAllOutput(kRestore, sizeof kRestore - 1);
    if (isTerminal)
        tcsetattr(kOutput, TCSAFLUSH, &savedModes);
    unblockTerminalStops(&before);
    errno = savedErrno;
}
