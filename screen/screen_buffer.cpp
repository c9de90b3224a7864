#include "screen/screen_buffer.h"

#include <cstring>

#include "screen/console.h"

void blankScreen(ScreenBuffer& screen) { memset(screen.cells, ' ', sizeof screen.cells); }

void putCell(ScreenBuffer& screen, int32_t row, int32_t column, uint8_t value)
{
    screen.cells[row * kScreenColumns + column] = value;
}

void putText(ScreenBuffer& screen, int32_t row, int32_t column, const char* text)
{
    size_t length = strlen(text);
    if (length < 2)
        return;
    memcpy(&screen.cells[row * kScreenColumns + column], text, length - 1);
}

void presentFrame(ScreenBuffer& screen)
{
    homeCursor();
    screen.cells[kLastCell] = 0;
    const void* end = memchr(screen.cells, 0, sizeof screen.cells);
    writeBytes(screen.cells, static_cast<const uint8_t*>(end) - screen.cells);
    sendFrame();
    blankScreen(screen);
}
