// The helix, the ball, the bursts and the closing logo. The first three keep
// their state for the whole run, so each of their tests walks one effect
// from its first call.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "effects/bouncing_ball.h"
#include "effects/bursts.h"
#include "effects/closing_logo.h"
#include "effects/helix.h"
#include "screen/console.h"
#include "screen/screen_buffer.h"
#include "tests/fakes/fixed_calendar.h"
#include "tests/fakes/terminal_sink.h"
#include "tests/support/scene_pictures.h"
#include "tests/support/vterm_screen.h"

namespace {

using Picture = std::vector<std::string>;

// The dotted field over a presented, so blanked, buffer: every cell a dot but the last.
const std::string kField = std::string(kLastCell, '.') + ' ';

std::string cellsOf(const ScreenBuffer& s) { return {reinterpret_cast<const char*>(s.cells), kScreenCells}; }

// Each row on a line of its own, so that a failed comparison shows a diff by row.
std::string rowsOf(std::string s) { for (int r = 23; r > 0; --r) s.insert(r * 80, 1, '\n'); return s; }

// A picture centred on (row, column); 'l', 'm' and 'd' stand for the light,
// medium and dark shades, '-' leaves a cell as it was. Cells outside the
// buffer are left out; a line running past a side edge wraps into the next
// row as a run does, or with `clip` is cut there.
std::string withShape(std::string cells, int row, long column, const Picture& picture, bool clip = false)
{
    row -= static_cast<int>(picture.size()) / 2;
    for (const std::string& line : picture) {
        long c = column - static_cast<long>(line.size()) / 2;
        for (const char shown : line) {
            const long cell = row * 80L + c;
            const size_t shade = std::string_view("lmd").find(shown);
            if (shown != '-' && cell >= 0 && cell < kScreenCells && (!clip || (c >= 0 && c < 80)))
                cells[cell] = shade < 3 ? static_cast<char>(176 + shade) : shown;
            ++c;
        }
        ++row;
    }
    return cells;
}

// The helix's slices, offsets -5..+5 from the core.
const char* const kSlices[13] = {"mmmmmImmmmm", "dmmmmImmmml", "-dmmmImmml-", "--dmmImml--", "---dmIml---",
                                 "----dIl----", "-----d-----", "----lId----", "---lmImd---", "--lmmImmd--",
                                 "-lmmmImmmd-", "lmmmmImmmmd", "mmmmmImmmmm"};

TEST(Helix, TurnsOnePhasePerCallAndLeavesOutWhatWouldLeaveARow)
{
    // The wrapped values of rows 1 to 23 at the phases checked cell by cell;
    // the pictures also keep row 0 unwritten and give row 23 row 1's slice.
    // The core stands in column 40 but at phases 30 and 43, near either end
    // of the rows, where the widest slices lose the cells past the ends, and
    // at 44 and 45, as far out as it goes, where nothing is drawn.
    const struct { int phase; long column; std::vector<int> wrapped; } checked[] = {
        {1, 40, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 0}},
        {2, 40, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 11, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 1}},
        {30, 2, {10, 11, 12, 0, 1, 3, 4, 5, 7, 8, 10, 9, 11, 12, 0, 1, 3, 4, 5, 7, 8, 10, 10}},
        {43, 77, {3, 4, 5, 7, 8, 9, 11, 12, 0, 1, 3, 2, 4, 5, 7, 8, 9, 11, 12, 0, 1, 3, 3}},
        {44, INT32_MIN, {}}, {45, INT32_MAX, {}},
    };
    ScreenBuffer screen;
    int drawn = 0;
    for (const auto& [phase, column, wrapped] : checked) {
        while (++drawn < phase)
            drawHelix(screen, 40);
        // Phase 2 draws over phase 1, as a second call before a presentation does.
        const std::string under = phase == 2 ? cellsOf(screen) : kField;
        under.copy(reinterpret_cast<char*>(screen.cells), kScreenCells);
        drawHelix(screen, static_cast<int32_t>(column));
        Picture slices;  // rows 1 to 23, centred on row 12
        for (int value : wrapped)
            slices.push_back(kSlices[value]);
        EXPECT_EQ(rowsOf(cellsOf(screen)), rowsOf(withShape(under, 12, column, slices, true))) << "phase " << phase;
    }
}

const Picture kNarrow7 = {"--ooo--", "-oOOOo-", "oOOOOOo", "oOOOOOo", "oOOOOOo", "-oOOOo-", "--ooo--"};

