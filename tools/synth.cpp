#include "tools/synth.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

// A deterministic noise source: xorshift32 from a fixed seed.
struct Noise {
    uint32_t state;
};

double nextNoise(Noise& noise)
{
    uint32_t x = noise.state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    noise.state = x;
    return static_cast<double>(x) / 2147483648.0 - 1.0;
}

// One-pole filter coefficient for a cutoff frequency.
double poleFor(double cutoff, double rate)
{
    double w = 2.0 * kPi * cutoff / rate;
    return w / (1.0 + w);
}

struct OnePole {
    double pole;
    double state;
};

double lowPass(OnePole& filter, double x)
{
    filter.state += filter.pole * (x - filter.state);
    return filter.state;
}

double highPass(OnePole& filter, double x)
{
    return x - lowPass(filter, x);
}

// Per-frame factor of an exponential decay with the time constant `seconds`.
double decayFactor(double seconds, double rate)
{
    return 1.0 - 1.0 / (seconds * rate);
}

int framesFor(double seconds)
{
    return static_cast<int>(seconds * kDrumRate);
}

// Fades the last `seconds` linearly to zero, so a one-shot never ends in a click.
void fadeTail(Wave& wave, double seconds)
{
    int count = std::min(framesFor(seconds), static_cast<int>(wave.size()));
    int start = static_cast<int>(wave.size()) - count;
    for (int i = 0; i < count; ++i)
        wave[start + i] *= 1.0 - static_cast<double>(i + 1) / count;
}

// Lanczos sigma factor: tames the ringing of a cut-off harmonic series.
double sigma(int harmonic, int harmonics)
{
    double x = static_cast<double>(harmonic) / (harmonics + 1);
    return sineOfTurns(x / 2.0) / (kPi * x / 2.0);
}

// Adds a band-limited saw of `cycles` periods across [begin, end) of a
// wave whose whole length is `span` frames, shifted by `offset` periods.
void addSaw(Wave& wave, int begin, int end, int span, int cycles, int harmonics, double offset,
            double gain)
{
    std::vector<double> weights(harmonics + 1, 0.0);
    for (int n = 1; n <= harmonics; ++n)
        weights[n] = sigma(n, harmonics) / n;
    for (int i = begin; i < end; ++i) {
        double turns = static_cast<double>(cycles) * i / span - offset;
        double sum = 0.0;
        for (int n = 1; n <= harmonics; ++n)
            sum += weights[n] * sineOfTurns(n * turns);
        wave[i] += gain * sum;
    }
}

// A bank of square oscillators at unrelated frequencies: a metallic ring.
double metalAt(int frame, const double* frequencies, int count)
{
    double sum = 0.0;
    for (int k = 0; k < count; ++k) {
        double turns = frequencies[k] * frame / kDrumRate;
        sum += (turns - std::floor(turns)) < 0.5 ? 1.0 : -1.0;
    }
    return sum / count;
}

}  // namespace

double sineOfTurns(double turns)
{
    double r = turns - std::floor(turns);
    if (r > 0.5)
        r -= 1.0;
    if (r > 0.25)
        r = 0.5 - r;
    else if (r < -0.25)
        r = -0.5 - r;
    double x = 2.0 * kPi * r;
    double x2 = x * x;
    double term = x;
    double sum = x;
    for (int k = 1; k <= 7; ++k) {
        term *= -x2 / ((2 * k) * (2 * k + 1));
        sum += term;
    }
    return sum;
}

Wave sawWave(int cycle, int cycles, int harmonics)
{
    int span = cycle * cycles;
    Wave wave(span, 0.0);
    addSaw(wave, 0, span, span, cycles, harmonics, 0.0, 1.0);
    return wave;
}

// A pulse is the difference of two saws, the second delayed by the duty.
Wave pulseWave(int cycle, double duty, int harmonics)
{
    Wave wave(cycle, 0.0);
    addSaw(wave, 0, cycle, cycle, 1, harmonics, 0.0, 1.0);
    addSaw(wave, 0, cycle, cycle, 1, harmonics, duty, -1.0);
    return wave;
}

