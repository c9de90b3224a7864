// Loaded into the real program with LD_PRELOAD: from a set moment on, every
// operator new finds no memory, as on a machine whose memory has run out
// mid-show. The moment is TEXTDEMO_TEST_NO_MEMORY_AFTER_MS milliseconds
// after the program started; without it memory never runs out.

#include <stdlib.h>
#include <time.h>

#include <new>

namespace {

double millisecondsNow()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Read at the first allocation, which may come before any static
// initializer of this library has run.
bool memoryLeft()
{
    static const double startedAt = millisecondsNow();
    static const char* const limitText = getenv("TEXTDEMO_TEST_NO_MEMORY_AFTER_MS");
    static const double limit = limitText != nullptr ? atof(limitText) : -1;
    return limit < 0 || millisecondsNow() - startedAt < limit;
}

}  // namespace

// As the standard library's: the new handler is called until it makes room,
// throws or ends the program; without one, std::bad_alloc.
void* operator new(std::size_t size)
{
    for (;;) {
        if (memoryLeft()) {
            if (void* block = malloc(size == 0 ? 1 : size))
                return block;
        }
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr)
            throw std::bad_alloc();
        handler();
    }
}

void* operator new[](std::size_t size) { return operator new(size); }

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return operator new(size);
    } catch (...) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept { return operator new(size, nothrow); }

void operator delete(void* block) noexcept { free(block); }
void operator delete[](void* block) noexcept { free(block); }
void operator delete(void* block, std::size_t) noexcept { free(block); }
void operator delete[](void* block, std::size_t) noexcept { free(block); }
