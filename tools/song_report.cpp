// song_report [SONG.xm]: renders the demo's song through libopenmpt (44.1 kHz
// stereo, played once) and prints the figures a change to the song is judged
// by, each against its target: the ending under the logo, the length, EBU R128
// loudness and loudness range (libebur128), sample peak, stereo correlation,
// brightness, the accents on the ball scene's burst rows, the playing (effects,
// releases, arpeggios) and which patterns each scene plays.
//
// The scenes follow the demo's schedule: scene 1 plays orders 0-1, scene 2
// orders 2-3, scene 3 orders 4-5, scene 4 orders 6-7, scene 5 from order 8
// to order 12 or to row 85 of order 11, whichever comes first. The exit
// status is 0 when every figure meets its target, 1 when one misses, 2 when
// the song cannot be read.

#include <ebur128.h>
#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr int kSceneEndOrder = 12;
constexpr int kSceneEndRowInLastOrder = 85;  // in order kSceneEndOrder - 1
constexpr int kBallFirstOrder = 2;
constexpr int kBallLastOrder = 3;
// libopenmpt's own codes for a released note and a cut one.
constexpr int kNoteKeyOff = 255;
constexpr int kNoteCut = 254;

struct Rendered {
    std::vector<float> left, right;
};

Rendered render(openmpt::module& song)
{
    Rendered out;
    std::vector<float> left(4096), right(4096);
    for (;;) {
        size_t frames = song.read(kRate, left.size(), left.data(), right.data());
        if (frames == 0)
            return out;
        out.left.insert(out.left.end(), left.begin(), left.begin() + frames);
        out.right.insert(out.right.end(), right.begin(), right.begin() + frames);
    }
}

double decibels(double amplitude)
{
    return amplitude > 0.0 ? 20.0 * std::log10(amplitude) : -999.0;
}

// The largest magnitude on either side over [begin, end) frames; frames past
// the end of the song are silence.
double peakOver(const Rendered& r, size_t begin, size_t end)
{
    double peak = 0.0;
    for (size_t i = begin; i < std::min(end, r.left.size()); ++i)
        peak = std::max({peak, static_cast<double>(std::fabs(r.left[i])),
                         static_cast<double>(std::fabs(r.right[i]))});
    return peak;
}

struct Loudness {
    double integrated;
    double range;
};

Loudness loudnessOver(const Rendered& r, size_t begin, size_t end, bool withRange)
{
    int mode = EBUR128_MODE_I | (withRange ? EBUR128_MODE_LRA : 0);
    ebur128_state* meter = ebur128_init(2, kRate, mode);
    std::vector<float> interleaved;
    for (size_t i = begin; i < std::min(end, r.left.size()); ++i) {
        interleaved.push_back(r.left[i]);
        interleaved.push_back(r.right[i]);
    }
    ebur128_add_frames_float(meter, interleaved.data(), interleaved.size() / 2);
    Loudness result{0.0, 0.0};
    ebur128_loudness_global(meter, &result.integrated);
    if (withRange)
        ebur128_loudness_range(meter, &result.range);
    ebur128_destroy(&meter);
    return result;
}

double correlation(const Rendered& r)
{
    double lr = 0.0, ll = 0.0, rr = 0.0;
    for (size_t i = 0; i < r.left.size(); ++i) {
        lr += static_cast<double>(r.left[i]) * r.right[i];
        ll += static_cast<double>(r.left[i]) * r.left[i];
        rr += static_cast<double>(r.right[i]) * r.right[i];
    }
    return ll > 0.0 && rr > 0.0 ? lr / std::sqrt(ll * rr) : 0.0;
}

