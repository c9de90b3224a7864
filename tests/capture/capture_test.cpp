// The capture program's video of the whole show, decoded with FFmpeg's
// libraries and held against an independent account of the same show: the
// schedule run here on a scripted clock, its song positions taken from
// libopenmpt's render of the module at the place the video's own sound
// track puts it. Frames are compared cell by cell, by the glyph each cell
// shows in the same font, so encoder noise cannot hide a wrong cell.

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <libopenmpt/libopenmpt.hpp>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "demo/show.h"
#include "music/module_file.h"
#include "music/song_render.h"
#include "platform/capture/console_font.h"
#include "platform/posix/cell_encoding.h"
#include "platform/terminal.h"
#include "tests/fakes/scripted_clock.h"
#include "tests/support/scene_pictures.h"

namespace {

constexpr int kCells = kPictureRows * kPictureColumns;
constexpr uint8_t kLitThreshold = 89;   // halfway between black (16) and light grey (162) in limited range

struct Frame {
    int64_t ms;
    std::string cells;  // kCells code page 437 bytes
};

// --- the reference run: the schedule on the tests' scripted clock ---

struct RowStart {
    int64_t frame;
    SongRow row;
};
std::vector<RowStart> rowStarts;  // of libopenmpt's render, in render frames
int64_t songOffset = 0;           // where render frame 0 lies on the video's sound track
uint32_t showStartTicks = 0;
std::string grid(kCells, ' ');
std::vector<Frame> referenceFrames;
std::vector<int64_t> videoFrameMs;  // the decoded video's frame times
int64_t pictureLeadMs = 15;         // a frame shows what is heard half a frame after it is drawn

int64_t referenceMs() { return static_cast<int64_t>(scriptedTicks - showStartTicks); }

SongRow heardRow()
{
    const int64_t frame = (referenceMs() + pictureLeadMs) * kSampleRate / 1000 - songOffset;
    auto after = std::upper_bound(rowStarts.begin(), rowStarts.end(), frame,
                                  [](int64_t f, const RowStart& start) { return f < start.frame; });
    return after == rowStarts.begin() ? SongRow{0, 0} : std::prev(after)->row;
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
// The music clock moves the frames a few milliseconds onto the song's order
// starts: the reference waits as the video's frames did (what those waits
// may be, and that the cuts land on their notes, is checked below).
int32_t notePictureShown(uint32_t frameMs)
{
    pictureLeadMs = frameMs / 2;
    const size_t shown = referenceFrames.size() - 1;
    if (shown + 1 >= videoFrameMs.size())
        return 0;
    return static_cast<int32_t>(videoFrameMs[shown + 1] - videoFrameMs[shown] - frameMs);
}
int64_t calendarSeconds() { return referenceMs() / 1000; }

namespace {

// --- running the program ---

std::string makeFolder(const std::string& song)
{
    char name[] = "/tmp/textdemo-capture-XXXXXX";
    std::string folder = mkdtemp(name) ? name : "/tmp";
    if (song == "show")
        std::ofstream(folder + "/qk17.xm", std::ios::binary) << std::ifstream(SHOW_MODULE_PATH, std::ios::binary).rdbuf();
    else if (song == "fast")
        EXPECT_EQ(system((std::string(MAKE_MODULE_BINARY) + " --fast " + folder + "/qk17.xm").c_str()), 0);
    else if (song == "broken")
        std::ofstream(folder + "/qk17.xm") << "Extended Module: not really one";
    return folder;
}

struct CaptureRun {
    int status;
    std::string errors;
};

CaptureRun runCapture(const std::string& folder, const std::string& arguments, const std::string& environment = "")
{
    std::string command = "cd " + folder + " && " + environment + " " + CAPTURE_BINARY + " " + arguments +
                          " 2>" + folder + "/errors.txt";
    int status = system(command.c_str());
    std::stringstream errors;
    errors << std::ifstream(folder + "/errors.txt").rdbuf();
    unlink((folder + "/errors.txt").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, errors.str()};
}

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* listing = opendir(folder.c_str())) {
        while (dirent* entry = readdir(listing))
            if (entry->d_name[0] != '.')
                names.push_back(entry->d_name);
        closedir(listing);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// --- decoding the video ---

using Bitmap = std::array<uint8_t, kGlyphHeight>;

int distance(const Bitmap& a, const uint8_t* b)
{
    int bits = 0;
    for (int line = 0; line < kGlyphHeight; ++line)
        bits += __builtin_popcount(a[line] ^ b[line]);
    return bits;
}

// The byte whose glyph a cell of the picture shows: the nearest glyph, and
// `expected` itself wherever its glyph is among the nearest.
uint8_t shownCell(const ConsoleFont& font, const Bitmap& seen, uint8_t expected)
{
    const int expectedDistance = distance(seen, font.glyphs[expected]);
    if (expectedDistance == 0)
        return expected;
    int nearest = expected, nearestDistance = expectedDistance;
    for (int cell = 0; cell < 256; ++cell) {
        const int d = distance(seen, font.glyphs[cell]);
        if (d < nearestDistance) {
            nearest = cell;
            nearestDistance = d;
        }
    }
    return static_cast<uint8_t>(nearest);
}

struct Decoded {
    std::vector<Frame> frames;  // the cells as they show, read against the reference frame of the same index
    std::vector<float> sound;   // interleaved stereo
    double litLevel = 0, darkLevel = 0;  // the mean luma of lit and dark pixels in the first frame
};

// One stream of the file through its decoder; calls take for each frame.
template <typename Take>
bool decodeStream(const std::string& path, AVMediaType type, Take take)
{
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        return false;
    avformat_find_stream_info(format, nullptr);
    const AVCodec* codec = nullptr;
    int stream = av_find_best_stream(format, type, -1, -1, &codec, 0);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(context, format->streams[stream]->codecpar);
    avcodec_open2(context, codec, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    const AVRational timeBase = format->streams[stream]->time_base;
    auto drain = [&] {
        while (avcodec_receive_frame(context, frame) >= 0)
            take(frame, av_rescale_q(frame->best_effort_timestamp, timeBase, {1, 1000}));
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
    return true;
}

void decodePictures(const std::string& path, const ConsoleFont& font, Decoded& decoded)
{
    decodeStream(path, AVMEDIA_TYPE_VIDEO, [&](const AVFrame* frame, int64_t ms) {
        const size_t index = decoded.frames.size();
        const std::string& expected = index < referenceFrames.size() ? referenceFrames[index].cells : grid;
        Frame shown{ms, std::string(kCells, ' ')};
        double lit = 0, dark = 0;
        int litCount = 0, darkCount = 0;
        for (int cell = 0; cell < kCells; ++cell) {
            Bitmap seen{};
            for (int line = 0; line < kGlyphHeight; ++line) {
                const uint8_t* pixels = frame->data[0] + ((cell / kPictureColumns) * kGlyphHeight + line) * frame->linesize[0] +
                                        (cell % kPictureColumns) * kGlyphWidth;
                for (int x = 0; x < kGlyphWidth; ++x) {
                    const bool on = pixels[x] > kLitThreshold;
                    seen[line] |= on ? 0x80 >> x : 0;
                    (on ? lit : dark) += pixels[x];
                    ++(on ? litCount : darkCount);
                }
            }
            shown.cells[cell] = static_cast<char>(shownCell(font, seen, static_cast<uint8_t>(expected[cell])));
        }
        if (index == 0) {
            decoded.litLevel = litCount ? lit / litCount : 0;
            decoded.darkLevel = darkCount ? dark / darkCount : 0;
        }
        decoded.frames.push_back(std::move(shown));
    });
}

void decodeSound(const std::string& path, Decoded& decoded)
{
    decodeStream(path, AVMEDIA_TYPE_AUDIO, [&](const AVFrame* frame, int64_t) {
        const float* left = reinterpret_cast<const float*>(frame->data[0]);
        const float* right = reinterpret_cast<const float*>(frame->data[1]);
        for (int i = 0; i < frame->nb_samples; ++i) {
            decoded.sound.push_back(left[i]);
            decoded.sound.push_back(right[i]);
        }
    });
}

// The glyphs of the capture's chosen font, read here on their own: the
// version 1 PSF layout (the console-setup fonts' own), the first glyph that
// shows each character of code page 437.
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
    std::map<char32_t, int> glyphOf;
    bool inSequence = false;
    for (int at = 4 + glyphs * kGlyphHeight, glyph = 0; at + 1 < size && glyph < glyphs; at += 2) {
        const char32_t character = bytes[at] | bytes[at + 1] << 8;
        glyph += character == 0xFFFF;
        inSequence = character == 0xFFFE || (inSequence && character != 0xFFFF);
        if (character < 0xFFFE && !inSequence)
            glyphOf.emplace(character, glyph);
    }
    for (int cell = 0; cell < 256; ++cell) {
        auto found = glyphOf.find(kCp437Characters[cell]);
        if (found != glyphOf.end())
            memcpy(font.glyphs[cell], &bytes[4 + found->second * kGlyphHeight], kGlyphHeight);
    }
    return true;
}

// --- the song as libopenmpt renders it ---

std::vector<float> renderSong(const char* path)
{
    std::ostringstream log;
    std::unique_ptr<openmpt::module> module = loadModule(path, log);
    SongRender render;
    render.module = module.get();
    SongPosition position;
    std::vector<float> sound;
    int16_t chunk[2 * 4096];
    for (int64_t kept = 0; !render.ended;) {
        renderSong(render, position, chunk, 4096);
        sound.insert(sound.end(), chunk, chunk + 2 * 4096);
        for (RowStart start; recordedRowStart(position, kept, start.frame, start.row); ++kept)
            rowStarts.push_back(start);
    }
    for (float& sample : sound)
        sample /= 32768.0f;
    return sound;
}

double correlation(const std::vector<float>& track, const std::vector<float>& song, int64_t offset, int64_t frames)
{
    double st = 0, ss = 0, tt = 0;
    for (int64_t i = 0; i < 2 * frames; ++i) {
        const double t = track[2 * offset + i], s = song[i];
        st += s * t;
        ss += s * s;
        tt += t * t;
    }
    return st / std::sqrt(ss * tt + 1e-30);
}

// Where the song starts on the track: from the first loud sample of each,
// then the offset nearby that matches a second of the song best.
int64_t findSongOffset(const std::vector<float>& track, const std::vector<float>& song)
{
    auto onset = [](const std::vector<float>& sound) {
        size_t at = 0;
        while (at < sound.size() && std::fabs(sound[at]) < 0.03f)
            ++at;
        return static_cast<int64_t>(at / 2);
    };
    const int64_t guess = onset(track) - onset(song);
    int64_t best = guess;
    double bestScore = -2;
    for (int64_t offset = std::max<int64_t>(0, guess - 1500); offset <= guess + 1500; ++offset) {
        const double score = correlation(track, song, offset, kSampleRate);
        if (score > bestScore) {
            bestScore = score;
            best = offset;
        }
    }
    return best;
}

class Capture : public ::testing::Test {
protected:
    static inline std::string folder;
    static inline CaptureRun run;
    static inline ConsoleFont font;
    static inline Decoded decoded;
    static inline std::vector<float> song;

    static void SetUpTestSuite()
    {
        folder = makeFolder("show");
        run = runCapture(folder, "show.mp4");
        std::string error;
        ConsoleFont chosen;
        ASSERT_TRUE(loadConsoleFont(kConsoleFontFolder, chosen, error)) << error;
        ASSERT_TRUE(readFontGlyphs(chosen.file, font)) << chosen.file;
        const std::string video = folder + "/show.mp4";
        decodeSound(video, decoded);
        song = renderSong(SHOW_MODULE_PATH);
        ASSERT_GT(decoded.sound.size(), song.size() / 2);
        songOffset = findSongOffset(decoded.sound, song);
        decodePictures(video, font, decoded);
        for (const Frame& frame : decoded.frames)
            videoFrameMs.push_back(frame.ms);
        scriptedStep = 0;
        showStartTicks = scriptedTicks;
        ScreenBuffer screen;
        playShow(screen);
    }
};

TEST_F(Capture, WritesTheWholeShowAndSaysHowFarItGot)
{
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.errors.find("100 %"), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("x real time"), std::string::npos);
    EXPECT_EQ(filesIn(folder), (std::vector<std::string>{"qk17.xm", "show.mp4"}));
    EXPECT_NEAR(decoded.litLevel, 162, 12);  // light grey, in the video's limited range
    EXPECT_NEAR(decoded.darkLevel, 16, 6);   // black
}

// Every frame of the show, and nothing else: the same count, the same times
// (30 ms apart, 24 ms in the farewell, but for the music clock's moves of
// at most 3 ms later or 1 earlier) and, cell for cell, the same glyphs.
TEST_F(Capture, EveryFrameIsTheSchedulesFrameAtItsTime)
{
    ASSERT_EQ(decoded.frames.size(), referenceFrames.size());
    int wrongFrames = 0;
    for (size_t index = 0; index < decoded.frames.size(); ++index) {
        ASSERT_EQ(decoded.frames[index].ms, referenceFrames[index].ms) << "frame " << index;
        const std::string& want = referenceFrames[index].cells;
        const std::string& shown = decoded.frames[index].cells;
        int wrong = 0;
        for (int cell = 0; cell < kCells; ++cell)
            wrong += want[cell] != shown[cell] && memcmp(font.glyphs[uint8_t(want[cell])], font.glyphs[uint8_t(shown[cell])], kGlyphHeight) != 0;
        if (wrong > 0 && ++wrongFrames <= 5)
            ADD_FAILURE() << "frame " << index << " at " << referenceFrames[index].ms << " ms: " << wrong << " cells differ";
    }
    EXPECT_EQ(wrongFrames, 0);
    std::map<int64_t, int> steps;
    for (size_t index = 1; index < decoded.frames.size(); ++index) {
        const int64_t step = decoded.frames[index].ms - decoded.frames[index - 1].ms;
        ASSERT_TRUE((step >= 29 && step <= 33) || (step >= 23 && step <= 27))
            << "frame " << index << " comes " << step << " ms after the one before";
        ++steps[step];
    }
    printf("%zu frames:", decoded.frames.size());
    for (const auto& [step, count] : steps)
        printf(" %d of %lld ms", count, static_cast<long long>(step));
    printf("\n");
}

TEST_F(Capture, TheSoundIsTheSongAsLibopenmptRendersIt)
{
    ASSERT_FALSE(referenceFrames.empty());
    // Up to the logo: the fade under it is the show's, not the song's.
    const int64_t logoMs = referenceFrames[referenceFrames.size() - 100].ms;
    const int64_t frames = std::min<int64_t>(logoMs * kSampleRate / 1000 - songOffset, song.size() / 2);
    const double match = correlation(decoded.sound, song, songOffset, frames);
    printf("sound against the render: correlation %.5f, the song from track frame %lld\n", match,
           static_cast<long long>(songOffset));
    EXPECT_GE(match, 0.99);
    // The song starts after the three seconds of the silent intro.
    EXPECT_GT(songOffset, 3 * kSampleRate);
    EXPECT_LT(songOffset, 3 * kSampleRate + kSampleRate / 4);
}

// Each scene cut as the pictures show it, against its order change on the
// video's own sound track: on it, within the pacer's millisecond and the
// video's.
TEST_F(Capture, EverySceneCutIsWithinAFrameOfItsOrderChange)
{
    auto songMs = [](int32_t order, int32_t row) {
        for (const RowStart& start : rowStarts)
            if (start.row.order > order || (start.row.order == order && start.row.row >= row))
                return static_cast<double>(start.frame + songOffset) * 1000 / kSampleRate;
        return -1.0;
    };
    const double changes[] = {songMs(2, 0), songMs(4, 0), songMs(6, 0), songMs(8, 0),
                              std::min(songMs(11, 85), songMs(12, 0))};
    std::vector<size_t> cuts;
    int lastCore = -1;
    for (size_t index = 1; index < decoded.frames.size(); ++index) {
        const std::string picture = decoded.frames[index].cells.substr(0, 24 * 80);
        const int core = helixCore(picture);
        const bool cut = cuts.size() == 0   ? std::count(picture.begin(), picture.end(), '.') > 1000
                         : cuts.size() == 1 ? core == 10
                         : cuts.size() == 2 ? core == 11
                         : cuts.size() == 3 ? core >= 0 && core < lastCore
                                            : cuts.size() == 4 && picture.find('8') != std::string::npos;
        lastCore = core;
        if (cut)
            cuts.push_back(index);
    }
    ASSERT_EQ(cuts.size(), 5u);
    for (size_t scene = 0; scene < 5; ++scene) {
        const Frame& first = decoded.frames[cuts[scene]];
        const int64_t frameMs = first.ms - decoded.frames[cuts[scene] - 1].ms;
        printf("cut %zu: frame at %lld ms, order change heard at %.1f ms\n", scene + 1, static_cast<long long>(first.ms),
               changes[scene]);
        EXPECT_LE(std::fabs(first.ms - changes[scene]), std::min<double>(frameMs, 2))
            << "cut " << scene + 1 << " at " << first.ms << " ms, its order change at " << changes[scene] << " ms";
    }
}

// A failed run leaves nothing behind: no output, no temporary file.
TEST(CaptureFailure, EndsWithStatus1AndAMessageAndNoFile)
{
    struct Case {
        const char* song;
        const char* arguments;
        const char* environment;
    } cases[] = {
        {"none", "out.mp4", ""},
        {"broken", "out.mp4", ""},
        {"fast", "out.mp4", "TEXTDEMO_CONSOLE_FONTS=/nonexistent"},
        {"fast", "missing/out.mp4", ""},
        {"fast", "qk17.xm/out.mp4", ""},
        {"fast", "/dev/full", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.song) + " song, " + c.environment + " " + c.arguments);
        const std::string folder = makeFolder(c.song);
        const std::vector<std::string> before = filesIn(folder);
        const CaptureRun failed = runCapture(folder, c.arguments, c.environment);
        EXPECT_EQ(failed.status, 1);
        EXPECT_NE(failed.errors.find("textdemo-capture: "), std::string::npos) << failed.errors;
        EXPECT_EQ(filesIn(folder), before);
    }
    struct stat full;
    ASSERT_EQ(stat("/dev/full", &full), 0);
    EXPECT_TRUE(S_ISCHR(full.st_mode));
}

TEST(CaptureStills, OnePicturePerSceneAndTheLogo)
{
    const std::string folder = makeFolder("fast");
    const CaptureRun stills = runCapture(folder, "--stills pictures");
    EXPECT_EQ(stills.status, 0) << stills.errors;
    const std::vector<std::string> names = {"1-greeting.png", "2-ball.png", "3-helix.png", "4-credits.png",
                                            "5-farewell.png", "6-logo.png"};
    ASSERT_EQ(filesIn(folder + "/pictures"), names);
    int logoPixels = 0;
    decodeStream(folder + "/pictures/6-logo.png", AVMEDIA_TYPE_VIDEO, [&](const AVFrame* frame, int64_t) {
        EXPECT_EQ(frame->width, kPictureWidth);
        EXPECT_EQ(frame->height, kPictureHeight);
        for (int y = 0; y < frame->height; ++y)
            logoPixels += std::count(frame->data[0] + y * frame->linesize[0],
                                     frame->data[0] + y * frame->linesize[0] + frame->width, kLitLevel);
    });
    EXPECT_GT(logoPixels, 20000);  // the logo's eights and dots, light grey
}

}  // namespace
