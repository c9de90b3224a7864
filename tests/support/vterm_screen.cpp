#include "tests/support/vterm_screen.h"

#include <vterm.h>

#include "platform/posix/cell_encoding.h"

namespace {

int countPushedLine(int, const VTermScreenCell*, void* user)
{
    ++static_cast<VtermScreen*>(user)->scrolledLines;
    return 1;
}

int noteProperty(VTermProp property, VTermValue* value, void* user)
{
    if (property == VTERM_PROP_CURSORVISIBLE)
        static_cast<VtermScreen*>(user)->cursorVisible = value->boolean;
    return 1;
}

const VTermScreenCallbacks kCallbacks = {
    nullptr, nullptr, nullptr, noteProperty, nullptr, nullptr, countPushedLine, nullptr,
};

char toCp437(char32_t c)
{
    for (int byte = 32; byte < 256; ++byte)
        if (kCp437Characters[byte] == c)
            return static_cast<char>(byte);
    return '\x01';
}

}  // namespace

VtermScreen::VtermScreen(int rows_, int columns_, bool utf8)
    : vt(vterm_new(rows_, columns_)), rows(rows_), columns(columns_), scrolledLines(0),
      cursorVisible(true), synchronizedUpdate(false)
{
    vterm_set_utf8(vt, utf8);
    screen = vterm_obtain_screen(vt);
    vterm_screen_set_callbacks(screen, &kCallbacks, this);
    vterm_screen_reset(screen, 1);
}

VtermScreen::~VtermScreen() { vterm_free(vt); }

void VtermScreen::feed(const std::string& bytes)
{
    vterm_input_write(vt, bytes.data(), bytes.size());
    const size_t begun = bytes.rfind(kSyncBegin);
    const size_t ended = bytes.rfind(kSyncEnd);
    if (begun != std::string::npos || ended != std::string::npos)
        synchronizedUpdate = begun != std::string::npos && (ended == std::string::npos || begun > ended);
}

void VtermScreen::resize(int rows_, int columns_)
{
    rows = rows_;
    columns = columns_;
    vterm_set_size(vt, rows, columns);
}

char32_t VtermScreen::character(int row, int column) const
{
    VTermScreenCell cell;
    vterm_screen_get_cell(screen, VTermPos{row, column}, &cell);
    return cell.chars[0] == 0 ? U' ' : cell.chars[0];
}

std::string VtermScreen::cells(int row, int width) const
{
    std::string bytes;
    for (int column = 0; column < width; ++column)
        bytes += toCp437(character(row, column));
    return bytes;
}

std::string VtermScreen::picture() const { return screenOf(24, 80); }

std::string VtermScreen::wholeScreen() const { return screenOf(rows, columns); }

std::string VtermScreen::screenOf(int height, int width) const
{
    std::string bytes;
    for (int row = 0; row < height; ++row)
        bytes += cells(row, width);
    return bytes;
}

std::pair<int, int> VtermScreen::cursor() const
{
    VTermPos position;
    vterm_state_get_cursorpos(vterm_obtain_state(vt), &position);
    return {position.row, position.col};
}

std::vector<std::string> picturesAfterWrites(const std::string& output, int rows)
{
    std::vector<std::string> pictures;
    VtermScreen terminal(rows, 80);
    terminal.feed(output.substr(0, output.find(kSyncBegin)));
    for (const std::string& write : splitWrites(output)) {
        terminal.feed(write);
        pictures.push_back(terminal.picture());
    }
    return pictures;
}

std::string screenWith(const std::string& picture, int rows, int columns)
{
    std::string screen;
    for (int row = 0; row < rows; ++row)
        screen += (row < 24 ? picture.substr(row * 80, 80) : std::string(80, ' ')) + std::string(columns - 80, ' ');
    return screen;
}
