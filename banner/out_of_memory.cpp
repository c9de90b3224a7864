#include <cstdio>
#include <cstdlib>

#include "banner/out_of_memory.h"

// The o with stroke is the single code page byte 248, not UTF-8.
static const char kOutOfMemoryMessage[] = "AAAARGH, ikke mer minne igjen, kj\xF8p mer RAM, din soper\n";

void reportOutOfMemory()
{
    std::fwrite(kOutOfMemoryMessage, 1, sizeof kOutOfMemoryMessage - 1, stdout);
    std::fflush(stdout);
    // exit, not _exit: the terminal layer puts the terminal back from an
    // atexit handler.
    std::exit(1);
}