Wave triangleWave(int cycle, int harmonics)
{
    Wave wave(cycle, 0.0);
    for (int i = 0; i < cycle; ++i) {
        double turns = static_cast<double>(i) / cycle;
        double sum = 0.0;
        for (int n = 1; n <= harmonics; n += 2) {
            double sign = (n / 2) % 2 == 0 ? 1.0 : -1.0;
            sum += sign * sineOfTurns(n * turns) / (static_cast<double>(n) * n);
        }
        wave[i] = sum;
    }
    return wave;
}

Wave pulseSweepWave(int cycle, int cycles, double minDuty, double maxDuty, int harmonics)
{
    int span = cycle * cycles;
    Wave wave(span, 0.0);
    for (int k = 0; k < cycles; ++k) {
        double position = 2.0 * k / cycles;  // 0 -> 2 over the loop
        double sweep = position <= 1.0 ? position : 2.0 - position;
        double duty = minDuty + (maxDuty - minDuty) * sweep;
        addSaw(wave, k * cycle, (k + 1) * cycle, span, cycles, harmonics, 0.0, 1.0);
        addSaw(wave, k * cycle, (k + 1) * cycle, span, cycles, harmonics, duty, -1.0);
    }
    return wave;
}

Wave detunedSawWave(int cycle, int cycles, int harmonics)
{
    int span = cycle * cycles;
    Wave wave(span, 0.0);
    addSaw(wave, 0, span, span, cycles - 1, harmonics, 0.0, 1.0);
    addSaw(wave, 0, span, span, cycles + 1, harmonics, 0.0, 1.0);
    return wave;
}

// A sine whose pitch drops from 190 Hz to 52 Hz within a few tens of
// milliseconds (the punch), a click of bright noise and a short blip on its
// first milliseconds, and a soft saturation; short, so the bass has room.
Wave kickDrum()
{
    Wave wave(framesFor(0.28), 0.0);
    Noise noise{0x6B1C4A2Du};
    OnePole clickBand{poleFor(1800.0, kDrumRate), 0.0};
    double pitchFall = 1.0;
    double level = 1.0;
    double click = 1.0;
    double phase = 0.0;
    for (size_t i = 0; i < wave.size(); ++i) {
        double t = static_cast<double>(i) / kDrumRate;
        double frequency = 52.0 + 138.0 * pitchFall;
        double body = sineOfTurns(phase) * level;
        double snap = highPass(clickBand, nextNoise(noise)) + 0.8 * sineOfTurns(1400.0 * t);
        double x = body + 0.45 * click * snap;
        wave[i] = 1.8 * x / (1.0 + std::fabs(1.8 * x));
        phase += frequency / kDrumRate;
        pitchFall *= decayFactor(0.022, kDrumRate);
        level *= decayFactor(0.095, kDrumRate);
        click *= decayFactor(0.0035, kDrumRate);
    }
    fadeTail(wave, 0.06);
    return wave;
}

// The drum's body (two tones, their pitch settling a little), a crack of
// bright noise at the stroke and the wires' longer band of noise.
Wave snareDrum()
{
    Wave wave(framesFor(0.32), 0.0);
    Noise noise{0x2545F491u};
    OnePole low{poleFor(1500.0, kDrumRate), 0.0};
    OnePole high{poleFor(11000.0, kDrumRate), 0.0};
    double toneLevel = 1.0;
    double noiseLevel = 1.0;
    double crack = 1.0;
    double bend = 1.0;
    double phaseA = 0.0, phaseB = 0.0;
    for (size_t i = 0; i < wave.size(); ++i) {
        double tone = 0.65 * sineOfTurns(phaseA) + 0.35 * sineOfTurns(phaseB);
        double hiss = lowPass(high, highPass(low, nextNoise(noise)));
        wave[i] = 0.6 * tone * toneLevel + (1.2 * noiseLevel + 1.4 * crack) * hiss;
        phaseA += (180.0 + 40.0 * bend) / kDrumRate;
        phaseB += (330.0 + 60.0 * bend) / kDrumRate;
        bend *= decayFactor(0.012, kDrumRate);
        toneLevel *= decayFactor(0.05, kDrumRate);
        noiseLevel *= decayFactor(0.10, kDrumRate);
        crack *= decayFactor(0.006, kDrumRate);
    }
    fadeTail(wave, 0.05);
    return wave;
}

