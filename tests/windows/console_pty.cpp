#include "tests/windows/console_pty.h"

#include "tests/support/pty_run.h"

#include <errno.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

double secondsNow()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

// Appends what is ready on fd; false once it is closed.
bool drain(int fd, std::string& into)
{
    char buffer[65536];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
        into.append(buffer, static_cast<size_t>(n));
        return true;
    }
    return n < 0 && (errno == EINTR || errno == EAGAIN);
}

}  // namespace

ConsoleRun runInConsolePty(const std::string& program, const std::string& directory, int rows,
                           int timeoutSeconds)
{
    ConsoleRun run;
    int errorPipe[2];
    if (pipe(errorPipe) != 0)
        return run;
    winsize size = {static_cast<unsigned short>(rows), 80, 0, 0};
    int master = -1;
    pid_t child = forkpty(&master, nullptr, nullptr, &size);
    if (child == 0) {
        dup2(errorPipe[1], STDERR_FILENO);
        close(errorPipe[0]);
        close(errorPipe[1]);
        execShowProgram(program, directory);
    }
    close(errorPipe[1]);
    if (child < 0)
        return run;

    const double deadline = secondsNow() + timeoutSeconds;
    bool terminalOpen = true, errorsOpen = true;
    while ((terminalOpen || errorsOpen) && secondsNow() < deadline) {
        pollfd ready[2] = {{master, POLLIN, 0}, {errorPipe[0], POLLIN, 0}};
        if (poll(ready, 2, 100) < 0 && errno != EINTR)
            break;
        if (terminalOpen && (ready[0].revents & (POLLIN | POLLHUP | POLLERR)))
            terminalOpen = drain(master, run.output);
        if (errorsOpen && (ready[1].revents & (POLLIN | POLLHUP | POLLERR)))
            errorsOpen = drain(errorPipe[0], run.errors);
    }
    if (terminalOpen || errorsOpen)
        kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status))
        run.exitStatus = WEXITSTATUS(status);
    close(master);
    close(errorPipe[0]);
    return run;
}
