// The capture program's video, decoded with FFmpeg and held against the schedule run here on a scripted
// clock, its song positions taken from libopenmpt's render where the video's sound track puts it. Cells
// are compared by the glyph they show in the same font, so encoder noise cannot hide a wrong cell.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "demo/show.h"
#include "platform/capture/console_font.h"
#include "platform/posix/cell_encoding.h"
#include "platform/terminal.h"
#include "tests/fakes/scripted_clock.h"
#include "tests/support/scene_pictures.h"
#include "tests/support/song_alignment.h"
#include "tests/support/song_folder.h"

namespace {

constexpr int kCells = kPictureRows * kPictureColumns;
constexpr uint8_t kLitThreshold = 89;  // halfway between black (16) and light grey (162) in limited range

struct Frame {
    int64_t ms;
    std::string cells;  // kCells code page 437 bytes
};

// The reference run: the schedule on the scripted clock, hearing the song as libopenmpt renders it.
RenderedSong song;
int64_t songOffset = 0;          // where render frame 0 lies on the video's sound track
uint32_t showStartTicks = 0;
std::string grid(kCells, ' ');
std::vector<Frame> referenceFrames;
std::vector<Frame> videoFrames;  // the video's
int64_t pictureLeadMs = 15;  // a frame shows what is heard half a frame after it is drawn

int64_t referenceMs() { return static_cast<int64_t>(scriptedTicks - showStartTicks); }

SongRow heardRow()
{
    const int64_t frame = (referenceMs() + pictureLeadMs) * kSampleRate / 1000 - songOffset;
    auto after = std::upper_bound(song.rowStarts.begin(), song.rowStarts.end(), frame,
                                  [](int64_t f, const RowStart& start) { return f < start.frame; });
    return after == song.rowStarts.begin() ? SongRow{0, 0} : std::prev(after)->row;
}

}  // namespace

void terminalStart() {}
void terminalBeginFrame(bool clear)
{
    if (clear)
        grid.assign(kCells, ' ');
}
void terminalPutRun(int32_t row, int32_t column, int32_t count, const uint8_t* rowCells)
{
    memcpy(&grid[row * kPictureColumns + column], rowCells + column, count);
}
// A frame replaced in the same millisecond is never seen.
void terminalEndFrame()
{
    if (!referenceFrames.empty() && referenceFrames.back().ms == referenceMs())
        referenceFrames.pop_back();
    referenceFrames.push_back({referenceMs(), grid});
}
bool terminalNeedsRepaint() { return false; }
void terminalEnd() {}
void startMusic(const char*) {}
int32_t songOrder() { return heardRow().order; }
int32_t songRow() { return heardRow().row; }
void fadeOutMusic() {}
// The reference waits as the video's frames did; what those waits may be is checked below.
int32_t notePictureShown(uint32_t frameMs)
{
    pictureLeadMs = frameMs / 2;
    const size_t next = referenceFrames.size();
    return next < videoFrames.size() ? static_cast<int32_t>(videoFrames[next].ms - videoFrames[next - 1].ms - frameMs)
                                     : 0;
}
int64_t calendarSeconds() { return referenceMs() / 1000; }

namespace {

struct CaptureRun {
    int status;
    std::string errors;
};

// setup: shell commands run before the program, in its folder.
CaptureRun runCapture(const std::string& folder, const std::string& arguments, const std::string& setup = "")
{
    const std::string errorFile = folder + "/errors.txt";
    const int status = system(("cd " + folder + " && " + setup + " " + CAPTURE_BINARY + " " + arguments + " 2>" +
                               errorFile).c_str());
    std::stringstream errors;
    errors << std::ifstream(errorFile).rdbuf();
    std::filesystem::remove(errorFile);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, errors.str()};
}

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// One stream of the file through its decoder; calls take for each frame, with its time in milliseconds.
template <typename Take>
void decodeStream(const std::string& path, AVMediaType type, Take take)
{
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        return;
    avformat_find_stream_info(format, nullptr);
    const AVCodec* codec = nullptr;
    const int stream = av_find_best_stream(format, type, -1, -1, &codec, 0);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(context, format->streams[stream]->codecpar);
    avcodec_open2(context, codec, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto drain = [&] {
        while (avcodec_receive_frame(context, frame) >= 0)
            take(frame, av_rescale_q(frame->best_effort_timestamp, format->streams[stream]->time_base, {1, 1000}));
    };
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == stream && avcodec_send_packet(context, packet) >= 0)
            drain();
        av_packet_unref(packet);
    }
    avcodec_send_packet(context, nullptr);
    drain();
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    avformat_close_input(&format);
}