// In-place radix-2 FFT; the size is a power of two.
void fft(std::vector<std::complex<double>>& x)
{
    size_t n = x.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(x[i], x[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        std::complex<double> step = std::polar(1.0, -2.0 * kPi / static_cast<double>(len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w = 1.0;
            for (size_t k = 0; k < len / 2; ++k) {
                std::complex<double> a = x[i + k], b = x[i + k + len / 2] * w;
                x[i + k] = a + b;
                x[i + k + len / 2] = a - b;
                w *= step;
            }
        }
    }
}

// Magnitudes of the Hann-windowed mono mix over `size` frames from `start`
// (frames outside the song count as silence).
std::vector<double> spectrum(const Rendered& r, long start, size_t size)
{
    std::vector<std::complex<double>> x(size);
    for (size_t i = 0; i < size; ++i) {
        long at = start + static_cast<long>(i);
        double mono = at >= 0 && at < static_cast<long>(r.left.size())
                          ? 0.5 * (r.left[at] + r.right[at])
                          : 0.0;
        double hann = 0.5 - 0.5 * std::cos(2.0 * kPi * i / size);
        x[i] = mono * hann;
    }
    fft(x);
    std::vector<double> magnitude(size / 2);
    for (size_t k = 0; k < size / 2; ++k)
        magnitude[k] = std::abs(x[k]);
    return magnitude;
}

// The power-weighted mean frequency of the mono mix over the whole song.
double spectralCentroid(const Rendered& r)
{
    constexpr size_t kSize = 4096;
    std::vector<double> power(kSize / 2, 0.0);
    for (size_t start = 0; start + kSize <= r.left.size(); start += kSize / 2) {
        std::vector<double> m = spectrum(r, static_cast<long>(start), kSize);
        for (size_t k = 0; k < m.size(); ++k)
            power[k] += m[k] * m[k];
    }
    double weighted = 0.0, total = 0.0;
    for (size_t k = 0; k < power.size(); ++k) {
        weighted += power[k] * k * kRate / kSize;
        total += power[k];
    }
    return total > 0.0 ? weighted / total : 0.0;
}

// Spectral flux at a row's start: how much the magnitude spectrum of the
// 1024 frames after it rises above that of the 1024 frames before it. With
// `compressed` the magnitudes are taken as log(1 + 100 |X|) first, so quiet
// bands count nearly as much as loud ones.
double onsetStrength(const Rendered& r, long frame, bool compressed)
{
    constexpr size_t kSize = 1024;
    std::vector<double> before = spectrum(r, frame - static_cast<long>(kSize), kSize);
    std::vector<double> after = spectrum(r, frame, kSize);
    double flux = 0.0;
    for (size_t k = 0; k < after.size(); ++k) {
        double a = compressed ? std::log1p(100.0 * after[k]) : after[k];
        double b = compressed ? std::log1p(100.0 * before[k]) : before[k];
        flux += std::max(0.0, a - b);
    }
    return flux;
}

struct Check {
    bool allMet = true;
    const char* mark(bool met)
    {
        allMet = allMet && met;
        return met ? "ok  " : "MISS";
    }
};

// What the patterns play: kinds of effects, releases and arpeggios.
struct Playing {
    std::set<std::string> kinds;  // effects other than arpeggio and panning
    int releases = 0;             // key-offs and note cuts
    int rows = 0;                 // rows with anything in any channel
    int arpeggioRows = 0;
};

std::string effectKind(openmpt::module& song, int pattern, int row, int channel)
{
    std::string effect = song.format_pattern_row_channel_command(pattern, row, channel,
                                                                 openmpt::module::command_effect);
    std::string param = song.format_pattern_row_channel_command(pattern, row, channel,
                                                                openmpt::module::command_parameter);
    if (effect == "." || effect == " " || effect.empty())
        return "";
    if (effect == "0" && param == "00")
        return "";
    if (effect == "E" || effect == "X")
        return effect + param.substr(0, 1);
    return effect;
}

const std::map<std::string, std::string> kEffectNames = {
    {"0", "arpeggio"},          {"1", "portamento up"},     {"2", "portamento down"},
    {"3", "tone portamento"},   {"4", "vibrato"},           {"5", "tone portamento + slide"},
    {"6", "vibrato + slide"},   {"7", "tremolo"},           {"8", "panning"},
    {"9", "sample offset"},     {"A", "volume slide"},      {"B", "order jump"},
    {"C", "volume"},            {"D", "pattern break"},     {"E1", "fine portamento up"},
    {"E2", "fine portamento down"}, {"E9", "retrigger"},    {"EA", "fine volume slide up"},
    {"EB", "fine volume slide down"}, {"EC", "note cut"},   {"ED", "note delay"},
    {"F", "speed/tempo"},       {"G", "global volume"},     {"H", "global volume slide"},
    {"K", "key off"},           {"P", "panning slide"},     {"R", "multi retrigger"},
    {"T", "tremor"},            {"X1", "extra fine portamento up"},
    {"X2", "extra fine portamento down"},
};

// Effects that steer the song rather than play its notes.
bool steersTheSong(const std::string& kind)
{
    return kind == "B" || kind == "D" || kind == "F" || kind == "G" || kind == "H";
}

Playing playingOf(openmpt::module& song)
{
    Playing playing;
    std::set<int> seen;
    for (int order = 0; order < song.get_num_orders(); ++order) {
        int pattern = song.get_order_pattern(order);
        for (int row = 0; row < song.get_pattern_num_rows(pattern); ++row) {
            bool anything = false, arpeggio = false;
            for (int c = 0; c < song.get_num_channels(); ++c) {
                auto raw = [&](int what) {
                    return song.get_pattern_row_channel_command(pattern, row, c, what);
                };
                std::string kind = effectKind(song, pattern, row, c);
                anything |= raw(openmpt::module::command_note) != 0 ||
                            raw(openmpt::module::command_instrument) != 0 ||
                            raw(openmpt::module::command_volumeffect) != 0 || !kind.empty();
                arpeggio |= kind == "0";
                int note = raw(openmpt::module::command_note);
                if (note == kNoteKeyOff || note == kNoteCut || kind == "EC" || kind == "K")
                    ++playing.releases;
                if (!kind.empty() && kind != "0" && kind != "8" && !steersTheSong(kind))
                    playing.kinds.insert(kind);
                // The volume column's slides count as volume slides, its
                // portamento and vibrato as theirs.
                std::string column = song.format_pattern_row_channel_command(
                    pattern, row, c, openmpt::module::command_volumeffect);
                if (column == "a" || column == "b" || column == "c" || column == "d")
                    playing.kinds.insert("A");
                else if (column == "g")
                    playing.kinds.insert("3");
                else if (column == "h" || column == "u")
                    playing.kinds.insert("4");
            }
            playing.rows += anything ? 1 : 0;
            playing.arpeggioRows += arpeggio ? 1 : 0;
        }
    }
    return playing;
}

std::string patternsOf(const std::set<int>& patterns)
{
    std::string text;
    for (int p : patterns)
        text += (text.empty() ? "" : ",") + std::to_string(p);
    return "{" + text + "}";
}

}  // namespace

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "qk17.xm";
    std::ifstream file(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), {});
    if (bytes.empty()) {
        std::fprintf(stderr, "song_report: cannot read %s\n", path);
        return 2;
    }
    std::ostringstream log;
    std::map<std::string, std::string> settings{{"play.at_end", "stop"}};
    try {
        openmpt::module song(bytes, log, settings);
        openmpt::module seeker(bytes, log, settings);
        int orders = song.get_num_orders();
        if (orders < kSceneEndOrder) {
            std::fprintf(stderr, "song_report: %s has %d orders, the schedule needs %d\n", path,
                         orders, kSceneEndOrder);
            return 2;
        }
        auto timeAt = [&](int order, int row) { return seeker.set_position_order_row(order, row); };
        int lastScenePattern = song.get_order_pattern(kSceneEndOrder - 1);
        bool endsInsideOrder = song.get_pattern_num_rows(lastScenePattern) > kSceneEndRowInLastOrder;
        double sceneEnd = endsInsideOrder ? timeAt(kSceneEndOrder - 1, kSceneEndRowInLastOrder)
                                          : (orders > kSceneEndOrder ? timeAt(kSceneEndOrder, 0)
                                                                     : -1.0);
        double sceneStart[6] = {0.0, timeAt(2, 0), timeAt(4, 0), timeAt(6, 0), timeAt(8, 0),
                                sceneEnd};

        Rendered r = render(song);
        double length = static_cast<double>(r.left.size()) / kRate;
        if (sceneEnd < 0.0)
            sceneEnd = length;
        sceneStart[5] = sceneEnd;
        auto frameAt = [](double seconds) { return static_cast<size_t>(seconds * kRate + 0.5); };
        Check check;

        std::printf("%s: %d orders, %d channels, %d patterns, %d instruments; %.2f s rendered at %d Hz\n",
                    path, orders, song.get_num_channels(), song.get_num_patterns(),
                    song.get_num_instruments(), length, kRate);

        double tail = length - sceneEnd;
        double logoWindow = decibels(peakOver(r, frameAt(sceneEnd + 2.9), frameAt(sceneEnd + 3.0)));
        double lastSound = decibels(peakOver(r, r.left.size() - std::min<size_t>(r.left.size(), kRate / 10),
                                             r.left.size()));
        std::printf("%s ending: the song ends %.2f s after the scene-5 end (<= 3.0 s); peak in the last"
                    " 100 ms before 3.0 s %.1f dBFS, in its own last 100 ms %.1f dBFS (< -50)\n",
                    check.mark(tail <= 3.0 && logoWindow < -50.0 && lastSound < -50.0), tail,
                    logoWindow, lastSound);
        double fifth = sceneEnd - sceneStart[4];
        std::printf("%s length to the scene-5 end: %.2f s (90-110 s); scene 5 lasts %.2f s (>= 28.8 s)\n",
                    check.mark(sceneEnd >= 90.0 && sceneEnd <= 110.0 && fifth >= 28.8), sceneEnd, fifth);

        // Loudness over what is heard: the song up to 3 s after the scene-5 end.
        size_t heard = std::min(r.left.size(), frameAt(sceneEnd + 3.0));
        Loudness whole = loudnessOver(r, 0, heard, true);
        double peak = decibels(peakOver(r, 0, r.left.size()));
        size_t clipped = 0, peakFrame = 0;
        for (size_t i = 0; i < r.left.size(); ++i) {
            float magnitude = std::max(std::fabs(r.left[i]), std::fabs(r.right[i]));
            clipped += (std::fabs(r.left[i]) >= 1.0f) + (std::fabs(r.right[i]) >= 1.0f);
            if (magnitude > std::max(std::fabs(r.left[peakFrame]), std::fabs(r.right[peakFrame])))
                peakFrame = i;
        }
        std::printf("%s loudness: integrated %.1f LUFS (-17 to -13)\n",
                    check.mark(whole.integrated >= -17.0 && whole.integrated <= -13.0), whole.integrated);
        std::printf("%s peak: sample peak %.2f dBFS at %.2f s (-2.0 to -0.5), %zu clipped samples (0)\n",
                    check.mark(peak >= -2.0 && peak <= -0.5 && clipped == 0), peak,
                    static_cast<double>(peakFrame) / kRate, clipped);
        std::printf("%s dynamics: loudness range %.1f LU (>= 6)\n", check.mark(whole.range >= 6.0),
                    whole.range);
        double loudest = -999.0, quietest = 999.0;
        std::string scenes;
        for (int s = 0; s < 5; ++s) {
            double l = loudnessOver(r, frameAt(sceneStart[s]), frameAt(sceneStart[s + 1]), false).integrated;
            loudest = std::max(loudest, l);
            quietest = std::min(quietest, l);
            char text[64];
            std::snprintf(text, sizeof text, "%s%d: %.1f", s ? ", " : "", s + 1, l);
            scenes += text;
        }
        std::printf("%s scenes (LUFS) %s; the quietest %.1f LU below the loudest (>= 5)\n",
                    check.mark(loudest - quietest >= 5.0), scenes.c_str(), loudest - quietest);

        std::string byOrder;
        for (int order = 0; order < orders; ++order) {
            double from = timeAt(order, 0);
            double to = order + 1 < orders ? timeAt(order + 1, 0) : length;
            char text[32];
            std::snprintf(text, sizeof text, " %d: %.1f", order,
                          loudnessOver(r, frameAt(from), frameAt(to), false).integrated);
            byOrder += text;
        }
        std::printf("     orders (LUFS)%s\n", byOrder.c_str());

        double rho = correlation(r);
        std::printf("%s stereo: L/R correlation %.2f (0.3-0.8)\n", check.mark(rho >= 0.3 && rho <= 0.8), rho);
        double centroid = spectralCentroid(r);
        std::printf("%s brightness: spectral centroid %.0f Hz (>= 800)\n", check.mark(centroid >= 800.0),
                    centroid);

        double ratios[2] = {0.0, 0.0};
        for (int compressed = 0; compressed < 2; ++compressed) {
            double burstSum = 0.0, otherSum = 0.0;
            int burstRows = 0, otherRows = 0;
            for (int order = kBallFirstOrder; order <= kBallLastOrder; ++order) {
                int rows = song.get_pattern_num_rows(song.get_order_pattern(order));
                for (int row = 0; row < rows; ++row) {
                    long frame = static_cast<long>(frameAt(timeAt(order, row)));
                    double flux = onsetStrength(r, frame, compressed != 0);
                    bool burst = (row + 1) % 8 == 0;
                    (burst ? burstSum : otherSum) += flux;
                    ++(burst ? burstRows : otherRows);
                }
            }
            if (burstRows && otherRows && otherSum > 0.0)
                ratios[compressed] = (burstSum / burstRows) / (otherSum / otherRows);
        }
        std::printf("%s accents: in orders 2-3 the burst rows' mean onset strength is %.2fx the other"
                    " rows' (>= 1.25); %.2fx with log-compressed magnitudes\n",
                    check.mark(ratios[0] >= 1.25 && ratios[1] >= 1.25), ratios[0], ratios[1]);

        Playing playing = playingOf(song);
        std::string kinds;
        for (const std::string& kind : playing.kinds) {
            auto name = kEffectNames.find(kind);
            kinds += (kinds.empty() ? "" : ", ") + (name != kEffectNames.end() ? name->second : kind);
        }
        double arpeggioShare = playing.rows ? 100.0 * playing.arpeggioRows / playing.rows : 0.0;
        std::printf("%s playing: %zu effect kinds besides arpeggio and panning (>= 5): %s\n",
                    check.mark(playing.kinds.size() >= 5), playing.kinds.size(), kinds.c_str());
        std::printf("%s playing: %d key-offs and note cuts (>= 40); arpeggio on %.0f %% of %d non-empty"
                    " rows (<= 40 %%)\n", check.mark(playing.releases >= 40 && arpeggioShare <= 40.0),
                    playing.releases, arpeggioShare, playing.rows);

        // Material: which patterns each scene plays, and when the first lead note sounds.
        const int sceneOrders[6] = {0, 2, 4, 6, 8, kSceneEndOrder};
        std::vector<std::set<int>> sets(5);
        for (int s = 0; s < 5; ++s)
            for (int order = sceneOrders[s]; order < sceneOrders[s + 1]; ++order)
                sets[s].insert(song.get_order_pattern(order));
        bool distinct = true;
        std::string material;
        for (int s = 0; s < 5; ++s) {
            bool own = false;
            for (int p : sets[s]) {
                bool elsewhere = false;
                for (int t = 0; t < 5; ++t)
                    elsewhere |= t != s && sets[t].count(p) > 0;
                own |= !elsewhere;
            }
            for (int t = 0; t < s; ++t)
                distinct &= sets[t] != sets[s];
            distinct &= own;
            material += (s ? ", " : "") + std::to_string(s + 1) + ": " + patternsOf(sets[s]);
        }
        std::printf("%s material: patterns by scene %s; each scene has its own\n", check.mark(distinct),
                    material.c_str());
        std::vector<std::string> names = song.get_instrument_names();
        double hook = -1.0;
        for (int order = 0; order < 2 && hook < 0.0; ++order) {
            int pattern = song.get_order_pattern(order);
            for (int row = 0; row < song.get_pattern_num_rows(pattern) && hook < 0.0; ++row)
                for (int c = 0; c < song.get_num_channels(); ++c) {
                    int instrument = song.get_pattern_row_channel_command(pattern, row, c,
                                                                          openmpt::module::command_instrument);
                    if (instrument > 0 && instrument <= static_cast<int>(names.size()) &&
                        names[instrument - 1] == "lead") {
                        hook = timeAt(order, row);
                        break;
                    }
                }
        }
        std::printf("%s material: the lead's first note in scene 1 at %.2f s (the hook)\n",
                    check.mark(hook >= 0.0), hook);
        if (!log.str().empty())
            std::printf("libopenmpt said: %s\n", log.str().c_str());
        return check.allMet ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "song_report: %s: %s\n", path, e.what());
        return 2;
    }
}
