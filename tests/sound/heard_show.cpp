#include "tests/sound/heard_show.h"

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "platform/clock.h"
#include "tests/support/scene_pictures.h"
#include "tests/support/pty_run.h"
#include "tests/support/vterm_screen.h"

namespace {

constexpr char kSyncBegin[] = "\x1b[?2026h";
constexpr char kSyncEnd[] = "\x1b[?2026l";
constexpr int kRate = 44100;
constexpr int kRows = 25;

}  // namespace

void runShow(const SoundServer& server, const std::string& program, const std::string& folder,
             int timeoutSeconds, ShowRun& run)
{
    startRecording(server, run.recording);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the recorder is under way
    PtyOptions options;
    options.rows = kRows;
    options.errorsOnTerminal = true;
    options.timeoutSeconds = timeoutSeconds;
    const int64_t start = monotonicNanos();
    const PtyRun shown = runInPty(program, folder, options);
    for (double seconds : shown.writeTimes)
        run.writeNanos.push_back(static_cast<int64_t>(seconds * kNanosPerSecond));
    run.output = shown.output;
    run.exitNanos = shown.endedAt > 0 ? static_cast<int64_t>(shown.endedAt * kNanosPerSecond) : monotonicNanos();
    run.exitStatus = shown.exitStatus;
    run.cpuSeconds = shown.cpuSeconds;
    run.wallSeconds = (run.exitNanos - start) / 1e9;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the sound after the exit
    stopRecording(run.recording);
}

namespace {

struct Reference {
    std::vector<int16_t> samples;
    std::vector<int64_t> cutFrames;  // where the song reaches each scene's end position
};

// The positions that end the five scenes: orders 2, 4, 6 and 8, then order
// 11 row 85 or order 12, whichever comes first.
bool pastCut(size_t cut, int order, int row)
{
    static const int kCutOrders[] = {2, 4, 6, 8, 12};
    return order >= kCutOrders[cut] || (cut == 4 && order == 11 && row >= 85);
}

// libopenmpt's render, read in slices of 32 frames: a change of position
// seen after a slice happened within it.
Reference render(const std::vector<uint8_t>& module)
{
    std::ostringstream log;
    openmpt::module song(module, log, std::map<std::string, std::string>{{"play.at_end", "stop"}});
    song.set_repeat_count(0);
    Reference reference;
    int16_t slice[2 * 32];
    for (size_t got = 32; got == 32;) {
        int64_t at = static_cast<int64_t>(reference.samples.size() / 2);
        got = song.read_interleaved_stereo(kRate, 32, slice);
        reference.samples.insert(reference.samples.end(), slice, slice + 2 * got);
        size_t cut = reference.cutFrames.size();
        if (got == 32 && cut < 5 && pastCut(cut, song.get_current_order(), song.get_current_row()))
            reference.cutFrames.push_back(at);
    }
    return reference;
}

int64_t onset(const std::vector<int16_t>& samples)
{
    for (size_t i = 0; i + 1 < samples.size(); i += 2)
        if (std::abs(samples[i]) + std::abs(samples[i + 1]) > 2000)
            return static_cast<int64_t>(i / 2);
    return -1;
}

// The correlation of recording frames lag + [from, to) with reference frames [from, to).
double correlation(const std::vector<int16_t>& rec, const std::vector<int16_t>& ref, int64_t lag, int64_t from,
                   int64_t to)
{
    double sxy = 0, sxx = 0, syy = 0;
    for (int64_t i = 2 * from; i < 2 * to; ++i) {
        int64_t j = i + 2 * lag;
        if (i < 0 || j < 0 || i >= static_cast<int64_t>(ref.size()) || j >= static_cast<int64_t>(rec.size()))
            continue;
        double x = ref[i], y = rec[j];
        sxy += x * y;
        sxx += x * x;
        syy += y * y;
    }
    return sxx > 0 && syy > 0 ? sxy / std::sqrt(sxx * syy) : 0;
}

// Where the reference's frame 0 lies in the recording: the onsets, then the
// best lag around them over a second of the song.
int64_t align(const std::vector<int16_t>& rec, const std::vector<int16_t>& ref)
{
    int64_t coarse = onset(rec) - onset(ref);
    int64_t best = coarse;
    double bestCorrelation = -2;
    const int64_t from = onset(ref), to = from + kRate;
    for (int64_t lag = coarse - 1000; lag <= coarse + 1000; ++lag) {
        double c = correlation(rec, ref, lag, from, to);
        if (c > bestCorrelation) {
            bestCorrelation = c;
            best = lag;
        }
    }
    return best;
}

double rms(const std::vector<int16_t>& samples, int64_t from, int64_t to)
{
    double sum = 0;
    int64_t count = 0;
    for (int64_t i = std::max<int64_t>(0, 2 * from); i < std::min<int64_t>(samples.size(), 2 * to); ++i, ++count)
        sum += static_cast<double>(samples[i]) * samples[i];
    return count > 0 ? std::sqrt(sum / count) : 0;
}

// Windows of 20 ms where the song plays but the recording does not match it
// (missing, or shifted by an earlier dropout); a run of them is one gap.
int countGaps(const std::vector<int16_t>& rec, const std::vector<int16_t>& ref, int64_t lag)
{
    const int64_t window = kRate / 50;
    int gaps = 0;
    bool inGap = false;
    for (int64_t from = 0; 2 * (from + window) <= static_cast<int64_t>(ref.size()); from += window) {
        double level = rms(ref, from, from + window);
        if (level < 300) {  // below -40 dBFS: nothing to miss
            inGap = false;
            continue;
        }
        bool bad = rms(rec, from + lag, from + lag + window) < 0.3 * level ||
                   correlation(rec, ref, lag, from, from + window) < 0.8;
        gaps += bad && !inGap;
        inGap = bad;
    }
    return gaps;
}

// The output without the synchronized writes, control sequences and control
// codes: anything left is text that is not the show.
std::string foreignText(const std::string& output)
{
    std::string rest;
    for (size_t at = 0; at < output.size();) {
        if (output.compare(at, sizeof kSyncBegin - 1, kSyncBegin) == 0) {
            size_t end = output.find(kSyncEnd, at);
            at = end == std::string::npos ? output.size() : end + sizeof kSyncEnd - 1;
        } else if (output[at] == '\x1b' && at + 1 < output.size() && output[at + 1] == '[') {
            at += 2;
            while (at < output.size() && !(output[at] >= 0x40 && output[at] <= 0x7E))
                ++at;
            ++at;
        } else {
            unsigned char byte = static_cast<unsigned char>(output[at]);
            if (byte > ' ' && byte != 0x7F)  // control codes show nothing
                rest += output[at];
            ++at;
        }
    }
    return rest;
}

}  // namespace