Wave hiHat(double decaySeconds, double lengthSeconds)
{
    static const double metal[] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
    Wave wave(framesFor(lengthSeconds), 0.0);
    Noise noise{0x9E3779B9u};
    OnePole first{poleFor(8000.0, kDrumRate), 0.0};
    OnePole second{poleFor(8000.0, kDrumRate), 0.0};
    double level = 1.0;
    for (size_t i = 0; i < wave.size(); ++i) {
        double x = 0.8 * nextNoise(noise) + 0.45 * metalAt(static_cast<int>(i), metal, 6);
        wave[i] = highPass(second, highPass(first, x)) * level;
        level *= decayFactor(decaySeconds, kDrumRate);
    }
    fadeTail(wave, lengthSeconds / 4.0);
    return wave;
}

// Bright noise and a metallic ring with a hard attack and a long decay.
Wave crashCymbal()
{
    static const double metal[] = {421.0, 587.3, 733.9, 1034.1, 1311.7, 1693.2};
    Wave wave(framesFor(1.7), 0.0);
    Noise noise{0xB5297A4Du};
    OnePole first{poleFor(2600.0, kDrumRate), 0.0};
    OnePole second{poleFor(3400.0, kDrumRate), 0.0};
    double level = 1.0;
    double attack = 1.0;
    for (size_t i = 0; i < wave.size(); ++i) {
        double x = nextNoise(noise) + 0.45 * metalAt(static_cast<int>(i), metal, 6);
        wave[i] = highPass(second, highPass(first, x)) * (level + 0.8 * attack);
        level *= decayFactor(0.55, kDrumRate);
        attack *= decayFactor(0.03, kDrumRate);
    }
    fadeTail(wave, 0.4);
    return wave;
}

Wave powerChordWave(int cycle, int harmonics)
{
    Wave wave(cycle, 0.0);
    addSaw(wave, 0, cycle, cycle, 2, harmonics, 0.0, 1.0);
    addSaw(wave, 0, cycle, cycle, 3, harmonics, 0.0, 0.8);
    addSaw(wave, 0, cycle, cycle, 4, harmonics, 0.0, 0.6);
    return wave;
}

Wave lessFundamental(const Wave& wave, double amount)
{
    Wave out = wave;
    for (size_t i = 0; i < out.size(); ++i)
        out[i] -= amount * sineOfTurns(static_cast<double>(i) / out.size());
    return out;
}

Wave mixWaves(const Wave& a, double gainA, const Wave& b, double gainB)
{
    Wave mixed(std::max(a.size(), b.size()), 0.0);
    for (size_t i = 0; i < mixed.size(); ++i) {
        double x = i < a.size() ? gainA * a[i] : 0.0;
        double y = i < b.size() ? gainB * b[i] : 0.0;
        mixed[i] = x + y;
    }
    return mixed;
}

std::vector<int16_t> toFrames(const Wave& wave, double peak)
{
    double largest = 0.0;
    for (double x : wave)
        largest = std::max(largest, std::fabs(x));
    double scale = largest > 0.0 ? peak * 32767.0 / largest : 0.0;
    std::vector<int16_t> frames(wave.size());
    for (size_t i = 0; i < wave.size(); ++i) {
        double x = wave[i] * scale;
        frames[i] = static_cast<int16_t>(x >= 0.0 ? x + 0.5 : x - 0.5);
    }
    return frames;
}
