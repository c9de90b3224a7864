#include "platform/posix/quiet_stderr.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace {

void pointStderrAtNull()
{
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
        dup2(null, STDERR_FILENO);
        close(null);
    }
}

bool stderrIsTheOutputTerminal()
{
    struct stat output, errors;
    return isatty(STDOUT_FILENO) && isatty(STDERR_FILENO) && fstat(STDOUT_FILENO, &output) == 0 &&
           fstat(STDERR_FILENO, &errors) == 0 && output.st_rdev == errors.st_rdev;
}

}  // namespace

void silenceStderrOnTerminal()
{
    if (!stderrIsTheOutputTerminal())
        return;
    fflush(stderr);
    pointStderrAtNull();
}

int silenceStderr()
{
    fflush(stderr);
    int saved = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    pointStderrAtNull();
    return saved;
}

void restoreStderr(int saved)
{
    fflush(stderr);
    if (saved < 0) {
        return;
    }
    dup2(saved, STDERR_FILENO);
    close(saved);
}
