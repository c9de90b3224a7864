#include "tests/support/pty_run.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr char kSyncBegin[] = "\x1b[?2026h";

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
        into.append(buffer, n);
        return true;
    }
    return n < 0 && (errno == EINTR || errno == EAGAIN);
}

}  // namespace

int countWrites(const std::string& output)
{
    int count = 0;
    for (size_t at = output.find(kSyncBegin); at != std::string::npos; at = output.find(kSyncBegin, at + 1))
        ++count;
    return count;
}

std::vector<std::string> splitWrites(const std::string& output)
{
    std::vector<std::string> writes;
    size_t at = output.find(kSyncBegin);
    while (at != std::string::npos) {
        size_t next = output.find(kSyncBegin, at + 1);
        writes.push_back(output.substr(at, next == std::string::npos ? std::string::npos : next - at));
        at = next;
    }
    return writes;
}

PtyRun runInPty(const std::string& program, const std::string& directory, int signalAfterWrites,
                int signal, int rows, int timeoutSeconds)
{
    PtyRun run;
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
        if (chdir(directory.c_str()) != 0)
            _exit(126);
        setenv("LANG", "C.UTF-8", 1);
        setenv("LC_ALL", "C.UTF-8", 1);
        setenv("TERM", "xterm-256color", 1);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(errorPipe[1]);
    if (child < 0)
        return run;

    const double deadline = secondsNow() + timeoutSeconds;
    bool terminalOpen = true, errorsOpen = true, signalled = false;
    size_t scanned = 0;  // the output before this holds no unseen write
    while ((terminalOpen || errorsOpen) && secondsNow() < deadline) {
        pollfd ready[2] = {{master, POLLIN, 0}, {errorPipe[0], POLLIN, 0}};
        if (poll(ready, 2, 100) < 0 && errno != EINTR)
            break;
        if (terminalOpen && (ready[0].revents & (POLLIN | POLLHUP | POLLERR))) {
            // Read the mode before the slave side goes away with the program.
            termios modes;
            if (tcgetattr(master, &modes) == 0)
                run.echoAfter = (modes.c_lflag & ECHO) != 0;
            terminalOpen = drain(master, run.output);
            const double now = secondsNow();
            for (size_t at; (at = run.output.find(kSyncBegin, scanned)) != std::string::npos;) {
                run.writeTimes.push_back(now);
                scanned = at + 1;
            }
        }
        if (errorsOpen && (ready[1].revents & (POLLIN | POLLHUP | POLLERR)))
            errorsOpen = drain(errorPipe[0], run.errors);
        if (signalAfterWrites > 0 && !signalled && static_cast<int>(run.writeTimes.size()) >= signalAfterWrites) {
            kill(child, signal);
            signalled = true;
        }
    }
    if (terminalOpen || errorsOpen)
        kill(child, SIGKILL);
    termios modes;
    if (tcgetattr(master, &modes) == 0)
        run.echoAfter = (modes.c_lflag & ECHO) != 0;
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status))
        run.exitStatus = WEXITSTATUS(status);
    close(master);
    close(errorPipe[0]);
    return run;
}