TEST(BouncingBall, FollowsItsPathOnTheDottedFieldFromTheFirstStep)
{
    const Picture full = {"----ooooo----", "--oo00000oo--", "oo000000000oo", "oo000000000oo",
                          "oo000000000oo", "--oo00000oo--", "----ooooo----"};
    const Picture narrow11 = {"---ooooo---", "-oo00000oo-", "oo0000000oo", "oo0000000oo",
                              "oo0000000oo", "-oo00000oo-", "---ooooo---"};
    const Picture narrow9 = {"--ooooo--", "-o00000o-", "o0000000o", "o0000000o",
                             "o0000000o", "-o00000o-", "--ooooo--"};
    const Picture flat = {"---ooooooooooo---", "-oo00000000000oo-", "oo0000000000000oo", "-oo00000000000oo-",
                          "---ooooooooooo---"};
    struct Checkpoint { int step, column, row; const Picture& shape; };
    const Checkpoint checkpoints[] = {
        // Step 12 has no run on row 24; at step 32 the middle run wraps into row 3.
        {1, 41, 11, full}, {12, 52, 22, flat}, {13, 53, 21, full}, {32, 72, 2, flat},
        // Squashed against the right wall, bouncing at step 36.
        {33, 73, 3, full}, {34, 74, 4, narrow11}, {35, 75, 5, narrow9}, {36, 76, 6, kNarrow7},
        {37, 75, 7, narrow9}, {38, 74, 8, narrow11}, {39, 73, 9, full},
        // A top and a side bounce at once; the top run starting one cell before
        // the buffer; the run on row 23 passing the last cell.
        {912, 76, 2, flat}, {913, 75, 3, narrow9}, {2152, 4, 2, flat}, {2372, 76, 22, flat},
    };
    // The buffer between zero-filled guards, so that a write outside it shows.
    struct { uint8_t before[80] = {}; ScreenBuffer screen; uint8_t after[320] = {}; } g;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&g);
    int step = 0;
    for (const Checkpoint& c : checkpoints) {
        for (; step < c.step; ++step) {
            memset(g.screen.cells, ' ', kScreenCells);  // as the presenter leaves it
            drawDottedField(g.screen);
            drawBouncingBall(g.screen);
            ASSERT_EQ(std::count(bytes, bytes + sizeof g, 0), 400) << "written outside at step " << step + 1;
        }
        EXPECT_EQ(rowsOf(cellsOf(g.screen)), rowsOf(withShape(kField, c.row, c.column, c.shape))) << "step " << c.step;
    }
}

TEST(Bursts, CollapseStageByStageAndRestartOnlyOnATriggerOfOne)
{
    const Picture stages[5] = {{}, {"o"}, {"-ooo-", "ooOoo", "-ooo-"},
                               {"--ooo--", "-oOOOo-", "oOOOOOo", "-oOOOo-", "--ooo--"}, kNarrow7};
    struct Call { int64_t seconds; int32_t trigger; int stage, column, row; };
    // In turn: nothing before the first trigger; with the seconds at 0 a
    // trigger puts the centre at column 28, row 15, and the stages follow
    // down to nothing; triggers other than 1 let the burst play on; triggers
    // in a row restart at the same place within one second; at the seconds
    // 528 and 771 the centre is at the extremes, column 71, row 20 and column
    // 7, row 4, where the shapes stay inside the buffer unwrapped; the clock
    // is read only on a trigger.
    const Call calls[] = {
        {0, 0, 0, 0, 0}, {0, 5, 0, 0, 0}, {0, 1, 4, 28, 15}, {0, 0, 3, 28, 15}, {0, 0, 2, 28, 15},
        {0, 0, 1, 28, 15}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 1, 4, 28, 15}, {0, 2, 3, 28, 15},
        {0, -1, 2, 28, 15}, {771, 2, 1, 28, 15}, {0, -1, 0, 0, 0}, {0, 1, 4, 28, 15}, {0, 0, 3, 28, 15},
        {0, 1, 4, 28, 15}, {0, 1, 4, 28, 15}, {0, 0, 3, 28, 15}, {528, 1, 4, 71, 20}, {771, 1, 4, 7, 4},
        {528, 0, 3, 7, 4}, {0, 0, 2, 7, 4}, {0, 0, 1, 7, 4}, {0, 0, 0, 0, 0},
    };
    ScreenBuffer screen;
    for (const Call& call : calls) {
        fixedSeconds = call.seconds;
        kField.copy(reinterpret_cast<char*>(screen.cells), kScreenCells);
        drawBurst(screen, call.trigger);
        ASSERT_EQ(rowsOf(cellsOf(screen)), rowsOf(withShape(kField, call.row, call.column, stages[call.stage])))
            << "call " << &call - calls + 1;
    }
}

// A closing frame shows the logo's 24 lines of 80 cells whole in the top
// 24 rows over the last scene, the bottom-right cell included, in one write
// and without scrolling; on a larger terminal nothing shows beyond those
// cells. The frames after it send nothing new.
TEST(ClosingLogo, EachFrameFillsTheTopLeft80By24Cells)
{
    const std::string logo = logoPicture();  // also sets up logoLines
    for (const auto& [rows, columns] : {std::pair{24, 80}, std::pair{30, 120}}) {
        VtermScreen terminal(rows, columns);
        resetSink();
        clearConsole();
        ScreenBuffer lastScene;
        memset(lastScene.cells, 'x', sizeof lastScene.cells);
        presentFrame(lastScene);
        terminal.feed(sinkBytes);
        resetSink();
        drawClosingLogo(logoLines);
        terminal.feed(sinkBytes);
        EXPECT_EQ(sinkWrites.size(), 1u);
        EXPECT_EQ(terminal.wholeScreen(), screenWith(logo, rows, columns)) << columns << " columns";
        EXPECT_EQ(terminal.scrolledLines, 0);
        resetSink();
        drawClosingLogo(logoLines);
        EXPECT_EQ(sinkBytes, kEmptyFrame);
    }
}

}  // namespace