// The byte whose glyph a cell shows: the nearest glyph, a space where its glyph is among the nearest.
char shownCell(const ConsoleFont& font, const uint8_t* seen)
{
    auto distance = [&](int cell) {
        int bits = 0;
        for (int line = 0; line < kGlyphHeight; ++line)
            bits += __builtin_popcount(seen[line] ^ font.glyphs[cell][line]);
        return bits;
    };
    int nearest = ' ', nearestDistance = distance(' ');
    for (int cell = 0; cell < 256 && nearestDistance > 0; ++cell)
        if (const int d = distance(cell); d < nearestDistance)
            nearest = cell, nearestDistance = d;
    return static_cast<char>(nearest);
}

// The video's sound (interleaved stereo) and its frames as the cells they show; meanLuma: of the first
// frame's dark and lit pixels.
void decodeVideo(const std::string& path, const ConsoleFont& font, std::vector<float>& sound,
                 std::vector<Frame>& frames, double meanLuma[2])
{
    decodeStream(path, AVMEDIA_TYPE_AUDIO, [&](const AVFrame* frame, int64_t) {
        for (int i = 0; i < 2 * frame->nb_samples; ++i)
            sound.push_back(reinterpret_cast<const float*>(frame->data[i % 2])[i / 2]);
    });
    decodeStream(path, AVMEDIA_TYPE_VIDEO, [&](const AVFrame* frame, int64_t ms) {
        Frame shown{ms, std::string(kCells, ' ')};
        double level[2] = {};
        int count[2] = {};
        for (int cell = 0; cell < kCells; ++cell) {
            uint8_t seen[kGlyphHeight] = {};
            for (int line = 0; line < kGlyphHeight; ++line)
                for (int x = 0; x < kGlyphWidth; ++x) {
                    const int y = (cell / kPictureColumns) * kGlyphHeight + line, column = cell % kPictureColumns;
                    const uint8_t pixel = frame->data[0][y * frame->linesize[0] + column * kGlyphWidth + x];
                    const bool lit = pixel > kLitThreshold;
                    seen[line] |= lit ? 0x80 >> x : 0;
                    level[lit] += pixel;
                    ++count[lit];
                }
            shown.cells[cell] = shownCell(font, seen);
        }
        for (int lit = 0; lit < 2 && frames.empty(); ++lit)
            meanLuma[lit] = level[lit] / std::max(1, count[lit]);
        frames.push_back(std::move(shown));
    });
}

// The capture's chosen font read here on its own: version 1 PSF (the console-setup fonts' layout), the
// first glyph that shows each character of code page 437.
bool readFontGlyphs(const std::string& file, ConsoleFont& font)
{
    std::vector<uint8_t> bytes(1 << 20);
    gzFile in = gzopen((std::string(kConsoleFontFolder) + "/" + file).c_str(), "rb");
    const int size = in ? gzread(in, bytes.data(), static_cast<unsigned>(bytes.size())) : 0;
    if (in)
        gzclose(in);
    if (size < 4 || bytes[0] != 0x36 || bytes[1] != 0x04 || bytes[3] != kGlyphHeight)
        return false;
    const int glyphs = bytes[2] & 1 ? 512 : 256;
    std::vector<int> glyphOf(0x10000, -1);  // by UCS-2 character
    bool inSequence = false;
    for (int at = 4 + glyphs * kGlyphHeight, glyph = 0; at + 1 < size && glyph < glyphs; at += 2) {
        const int character = bytes[at] | bytes[at + 1] << 8;
        glyph += character == 0xFFFF;
        inSequence = character == 0xFFFE || (inSequence && character != 0xFFFF);
        if (character < 0xFFFE && !inSequence && glyphOf[character] < 0)
            glyphOf[character] = glyph;
    }
    for (int cell = 0; cell < 256; ++cell)
        if (kCp437Characters[cell] < 0x10000 && glyphOf[kCp437Characters[cell]] >= 0)
            memcpy(font.glyphs[cell], &bytes[4 + glyphOf[kCp437Characters[cell]] * kGlyphHeight], kGlyphHeight);
    return true;
}