HeardFigures measureShow(const ShowRun& run, const std::string& modulePath)
{
    HeardFigures figures;
    std::ifstream file(modulePath, std::ios::binary);
    const Reference reference = render(std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {}));
    const std::vector<int16_t>& rec = run.recording.samples;
    const int64_t lag = align(rec, reference.samples);
    const int64_t frames = static_cast<int64_t>(reference.samples.size() / 2);
    figures.correlation = correlation(rec, reference.samples, lag, 0, frames);
    figures.gaps = countGaps(rec, reference.samples, lag);
    std::vector<int64_t> cuts;
    for (size_t cut : sceneCuts(picturesAfterWrites(run.output, kRows)))
        cuts.push_back(run.writeNanos[cut]);
    for (size_t cut = 0; cut < 5; ++cut) {
        if (cut >= cuts.size() || cut >= reference.cutFrames.size()) {
            figures.cutErrorsMs.push_back(NAN);
            continue;
        }
        int64_t heard = run.recording.firstFrameNanos +
                        static_cast<int64_t>((reference.cutFrames[cut] + lag) * kNanosPerSecond / run.recording.framesPerSecond);
        figures.cutErrorsMs.push_back((cuts[cut] - heard) / 1e6);
    }
    int64_t exitFrame = static_cast<int64_t>((run.exitNanos - run.recording.firstFrameNanos) *
                                             run.recording.framesPerSecond / kNanosPerSecond);
    double level = rms(rec, exitFrame - kRate / 10, exitFrame);
    figures.exitLevelDb = level > 0 ? 20 * std::log10(level / 32768) : -120;
    figures.foreignText = foreignText(run.output);
    return figures;
}
