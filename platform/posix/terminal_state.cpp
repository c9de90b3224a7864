#include "platform/posix/terminal_state.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr int kOutput = STDOUT_FILENO;

// CAN first: a terminal in the middle of a control sequence drops it and
// reads what follows as new.
constexpr char kRestore[] = "\x18\x1b[?2026l\x1b[?7h\x1b[?25h\x1b[24;1H\r\n";
// Wrap off: a run at the right edge of a terminal narrower than the
// picture stays in its last column instead of wrapping or scrolling.
constexpr char kTakeOver[] = "\x1b[?25l\x1b[?7l";

bool isTerminal = false;
bool isPipe = false;
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

bool writeAll(int fd, const char* bytes, unsigned long count)
{
    while (count > 0) {
        ssize_t written = write(fd, bytes, count);
        if (written > 0) {
            bytes += written;
            count -= static_cast<unsigned long>(written);
        } else if (written < 0 && errno == EAGAIN) {
            pollfd ready = {fd, POLLOUT, 0};
            if (poll(&ready, 1, 1000) <= 0)
                return false;
        } else if (!(written < 0 && errno == EINTR)) {
            return false;
        }
    }
    return true;
}

bool readerGone()
{
    pollfd output = {kOutput, 0, 0};
    return poll(&output, 1, 0) == 1 && (output.revents & POLLERR);
}

// Whether the pipe's reader shows what is in it. The same Ctrl-C may end it
// a moment after the write went in, even after it read the bytes and before
// it wrote them on: so once the pipe is empty, the reader must still be
// there a little later. A reader that is alive but slow is left to it.
bool readerTakesPipe()
{
    constexpr int kTriesToEmpty = 100;
    constexpr int kTriesStillThere = 50;
    const timespec nap = {0, 1000 * 1000};
    int tries = 0;
    for (int unread = 1; tries < kTriesToEmpty && unread > 0; ++tries) {
        if (readerGone())
            return false;
        if (ioctl(kOutput, FIONREAD, &unread) != 0)
            return true;
        if (unread > 0)
            nanosleep(&nap, nullptr);
    }
    for (int i = 0; i < kTriesStillThere; ++i) {
        if (readerGone())
            return false;
        nanosleep(&nap, nullptr);
    }
    return true;
}

// The restore into a pipe whose reader has gone (the shell's Ctrl-C ends
// `textdemo | cat` as well): the broken pipe must neither end the demo by
// the wrong signal nor keep the cursor hidden, so the bytes go to the
// controlling terminal, if the demo holds its foreground. A pipe with a
// reader, or a file, is never second-guessed.
void writeRestore()
{
    struct sigaction ignore, before;
    memset(&ignore, 0, sizeof ignore);
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &before);
    bool written = writeAll(kOutput, kRestore, sizeof kRestore - 1);
    bool toTerminal = written ? isPipe && !readerTakesPipe() : errno == EPIPE;
    sigaction(SIGPIPE, &before, nullptr);
    if (!toTerminal)
        return;
    int terminal = open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (terminal < 0)
        return;
    if (tcgetpgrp(terminal) == getpgrp())
        writeAll(terminal, kRestore, sizeof kRestore - 1);
    close(terminal);
}

}  // namespace

bool writeAllOutput(const char* bytes, unsigned long count) { return writeAll(kOutput, bytes, count); }

void terminalStateStart()
{
    isTerminal = isatty(kOutput) && tcgetattr(kOutput, &savedModes) == 0;
    struct stat output;
    isPipe = fstat(kOutput, &output) == 0 && S_ISFIFO(output.st_mode);
    quietModes = savedModes;
    // Keys typed during the show must not scribble on the picture.
    quietModes.c_lflag &= ~(ECHO | ECHONL);
}

bool mayUseTerminal() { return !isTerminal || tcgetpgrp(kOutput) == getpgrp(); }

void takeTerminal()
{
    if (!mayUseTerminal())
        return;
    int savedErrno = errno;
    sigset_t before;
    blockTerminalStops(&before);
    if (isTerminal)
        tcsetattr(kOutput, TCSADRAIN, &quietModes);
    writeAllOutput(kTakeOver, sizeof kTakeOver - 1);
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
    writeRestore();
    if (isTerminal)
        tcsetattr(kOutput, TCSAFLUSH, &savedModes);
    unblockTerminalStops(&before);
    errno = savedErrno;
}