class Capture : public ::testing::Test {
protected:
    static inline std::string folder;
    static inline CaptureRun run;
    static inline ConsoleFont font;
    static inline std::vector<float> sound;         // the video's track
    static inline double meanLuma[2];               // dark, lit

    static void SetUpTestSuite()
    {
        folder = folderWith(Song::show);
        run = runCapture(folder, "show.mp4");
        std::string error;
        ConsoleFont chosen;
        ASSERT_TRUE(loadConsoleFont(kConsoleFontFolder, chosen, error)) << error;
        ASSERT_TRUE(readFontGlyphs(chosen.file, font)) << chosen.file;
        song = renderWholeSong(SHOW_MODULE_PATH);
        decodeVideo(folder + "/show.mp4", font, sound, videoFrames, meanLuma);
        ASSERT_GT(sound.size(), song.sound.size() / 2);
        songOffset = findSongOffset(sound, song.sound);
        scriptedStep = 0;
        showStartTicks = scriptedTicks;
        ScreenBuffer screen;
        playShow(screen);
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(folder); }
};

TEST_F(Capture, WritesTheWholeShowAndSaysHowFarItGot)
{
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.errors.find("100 %"), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("x real time"), std::string::npos);
    EXPECT_EQ(filesIn(folder), (std::vector<std::string>{"qk17.xm", "show.mp4"}));
    EXPECT_NEAR(meanLuma[1], 162, 12);  // light grey, in the video's limited range
    EXPECT_NEAR(meanLuma[0], 16, 6);    // black
}

// Every frame of the show and nothing else: the same count and times (30 ms apart, 24 ms in the farewell,
// but for the music clock's moves of at most 3 ms later or 1 earlier) and, cell for cell, the same glyphs.
TEST_F(Capture, EveryFrameIsTheSchedulesFrameAtItsTime)
{
    ASSERT_EQ(videoFrames.size(), referenceFrames.size());
    int wrongFrames = 0;
    for (size_t index = 0; index < videoFrames.size(); ++index) {
        ASSERT_EQ(videoFrames[index].ms, referenceFrames[index].ms) << "frame " << index;
        const int64_t step = index > 0 ? videoFrames[index].ms - videoFrames[index - 1].ms : 30;
        EXPECT_TRUE((step >= 29 && step <= 33) || (step >= 23 && step <= 27)) << "frame " << index << " after " << step;
        int wrong = 0;
        for (int cell = 0; cell < kCells; ++cell)
            wrong += memcmp(font.glyphs[uint8_t(referenceFrames[index].cells[cell])],
                            font.glyphs[uint8_t(videoFrames[index].cells[cell])], kGlyphHeight) != 0;
        if (wrong > 0 && ++wrongFrames <= 5)
            ADD_FAILURE() << "frame " << index << " at " << videoFrames[index].ms << " ms: " << wrong
                          << " cells differ";
    }
    EXPECT_EQ(wrongFrames, 0);
}

TEST_F(Capture, TheSoundIsTheSongAsLibopenmptRendersIt)
{
    ASSERT_GT(referenceFrames.size(), 100u);
    // Up to the logo: the fade under it is the show's, not the song's.
    const int64_t logoMs = referenceFrames[referenceFrames.size() - 100].ms;
    EXPECT_GE(correlation(sound, song.sound, songOffset, 0, logoMs * kSampleRate / 1000 - songOffset), 0.99);
    // The song starts after the three seconds of the silent intro.
    EXPECT_GT(songOffset, 3 * kSampleRate);
    EXPECT_LT(songOffset, 3 * kSampleRate + kSampleRate / 4);
}

