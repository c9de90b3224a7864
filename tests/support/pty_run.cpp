#include "tests/support/pty_run.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace {

constexpr double kKillGraceSeconds = 5;

// What the shell tells the runner, one record at a time.
enum ReportKind { programStarted = 1, programStopped, programEnded };
struct Report {
    int kind;
    int value;       // the program's pid, or its wait status
    double seconds;  // from the continue after a kill to the end, or -1
    tcflag_t localModes;  // the terminal's, as the program left them
    double cpuSeconds;    // the program's user and system time, once it ended
};

double secondsNow()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

void send(int fd, int kind, int value, double seconds = -1, double cpuSeconds = 0)
{
    termios modes = {};
    tcgetattr(STDIN_FILENO, &modes);
    Report report = {kind, value, seconds, modes.c_lflag, cpuSeconds};
    if (write(fd, &report, sizeof report) != sizeof report)
        _exit(125);
}

void say(const char* text) { (void)!write(STDOUT_FILENO, text, strlen(text)); }

[[noreturn]] void runProgram(const std::string& program, const std::string& directory, const PtyOptions& options,
                             int errorFd)
{
    setpgid(0, 0);
    tcsetpgrp(STDIN_FILENO, getpid());
    signal(SIGTTOU, SIG_DFL);
    if (options.inputNotTerminal)
        dup2(open("/dev/null", O_RDONLY | O_CLOEXEC), STDIN_FILENO);
    if (!options.errorsOnTerminal)
        dup2(errorFd, STDERR_FILENO);
    close(errorFd);
    if (options.throughCat) {
        int pipeline[2];
        if (pipe(pipeline) != 0)
            _exit(125);
        if (fork() == 0) {
            dup2(pipeline[0], STDIN_FILENO);
            close(pipeline[0]);
            close(pipeline[1]);
            execlp("cat", "cat", static_cast<char*>(nullptr));
            _exit(127);
        }
        dup2(pipeline[1], STDOUT_FILENO);
        close(pipeline[0]);
        close(pipeline[1]);
    }
    // Crashes by signal are expected here; no core files.
    rlimit noCore = {0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    if (chdir(directory.c_str()) != 0)
        _exit(126);
    setenv("LANG", "C.UTF-8", 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    setenv("TERM", "xterm-256color", 1);
    for (const std::string& variable : options.environment)
        putenv(const_cast<char*>(variable.c_str()));
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& argument : options.arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execvp(program.c_str(), argv.data());
    _exit(127);
}

// Waits for the program to end after a kill, at most a few seconds.
int waitAfterKill(pid_t program)
{
    const double deadline = secondsNow() + kKillGraceSeconds;
    int status = 0;
    while (waitpid(program, &status, WNOHANG) == 0) {
        if (secondsNow() > deadline) {
            kill(program, SIGKILL);
            waitpid(program, &status, 0);
            break;
        }
        usleep(1000);
    }
    return status;
}

// The session leader on the terminal, doing what an interactive shell does
// with one job.
[[noreturn]] void runShell(const std::string& program, const std::string& directory, const PtyOptions& options,
                           int reportFd, int errorFd)
{
    signal(SIGTTOU, SIG_IGN);
    const pid_t job = fork();
    if (job == 0) {
        close(reportFd);
        runProgram(program, directory, options, errorFd);
    }
    close(errorFd);
    setpgid(job, job);
    send(reportFd, programStarted, job);
    for (;;) {
        int status = 0;
        rusage usage = {};
        if (wait4(job, &status, WUNTRACED, &usage) < 0) {
            if (errno == EINTR)
                continue;
            _exit(1);
        }
        if (!WIFSTOPPED(status)) {
            const timeval &user = usage.ru_utime, &kernel = usage.ru_stime;
            const double cpuSeconds = user.tv_sec + kernel.tv_sec + (user.tv_usec + kernel.tv_usec) / 1e6;
            send(reportFd, programEnded, status, -1, cpuSeconds);
            _exit(0);
        }
        tcsetpgrp(STDIN_FILENO, getpgrp());
        say("\r\n[1]+  Stopped                 textdemo\r\n$ ");
        send(reportFd, programStopped, 0);
        const auto foreground = [job] {
            usleep(200 * 1000);
            say("fg\r\ntextdemo\r\n");
            tcsetpgrp(STDIN_FILENO, job);
        };
        if (options.onStop == OnStop::resume) {
            foreground();
            kill(-job, SIGCONT);
            continue;
        }
        double killedAt;  // the moment the kill can take effect
        if (options.onStop == OnStop::backgroundThenKill) {
            say("bg\r\n[1]+ textdemo &\r\n$ ");
            kill(-job, SIGCONT);
            usleep(300 * 1000);
            killedAt = secondsNow();
            kill(job, SIGTERM);
        } else {
            kill(job, SIGTERM);
            if (options.onStop == OnStop::killThenForeground)
                foreground();
            killedAt = secondsNow();
            kill(-job, SIGCONT);
        }
        status = waitAfterKill(job);
        send(reportFd, programEnded, status, secondsNow() - killedAt);
        _exit(0);
    }
}

// Appends what is ready on fd; false once it is closed.
bool drain(int fd, std::string& into)
{
    char buffer[65536];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        into.append(buffer, n);
    return n < 0 && (errno == EINTR || errno == EAGAIN);
}

std::string descriptorTarget(pid_t program, int fd)
{
    char path[64], target[PATH_MAX];
    snprintf(path, sizeof path, "/proc/%d/fd/%d", static_cast<int>(program), fd);
    ssize_t length = readlink(path, target, sizeof target - 1);
    return length > 0 ? std::string(target, length) : "";
}

void takeReports(int fd, PtyRun& run, pid_t& program, bool& ended)
{
    Report report;
    while (read(fd, &report, sizeof report) == sizeof report) {
        if (report.kind == programStarted) {
            program = report.value;
        } else if (report.kind == programStopped) {
            ++run.stops;
        } else if (report.kind == programEnded) {
            ended = true;
            run.endedAt = secondsNow();
            run.cpuSeconds = report.cpuSeconds;
            if (WIFEXITED(report.value))
                run.exitStatus = WEXITSTATUS(report.value);
            if (WIFSIGNALED(report.value))
                run.endSignal = WTERMSIG(report.value);
            run.secondsToEnd = report.seconds;
            run.echoAfter = (report.localModes & ECHO) != 0;
            run.canonicalAfter = (report.localModes & ICANON) != 0;
        }
    }
}

}  // namespace

PtyRun runInPty(const std::string& program, const std::string& directory, const PtyOptions& options)
{
    PtyRun run;
    int errorPipe[2], reportPipe[2];
    if (pipe(errorPipe) != 0)
        return run;
    if (pipe2(reportPipe, O_CLOEXEC) != 0)
        return run;
    winsize size = {static_cast<unsigned short>(options.rows), static_cast<unsigned short>(options.columns), 0, 0};
    int master = -1;
    pid_t shell = forkpty(&master, nullptr, nullptr, &size);
    if (shell == 0) {
        // Either may have been standard input (none in CI), now the terminal.
        if (errorPipe[0] > STDERR_FILENO)
            close(errorPipe[0]);
        if (reportPipe[0] > STDERR_FILENO)
            close(reportPipe[0]);
        runShell(program, directory, options, reportPipe[1], errorPipe[1]);
    }
    close(errorPipe[1]);
    close(reportPipe[1]);
    if (shell < 0)
        return run;
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(reportPipe[0], F_SETFL, fcntl(reportPipe[0], F_GETFL) | O_NONBLOCK);

    const double started = secondsNow(), deadline = started + options.timeoutSeconds;
    bool terminalOpen = true, errorsOpen = true, signalled = false, ended = false;
    pid_t job = -1;
    size_t scanned = 0;  // the output before this holds no unseen write
    size_t resizesDone = 0;
    while ((terminalOpen || errorsOpen) && secondsNow() < deadline) {
        pollfd ready[3] = {{master, POLLIN, 0}, {errorPipe[0], POLLIN, 0}, {reportPipe[0], POLLIN, 0}};
        if (poll(ready, 3, 100) < 0 && errno != EINTR)
            break;
        takeReports(reportPipe[0], run, job, ended);
        if (terminalOpen && (ready[0].revents & (POLLIN | POLLHUP | POLLERR))) {
            terminalOpen = drain(master, run.output);
            const double now = secondsNow();
            for (size_t at; (at = run.output.find(kSyncBegin, scanned)) != std::string::npos;) {
                run.writeTimes.push_back(now);
                scanned = at + 1;
            }
        }
        if (errorsOpen && (ready[1].revents & (POLLIN | POLLHUP | POLLERR)))
            errorsOpen = drain(errorPipe[0], run.errors);
        const int writes = static_cast<int>(run.writeTimes.size());
        if (job > 0 && !ended && run.errorsTarget.empty() && writes >= 5)
            run.errorsTarget = descriptorTarget(job, STDERR_FILENO);
        const bool signalDue = options.signalAfterSeconds > 0 ? secondsNow() >= started + options.signalAfterSeconds
                                                              : writes >= options.signalAfterWrites;
        if (job > 0 && !ended && options.signal != 0 && !signalled && signalDue) {
            if (options.signalByKey) {
                if (write(master, "\x03", 1) != 1)
                    break;
            } else {
                kill(job, options.signal);
            }
            signalled = true;
        }
        // A terminal resizes between two of its reads: everything before the
        // resize was shown at the old size.
        while (!ended && resizesDone < options.resizes.size() && writes >= options.resizes[resizesDone].afterWrites) {
            drain(master, run.output);
            const PtyResize& resize = options.resizes[resizesDone++];
            run.resizeOffsets.push_back(run.output.size());
            winsize newSize = {static_cast<unsigned short>(resize.rows), static_cast<unsigned short>(resize.columns),
                               0, 0};
            ioctl(master, TIOCSWINSZ, &newSize);
        }
    }
    if (terminalOpen || errorsOpen) {
        if (job > 0)
            kill(job, SIGKILL);
        kill(shell, SIGKILL);
    }
    waitpid(shell, nullptr, 0);
    takeReports(reportPipe[0], run, job, ended);
    close(master);
    close(errorPipe[0]);
    close(reportPipe[0]);
    return run;
}
