#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

static bool readAll(int fd, std::vector<uint8_t>& bytes)
{
    size_t filled = 0;
    while (filled < bytes.size()) {
        ssize_t got = read(fd, bytes.data() + filled, bytes.size() - filled);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        filled += static_cast<size_t>(got);
    }
    // A file that shrank while being read keeps what it had.
    bytes.resize(filled);
    return filled > 0;
}

bool readWholeFile(const char* fileName, int64_t largest, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    // Non-blocking, so that a FIFO without a writer cannot hold the open up.
    int fd = open(fileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return false;
    }
    struct stat status;
    bool fits = fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0 &&
                status.st_size <= largest;
    bool loaded = false;
    if (fits) {
        try {
            bytes.resize(static_cast<size_t>(status.st_size));
            loaded = readAll(fd, bytes);
        } catch (const std::bad_alloc&) {
            loaded = false;
        }
    }
    close(fd);
    return loaded;
}
