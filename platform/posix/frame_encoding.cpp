#include "platform/posix/frame_encoding.h"

#include <algorithm>
#include <cstring>

#include "platform/posix/cell_encoding.h"
#include "platform/terminal.h"

namespace {

constexpr char kSyncBegin[] = "\x1b[?2026h";  // terminals that know it show
constexpr char kSyncEnd[] = "\x1b[?2026l";    // the whole frame at once
constexpr char kClearScreen[] = "\x1b[H\x1b[2J";
constexpr size_t kLongestMove = 8;  // ESC [ 24 ; 80 H: no move costs more
constexpr size_t kLongestCell = sizeof CellBytes::bytes;
constexpr int32_t kUnknown = -1;  // the cursor is not where we can tell

// A frame in which every other cell changed, moving absolutely to each.
constexpr size_t kFrameBytes = 16384;
static_assert(sizeof kSyncBegin + sizeof kClearScreen + sizeof kSyncEnd +
                      kTerminalRows * kTerminalColumns / 2 * (kLongestMove + kLongestCell) <=
                  kFrameBytes,
              "the busiest frame fits");

// The bytes are written through a local pointer that every append returns:
// stores through a char pointer could alias any other state, which would
// then be read again after each of them.
char frame[kFrameBytes];  // allocated once: encoding a frame allocates nothing
size_t used = 0;
bool whole = true;
TerminalShape shape = {kTerminalRows, kTerminalColumns, true};
const CellBytes* encoded = nullptr;
int32_t cursorRow = kUnknown;
int32_t cursorColumn = kUnknown;

char* append(char* out, const char* bytes, size_t count)
{
    memcpy(out, bytes, count);
    return out + count;
}

size_t digits(int32_t number) { return number < 10 ? 1 : number < 100 ? 2 : 1 + digits(number / 10); }

char* appendNumber(char* out, int32_t number)
{
    if (number >= 100)
        out = appendNumber(out, number / 100);
    if (number >= 10)
        *out++ = static_cast<char>('0' + number / 10 % 10);
    *out++ = static_cast<char>('0' + number % 10);
    return out;
}

// ESC [ n final, where a count of 1 is left out as the default.
size_t sequenceCost(int32_t n) { return 3 + (n == 1 ? 0 : digits(n)); }

char* appendSequence(char* out, int32_t n, char final)
{
    *out++ = '\x1b';
    *out++ = '[';
    if (n != 1)
        out = appendNumber(out, n);
    *out++ = final;
    return out;
}

size_t absoluteCost(int32_t row, int32_t column)
{
    return column == 0 ? sequenceCost(row + 1) : 4 + digits(row + 1) + digits(column + 1);
}

char* appendAbsolute(char* out, int32_t row, int32_t column)
{
    if (column == 0)
        return appendSequence(out, row + 1, 'H');
    *out++ = '\x1b';
    *out++ = '[';
    out = appendNumber(out, row + 1);
    *out++ = ';';
    out = appendNumber(out, column + 1);
    *out++ = 'H';
    return out;
}

constexpr uint64_t kEveryByte = 0x0101010101010101;

// Eight cells that are printable ASCII go as they are on every terminal:
// no high bit, none below a blank, no DEL.
bool plainAscii(uint64_t cells)
{
    const uint64_t highBits = kEveryByte * 0x80;
    const uint64_t belowBlank = (cells - kEveryByte * ' ') & ~cells;
    const uint64_t del = cells ^ (kEveryByte * 0x7F);
    const uint64_t isDel = (del - kEveryByte) & ~del;
    return ((cells | belowBlank | isDel) & highBits) == 0;
}

// Most cells are letters, dots and blanks: they are copied eight at a time.
char* appendCells(char* out, const uint8_t* cells, int32_t count, const CellBytes* table)
{
    int32_t i = 0;
    while (i < count) {
        uint64_t eight;
        if (i + 8 <= count && (memcpy(&eight, cells + i, 8), plainAscii(eight))) {
            memcpy(out, &eight, 8);
            out += 8;
            i += 8;
            continue;
        }
        const CellBytes& cell = table[cells[i++]];
        memcpy(out, cell.bytes, sizeof cell.bytes);  // room for three: cheaper than a branch
        out += cell.length;
    }
    return out;
}

size_t throughCost(const uint8_t* cells, int32_t count, size_t cheapest, const CellBytes* table)
{
    size_t cost = 0;
    for (int32_t i = 0; i < count && cost < cheapest; ++i)
        cost += table[cells[i]].length;
    return cost;
}

// The ways along a row, once the cursor is on it.
enum class Along { kStay, kForward, kBackward, kToColumn, kReturn, kThrough };

struct Way {
    size_t cost;
    Along along;
};

Way cheapestAlong(int32_t from, int32_t column, bool sameRow, const uint8_t* rowCells, const CellBytes* table)
{
    if (column == from)
        return {0, Along::kStay};
    Way best = {sequenceCost(column + 1), Along::kToColumn};
    const size_t back = 1 + (column == 0 ? 0 : sequenceCost(column));
    if (back < best.cost)
        best = {back, Along::kReturn};
    const int32_t distance = column - from;
    const size_t relative = sequenceCost(distance > 0 ? distance : -distance);
    if (relative < best.cost)
        best = {relative, distance > 0 ? Along::kForward : Along::kBackward};
    if (sameRow && distance > 0 && static_cast<size_t>(distance) < best.cost) {
        const size_t through = throughCost(rowCells + from, distance, best.cost, table);
        if (through < best.cost)
            best = {through, Along::kThrough};
    }
    return best;
}

char* appendAlong(char* out, const Way& way, int32_t from, int32_t column, const uint8_t* rowCells,
                  const CellBytes* table)
{
    switch (way.along) {
    case Along::kStay:
        return out;
    case Along::kForward:
        return appendSequence(out, column - from, 'C');
    case Along::kBackward:
        return appendSequence(out, from - column, 'D');
    case Along::kToColumn:
        return appendSequence(out, column + 1, 'G');
    case Along::kReturn:
        *out++ = '\r';
        return column > 0 ? appendSequence(out, column, 'C') : out;
    case Along::kThrough:
        return appendCells(out, rowCells + from, column - from, table);
    }
    return out;
}

// Up or down keeps the column; a line feed is never used, as it could
// scroll a terminal lower than the picture.
char* moveTo(char* out, int32_t row, int32_t column, const uint8_t* rowCells, const CellBytes* table)
{
    if (cursorRow == kUnknown || cursorColumn == kUnknown)
        return appendAbsolute(out, row, column);
    const int32_t rows = row - cursorRow;
    const size_t vertical = rows == 0 ? 0 : sequenceCost(rows > 0 ? rows : -rows);
    const Way along = cheapestAlong(cursorColumn, column, rows == 0, rowCells, table);
    if (absoluteCost(row, column) <= vertical + along.cost)
        return appendAbsolute(out, row, column);
    if (rows != 0)
        out = appendSequence(out, rows > 0 ? rows : -rows, rows > 0 ? 'B' : 'A');
    return appendAlong(out, along, cursorColumn, column, rowCells, table);
}

}  // namespace

