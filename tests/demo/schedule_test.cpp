// The whole schedule against a scripted song that moves one row per frame:
// every frame is captured and read back through a terminal emulator. Each
// run happens in a child process, because effects and banners keep their
// state for the life of a process.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "demo/scenes.h"
#include "platform/posix/cell_encoding.h"
#include "screen/console.h"
#include "tests/fakes/fixed_calendar.h"
#include "tests/fakes/scripted_song.h"
#include "tests/fakes/terminal_sink.h"
#include "tests/support/scene_pictures.h"
#include "tests/support/vterm_screen.h"

namespace {

constexpr int kLogoFrames = 100;

// The terminal a run is shown on, and how the presenter sends its frames.
struct Terminal {
    int rows = 24;
    int columns = 80;
    bool utf8 = true;
    bool repaintEveryFrame = false;
};

// What a child's run sends before the bytes of its writes.
struct RunCounts {
    char module[16];   // the file the song was started from
    int songStarts;
    long shownFor30Ms;  // frames the music clock was told of, with each frame time
    long shownFor24Ms;
    size_t fades;
    size_t fadeRequests[4];  // the writes made before each fade of the music
};

struct ScheduleRun {
    RunCounts counts = {};
    std::vector<std::string> frames;   // the picture after each scene frame
    std::vector<std::string> screens;  // the whole screen after each frame, the logo's too
    std::vector<std::string> logoWrites;
    std::string finalPicture;
    size_t bytes = 0;
    size_t everyCellBytes = 0;  // what writing every cell of every frame takes
};

// Child: prepares and runs the scenes on a cleared screen, then sends its
// counts and everything it wrote.
[[noreturn]] void runChild(const SongScript& script, const Terminal& shown, int channel)
{
    songScript = script;
    fixedSeconds = 0;
    sinkRows = shown.rows;
    sinkColumns = shown.columns;
    sinkUtf8 = shown.utf8;
    sinkRepaintAlways = shown.repaintEveryFrame;
    clearConsole();
    resetSink();
    ScreenBuffer screen;
    blankScreen(screen);
    prepareScenes();
    runScenes(screen);
    RunCounts counts = {};
    snprintf(counts.module, sizeof counts.module, "%s", startedModule.c_str());
    counts.songStarts = songStarts;
    counts.shownFor30Ms = std::count(picturesShown.begin(), picturesShown.end(), 30u);
    counts.shownFor24Ms = std::count(picturesShown.begin(), picturesShown.end(), 24u);
    counts.fades = std::min<size_t>(fadeRequests.size(), 4);
    std::copy_n(fadeRequests.begin(), counts.fades, counts.fadeRequests);
    FILE* out = fdopen(channel, "w");
    fwrite(&counts, sizeof counts, 1, out);
    fwrite(sinkBytes.data(), 1, sinkBytes.size(), out);
    _exit(fclose(out) == 0 ? 0 : 3);
}

ScheduleRun runSchedule(const SongScript& script, const Terminal& shown = {})
{
    int channel[2];
    EXPECT_EQ(pipe(channel), 0);
    pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        runChild(script, shown, channel[1]);
    }
    close(channel[1]);
    std::string data;
    char buffer[1 << 16];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        data.append(buffer, n);
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    ScheduleRun run;
    memcpy(&run.counts, data.data(), std::min(data.size(), sizeof run.counts));
    const std::vector<std::string> writes = splitWrites(data.substr(std::min(data.size(), sizeof run.counts)));
    // Every frame is one write; the logo's frames are the last hundred.
    VtermScreen terminal(shown.rows, shown.columns, shown.utf8);
    for (size_t frame = 0; frame < writes.size(); ++frame) {
        terminal.feed(writes[frame]);
        run.bytes += writes[frame].size();
        run.screens.push_back(terminal.wholeScreen());
        for (const char cell : terminal.picture())
            run.everyCellBytes += cellTable(shown.utf8)[static_cast<uint8_t>(cell)].length;
        if (frame + kLogoFrames < writes.size())
            run.frames.push_back(terminal.picture());
        else
            run.logoWrites.push_back(writes[frame]);
    }
    run.finalPicture = terminal.picture();
    return run;
}

uint8_t cellAt(const std::string& picture, int row, int column)
{
    return static_cast<uint8_t>(picture[row * 80 + column]);
}

// The first column in rows [from, to) that holds a banner letter's cell.
int leftmostLetter(const std::string& picture, size_t from, size_t to)
{
    for (int column = 0; column < 80; ++column)
        for (size_t row = from; row < to; ++row)
            if (picture[row * 80 + column] == '$')
                return column;
    return -1;
}

