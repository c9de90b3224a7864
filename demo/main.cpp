// The demo's entry: prepare the terminal and the show, play the silent intro
// of the bouncing name, then the scenes, and end with status 0.

#include <new>

#include "banner/out_of_memory.h"
#include "demo/show.h"
#include "platform/terminal.h"
#include "screen/screen_buffer.h"

namespace {

ScreenBuffer screen;

// Memory ran out somewhere in the show, on whichever thread: the terminal is
// given back first, so the message stands on a line of its own below the
// picture, and the run ends with status 1 as it does when the banners
// cannot be built.
[[noreturn]] void endOutOfMemory()
{
    terminalEnd();
    reportOutOfMemory();
}

}  // namespace

int main()
{
    // Every failed operator new ends here instead of throwing.
    std::set_new_handler(endOutOfMemory);
    try {
        playShow(screen);
    } catch (const std::bad_alloc&) {
        endOutOfMemory();
    }
    return 0;
}