void beginEncodedFrame(bool clear, const TerminalShape& terminal)
{
    shape = terminal;
    encoded = cellTable(shape.utf8);
    char* out = append(frame, kSyncBegin, sizeof kSyncBegin - 1);
    cursorRow = kUnknown;
    cursorColumn = kUnknown;
    if (clear) {
        out = append(out, kClearScreen, sizeof kClearScreen - 1);
        cursorRow = 0;
        cursorColumn = 0;
    }
    used = static_cast<size_t>(out - frame);
    whole = true;
}

void encodeRun(int32_t row, int32_t column, int32_t count, const uint8_t* rowCells)
{
    const int32_t shownColumns = std::min(shape.columns, kTerminalColumns);
    if (row < 0 || row >= std::min(shape.rows, kTerminalRows) || column < 0 || column >= shownColumns)
        return;
    count = std::min(count, shownColumns - column);
    if (used + kLongestMove + kLongestCell * count + sizeof kSyncEnd > kFrameBytes) {
        whole = false;
        return;
    }
    const CellBytes* table = encoded;
    char* out = moveTo(frame + used, row, column, rowCells, table);
    out = appendCells(out, rowCells + column, count, table);
    used = static_cast<size_t>(out - frame);
    // At the terminal's right edge the cursor stays in its last column or
    // waits to wrap, depending on the terminal: the next move is absolute.
    cursorRow = row;
    cursorColumn = column + count < shape.columns ? column + count : kUnknown;
}

const char* endEncodedFrame(size_t* size, bool* complete)
{
    used = static_cast<size_t>(append(frame + used, kSyncEnd, sizeof kSyncEnd - 1) - frame);
    *size = used;
    *complete = whole;
    return frame;
}