TEST(Schedule, PlaysTheFiveScenesAsTheSongMovesOnThenTheLogo)
{
    const ScheduleRun run = runSchedule(SongScript{});
    EXPECT_STREQ(run.counts.module, "qk17.xm");
    EXPECT_EQ(run.counts.songStarts, 1);
    EXPECT_EQ(run.counts.shownFor30Ms, 512);  // every scene frame, for the clock's look-ahead
    EXPECT_EQ(run.counts.shownFor24Ms, 256);
    ASSERT_EQ(run.frames.size(), 768u);  // orders 0..11, one row a frame

    for (int frame = 0; frame < 128; ++frame)  // the name, and the greeting flying in under it
        ASSERT_TRUE(run.frames[frame].find("tarvonik") != std::string::npos && helixCore(run.frames[frame]) < 0)
            << "frame " << frame;
    for (int frame = 128; frame < 256; ++frame)
        ASSERT_TRUE(showsTheBall(run.frames[frame])) << "frame " << frame;
    for (int frame = 256; frame < 384; ++frame)
        ASSERT_EQ(helixCore(run.frames[frame]), 10) << "frame " << frame;
    for (int j = 0; j < 128; ++j)  // the credits: the helix moves right, to 70
        ASSERT_EQ(helixCore(run.frames[384 + j]), std::min(11 + j, 70)) << "credits frame " << j;
    for (int j = 0; j < 256; ++j)  // the farewell: back left by 3 a frame, to 10
        ASSERT_EQ(helixCore(run.frames[512 + j]), std::max(67 - 3 * j, 10)) << "farewell frame " << j;

    // The greeting's banner is invisible on its first draw: only the name and
    // the paddles show.
    int written = 0;
    for (uint8_t cell : run.frames[0])
        written += cell != ' ';
    EXPECT_EQ(written, 14);

    // The credits: the handles' line stands one letter left of the headings'
    // line under it, as its text is one blank shorter at the start.
    const std::string& credits = run.frames[384 + 60];
    const size_t top = credits.find('$') / 80;
    EXPECT_EQ(leftmostLetter(credits, top + 8, 24) + 8, leftmostLetter(credits, top, top + 6));

    // The farewell is drawn at rows 10..15 from its second draw on.
    EXPECT_NE(run.frames[600].substr(10 * 80, 6 * 80).find('$'), std::string::npos);
    EXPECT_EQ(run.frames[600].substr(0, 10 * 80).find('$'), std::string::npos);

    EXPECT_EQ(run.finalPicture, logoPicture());
    // The music fades once, under the last ten logo frames.
    EXPECT_EQ(run.counts.fades, 1u);
    EXPECT_EQ(run.counts.fadeRequests[0], run.frames.size() + 90);

    // A burst on every eighth row of the ball scene, held at second 0 on row 15, column 28: the centre of
    // stages 4, 3, 2 and 1 (a single 'o'), and only stage 4 reaches row 12.
    for (int row = 7; row < 128; row += 8)
        for (int stage = 0; stage < 4 && row + stage < 128; ++stage) {
            EXPECT_EQ(cellAt(run.frames[128 + row + stage], 15, 28), "OOOo"[stage]) << "row " << row + stage;
            EXPECT_EQ(cellAt(run.frames[128 + row + stage], 12, 28) == 'o', stage == 0) << "row " << row + stage;
        }
}

// A scene whose end has passed draws no frame, and the helix drawn before
// the helix scene's loop shows under its first frame; the farewell ends at
// row 85 of order 11 when its pattern is that long; a song that ends early
// moves on to the logo.
TEST(Schedule, ScenesEndWhereTheSongSaysAndTheEarlyHelixShowsUnderTheFirstFrame)
{
    SongScript script;
    script.startOrder = 4;
    ScheduleRun run = runSchedule(script);
    ASSERT_EQ(run.frames.size(), 512u);
    EXPECT_EQ(helixCore(run.frames[0]), 10);
    // Row 2 of the helix drawn before the loop is one cell wider on each side
    // than the first frame's own, which is drawn over it.
    EXPECT_EQ(cellAt(run.frames[0], 2, 5), kDarkShade);
    EXPECT_EQ(cellAt(run.frames[0], 2, 15), 176);
    EXPECT_EQ(cellAt(run.frames[1], 2, 5), ' ');

    script.startOrder = 8;
    script.rowsPerOrder = 128;
    EXPECT_EQ(runSchedule(script).frames.size(), 3u * 128 + 85);

    script = SongScript{};
    script.endsAfterRows = 200;  // during the ball scene
    run = runSchedule(script);
    ASSERT_EQ(run.frames.size(), 200u);
    EXPECT_TRUE(showsTheBall(run.frames[199]));
    EXPECT_EQ(run.finalPicture, logoPicture());
}

// Sending only what changed shows, after every frame of every scene and of
// the logo, exactly the screen that repainting the whole frame shows, on an
// 80 x 24 terminal, on one that is not UTF-8 and on a larger one, for under a quarter of the bytes
// that writing every cell of every frame takes. The logo costs one picture:
// its other 99 frames are empty.
TEST(Schedule, EveryFrameShowsWhatAFullRepaintShowsForUnderAQuarterOfItsBytes)
{
    for (const Terminal& shown : {Terminal{24, 80}, Terminal{24, 80, false}, Terminal{30, 120}}) {
        SCOPED_TRACE(std::to_string(shown.columns) + " x " + std::to_string(shown.rows) + (shown.utf8 ? "" : ", not UTF-8"));
        Terminal repainting = shown;
        repainting.repaintEveryFrame = true;
        const ScheduleRun changes = runSchedule(SongScript{}, shown);
        const ScheduleRun whole = runSchedule(SongScript{}, repainting);
        ASSERT_EQ(changes.screens.size(), 768u + kLogoFrames);
        ASSERT_EQ(whole.screens.size(), changes.screens.size());
        for (size_t frame = 0; frame < changes.screens.size(); ++frame)
            ASSERT_EQ(changes.screens[frame], whole.screens[frame]) << "frame " << frame;
        EXPECT_LT(changes.bytes * 4, changes.everyCellBytes);
        for (int frame = 1; frame < kLogoFrames; ++frame)
            ASSERT_EQ(changes.logoWrites[frame], kEmptyFrame) << "logo frame " << frame;
        printf("%d columns: %zu bytes sending what changed, %zu for every cell (%.1f %%)\n", shown.columns,
               changes.bytes, changes.everyCellBytes, 100.0 * changes.bytes / changes.everyCellBytes);
    }
}

}  // namespace