// Each scene cut as the pictures show it, within 2 ms (and a frame) of its order change on the sound track.
TEST_F(Capture, EverySceneCutIsWithinAFrameOfItsOrderChange)
{
    const std::vector<int64_t> changes = sceneEndFrames(song.rowStarts);
    std::vector<std::string> pictures;
    for (const Frame& frame : videoFrames)
        pictures.push_back(frame.cells.substr(0, 24 * 80));
    const std::vector<size_t> cuts = sceneCuts(pictures);
    ASSERT_EQ(cuts.size(), 5u);
    ASSERT_EQ(changes.size(), 5u);
    for (size_t scene = 0; scene < 5; ++scene) {
        ASSERT_GT(cuts[scene], 0u);
        const int64_t ms = videoFrames[cuts[scene]].ms, frameMs = ms - videoFrames[cuts[scene] - 1].ms;
        const double changeMs = (changes[scene] + songOffset) * 1000.0 / kSampleRate;
        EXPECT_LE(std::fabs(ms - changeMs), std::min<double>(frameMs, 2))
            << "cut " << scene + 1 << " at " << ms << " ms, its order change at " << changeMs << " ms";
    }
}

// A failed run leaves nothing behind: no output, no temporary file. The file size limit fails it mid-write.
TEST(CaptureFailure, EndsWithStatus1AndAMessageAndNoFile)
{
    const struct { Song song; const char* arguments; const char* setup; } cases[] = {
        {Song::none, "out.mp4", ""},
        {Song::broken, "out.mp4", ""},
        {Song::fast, "out.mp4", "TEXTDEMO_CONSOLE_FONTS=/nonexistent"},
        {Song::fast, "missing/out.mp4", ""},
        {Song::fast, "qk17.xm/out.mp4", ""},
        {Song::fast, "/dev/full", ""},
        {Song::fast, "out.mp4", "ulimit -f 64 && trap '' XFSZ &&"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases + 1) + ": " + c.setup + " " + c.arguments);
        const std::string folder = folderWith(c.song);
        const std::vector<std::string> before = filesIn(folder);
        const CaptureRun failed = runCapture(folder, c.arguments, c.setup);
        EXPECT_EQ(failed.status, 1);
        EXPECT_NE(failed.errors.find("textdemo-capture: "), std::string::npos) << failed.errors;
        EXPECT_EQ(filesIn(folder), before);
        std::filesystem::remove_all(folder);
    }
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full")) << "the device was replaced";
}

TEST(CaptureStills, OnePicturePerSceneAndTheLogo)
{
    const std::string folder = folderWith(Song::fast);
    const CaptureRun stills = runCapture(folder, "--stills pictures");
    EXPECT_EQ(stills.status, 0) << stills.errors;
    ASSERT_EQ(filesIn(folder + "/pictures"), (std::vector<std::string>{"1-greeting.png", "2-ball.png", "3-helix.png",
                                                                       "4-credits.png", "5-farewell.png", "6-logo.png"}));
    int logoPixels = 0;
    decodeStream(folder + "/pictures/6-logo.png", AVMEDIA_TYPE_VIDEO, [&](const AVFrame* frame, int64_t) {
        EXPECT_EQ(frame->width, kPictureWidth);
        EXPECT_EQ(frame->height, kPictureHeight);
        for (int y = 0; y < frame->height; ++y)
            logoPixels += std::count(frame->data[0] + y * frame->linesize[0],
                                     frame->data[0] + y * frame->linesize[0] + frame->width, kLitLevel);
    });
    EXPECT_GT(logoPixels, 20000);  // the logo's eights and dots, light grey
    std::filesystem::remove_all(folder);
}

}  // namespace
