#include "tests/sound/heard_show.h"

#include <chrono>
#include <regex>

#include "platform/clock.h"
#include "tests/support/scene_pictures.h"
#include "tests/support/song_alignment.h"
#include "tests/support/vterm_screen.h"

namespace {

constexpr int kRows = 25;

double rms(const std::vector<float>& samples, int64_t from, int64_t to)
{
    double sum = 0;
    int64_t count = 0;
    for (int64_t i = std::max<int64_t>(0, 2 * from); i < std::min<int64_t>(samples.size(), 2 * to); ++i, ++count)
        sum += static_cast<double>(samples[i]) * samples[i];
    return count > 0 ? std::sqrt(sum / count) : 0;
}

// The lag within half a second of `lag` at which the recording holds the
// song's 200 ms from `from` best: first by 5-ms levels, then to the frame.
int64_t relocate(const std::vector<float>& rec, const std::vector<float>& song, int64_t lag, int64_t from)
{
    const int64_t step = kSampleRate / 200, span = kSampleRate / 5;
    const auto levelsApart = [&](int64_t at) {
        double difference = 0;
        for (int64_t t = from; t < from + span; t += step)
            difference += std::fabs(rms(rec, t + at, t + at + step) - rms(song, t, t + step));
        return difference;
    };
    int64_t found = lag;
    double fewest = INFINITY, most = -2;
    for (int64_t at = lag - kSampleRate / 2; at <= lag + kSampleRate / 2; at += step)
        if (const double apart = levelsApart(at); apart < fewest)
            fewest = apart, found = at;
    for (int64_t at = found - step, coarse = found; at <= coarse + step; ++at)
        if (const double alike = correlation(rec, song, at, from, from + span); alike > most)
            most = alike, found = at;
    return found;
}

// The song in windows of 20 ms, each where it sounds held against the
// recording: heard when the recording has its level and shape there. An
// unheard one begins a gap, a dropout that delays or skips what follows, so
// the song is looked for again there (and every half second of the gap).
void walkSong(const std::vector<float>& rec, const std::vector<float>& song, int64_t lag, HeardFigures& figures)
{
    const int64_t window = kSampleRate / 50;
    int sounding = 0, heard = 0, sinceRelocated = 0;
    bool inGap = false;
    for (int64_t from = 0; 2 * (from + window) <= static_cast<int64_t>(song.size()); from += window) {
        const double level = rms(song, from, from + window);
        const auto matches = [&] {
            return rms(rec, from + lag, from + lag + window) >= 0.3 * level &&
                   correlation(rec, song, lag, from, from + window) >= 0.8;
        };
        if (level < 0.01)
            continue;
        bool isHeard = matches();
        if (!isHeard && (!inGap || ++sinceRelocated == 25)) {
            figures.gaps += !inGap;
            lag = relocate(rec, song, lag, from);
            isHeard = matches();
            sinceRelocated = 0;
        }
        inGap = !isHeard;
        heard += isHeard;
        ++sounding;
    }
    figures.heardShare = sounding > 0 ? static_cast<double>(heard) / sounding : 0;
}

// The output outside the synchronized writes, without control sequences,
// control codes and spaces: anything left is text that is not the show.
std::string foreignText(const std::string& output)
{
    std::string rest;
    size_t at = 0;
    for (size_t begin; (begin = output.find(kSyncBegin, at)) != std::string::npos;
         at = std::min(output.find(kSyncEnd, begin), output.size()))
        rest.append(output, at, begin - at);
    rest.append(output, at);
    static const std::regex kNothingShown("\x1b\\[[0-?]*[ -/]*[@-~]|[\\x00-\\x20\\x7f]");
    return std::regex_replace(rest, kNothingShown, "");
}

}  // namespace

void runShow(const SoundServer& server, const std::string& program, const std::string& folder,
             int timeoutSeconds, ShowRun& run, const std::vector<std::string>& arguments)
{
    startRecording(server, run.recording);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the recorder is under way
    PtyOptions options;
    options.rows = kRows;
    options.errorsOnTerminal = true;
    options.timeoutSeconds = timeoutSeconds;
    options.arguments = arguments;
    const int64_t start = monotonicNanos();
    run.shown = runInPty(program, folder, options);
    run.wallSeconds = (monotonicNanos() - start) / 1e9;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the sound after the exit
    stopRecording(run.recording);
}

HeardFigures measureShow(const ShowRun& run, const std::string& modulePath)
{
    HeardFigures figures;
    const RenderedSong song = renderWholeSong(modulePath.c_str());
    const Recording& recording = run.recording;
    std::vector<float> rec;
    for (int16_t sample : recording.samples)
        rec.push_back(sample / 32768.0f);
    const int64_t lag = findSongOffset(rec, song.sound);
    figures.correlation = correlation(rec, song.sound, lag, 0, song.sound.size() / 2);
    walkSong(rec, song.sound, lag, figures);
    const std::vector<size_t> cuts = sceneCuts(picturesAfterWrites(run.shown.output, kRows));
    const std::vector<int64_t> ends = sceneEndFrames(song.rowStarts);
    // When a frame of the recording was heard, in seconds of the monotonic clock.
    auto heardAt = [&](int64_t frame) { return recording.firstFrameNanos / 1e9 + frame / recording.framesPerSecond; };
    for (size_t cut = 0; cut < 5; ++cut)
        figures.cutErrorsMs.push_back(cut < cuts.size() && cut < ends.size()
                                          ? (run.shown.writeTimes[cuts[cut]] - heardAt(ends[cut] + lag)) * 1000
                                          : NAN);
    const int64_t exitFrame = (run.shown.endedAt - heardAt(0)) * recording.framesPerSecond;
    const double level = rms(rec, exitFrame - kSampleRate / 10, exitFrame);
    figures.exitLevelDb = level > 0 ? 20 * std::log10(level) : -120;
    figures.foreignText = foreignText(run.shown.output);
    return figures;
}
