#include "platform/posix/signals.h"

#include <errno.h>
#include <string.h>

#include "platform/posix/terminal_state.h"

namespace {

// A broken pipe ends the demo too: its reader (`| head`) has gone.
constexpr int kEndings[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};
constexpr int kCrashes[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

alignas(16) char alternateStack[64 * 1024];
volatile sig_atomic_t repaintPending = 0;

void addEndingsAndStop(sigset_t* set)
{
    for (int signal : kEndings)
        sigaddset(set, signal);
    sigaddset(set, SIGTSTP);
}

// While one handler runs, the others that write to the terminal wait.
void setHandler(int signal, void (*handler)(int), int flags)
{
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    if (handler != SIG_DFL)
        addEndingsAndStop(&action.sa_mask);
    action.sa_flags = flags;
    sigaction(signal, &action, nullptr);
}

void unblock(const sigset_t* set) { pthread_sigmask(SIG_UNBLOCK, set, nullptr); }

// The default action, by the same signal. A fault that returns here runs its
// instruction again and ends the process the same way.
void dieBy(int signal)
{
    setHandler(signal, SIG_DFL, 0);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    unblock(&only);
    raise(signal);
}

void endBySignal(int signal)
{
    giveTerminalBack();
    dieBy(signal);
}

void installEndingHandlers();

// After a continue: the terminal is taken again if the demo is in its
// foreground (a `bg` leaves it alone until the `fg`), and the next frame
// repaints whatever the shell wrote meanwhile.
void resumeOnSignal(int)
{
    int savedErrno = errno;
    takeTerminal();
    repaintPending = 1;
    errno = savedErrno;
}

// Ctrl-Z: give the terminal back and stop. While stopped the demo has nothing
// left to restore, so the ending signals get their default action: the
// system ends even a stopped process at once by a default-action signal,
// where a handler would wait for a continue that never comes.
void stopBySignal(int)
{
    int savedErrno = errno;
    giveTerminalBack();
    for (int signal : kEndings)
        setHandler(signal, SIG_DFL, 0);
    setHandler(SIGTSTP, SIG_DFL, 0);
    sigset_t stopAndEndings;
    sigemptyset(&stopAndEndings);
    addEndingsAndStop(&stopAndEndings);
    unblock(&stopAndEndings);
    raise(SIGTSTP);
    // Continued, or the stop was dropped (an orphaned process group).
    installEndingHandlers();
    resumeOnSignal(SIGCONT);
    errno = savedErrno;
}

void resizeOnSignal(int) { repaintPending = 1; }

void installEndingHandlers()
{
    for (int signal : kEndings)
        setHandler(signal, endBySignal, 0);
    setHandler(SIGTSTP, stopBySignal, SA_RESTART);
}

}  // namespace

void installSignalHandling()
{
    stack_t stack;
    memset(&stack, 0, sizeof stack);
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    sigaltstack(&stack, nullptr);
    for (int signal : kCrashes)
        setHandler(signal, endBySignal, SA_ONSTACK);
    installEndingHandlers();
    setHandler(SIGCONT, resumeOnSignal, SA_RESTART);
    setHandler(SIGWINCH, resizeOnSignal, SA_RESTART);
}

void requestRepaint() { repaintPending = 1; }

bool takeRepaintRequest()
{
    if (!repaintPending)
        return false;
    repaintPending = 0;
    return true;
}

void holdSignalsForWrite(sigset_t* before)
{
    sigset_t held;
    sigemptyset(&held);
    addEndingsAndStop(&held);
    // Should the foreground change in between, the write goes through rather
    // than stopping the demo.
    sigaddset(&held, SIGTTOU);
    pthread_sigmask(SIG_BLOCK, &held, before);
}

void releaseSignalsAfterWrite(const sigset_t* before) { pthread_sigmask(SIG_SETMASK, before, nullptr); }
