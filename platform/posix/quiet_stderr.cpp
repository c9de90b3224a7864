#include "platform/posix/quiet_stderr.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

int silenceStderr()
{
    fflush(stderr);
    int saved = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
        dup2(null, STDERR_FILENO);
        close(null);
    }
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
