// Loaded into the real program with LD_PRELOAD: from a set moment on, every
// operator new finds no memory, as on a machine whose memory has run out
// mid-show. The moment is TEXTDEMO_TEST_NO_MEMORY_AFTER_MS milliseconds
// after the program started; without it memory never runs out. The standard
// library's other forms of new (arrays, nothrow) and its deletes (free) go
// through this one.

#include <stdlib.h>
#include <time.h>

#include <new>

static double millisecondsNow()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// As the standard library's: the new handler is called until it makes room,
// throws or ends the program; without one, std::bad_alloc. The settings are
// read at the first allocation, which may come before any static initializer
// of this library has run.
void* operator new(std::size_t size)
{
    static const double startedAt = millisecondsNow();
    static const char* const limitText = getenv("TEXTDEMO_TEST_NO_MEMORY_AFTER_MS");
    static const double limit = limitText != nullptr ? atof(limitText) : -1;
    for (;;) {
        if (limit < 0 || millisecondsNow() - startedAt < limit)
            if (void* block = malloc(size == 0 ? 1 : size))
                return block;
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr)
            throw std::bad_alloc();
        handler();
    }
}
