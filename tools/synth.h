#pragma once
// Sample synthesis for the module's instruments. Only basic arithmetic on
// doubles (sine by our own polynomial, noise from a fixed-seed generator),
// so every run writes the same bytes.

#include <cstdint>
#include <vector>

// A tone sample holds whole periods of kToneCycle frames; played with the
// relative note kToneRelativeNote, C-4 sounds at 8363 x 8 / 256 = 261.3 Hz.
constexpr int kToneCycle = 256;
constexpr int8_t kToneRelativeNote = 36;
// Drums are synthesised at the rate a sample with relative note +24 plays
// at C-4: 8363 Hz x 4.
constexpr int kDrumRate = 33452;
constexpr int8_t kDrumRelativeNote = 24;

using Wave = std::vector<double>;

double sineOfTurns(double turns);

// Band-limited periodic waves, `cycles` periods of `cycle` frames each.
Wave sawWave(int cycle, int cycles, int harmonics);
Wave pulseWave(int cycle, double duty, int harmonics);
Wave triangleWave(int cycle, int harmonics);
// A pulse whose duty sweeps from minDuty up to maxDuty and back over the
// loop, one duty per period.
Wave pulseSweepWave(int cycle, int cycles, double minDuty, double maxDuty, int harmonics);
// Two saws a few cents apart beating against each other: `cycles - 1` and
// `cycles + 1` periods in a loop of `cycles` x `cycle` frames.
Wave detunedSawWave(int cycle, int cycles, int harmonics);

// The root, fifth and octave of a chord an octave above the note played:
// saws of 2, 3 and 4 periods in one `cycle`.
Wave powerChordWave(int cycle, int harmonics);
// Takes `amount` of a sine at the wave's own period away from a one-period
// wave: a bass with less weight under the kick.
Wave lessFundamental(const Wave& wave, double amount);

Wave kickDrum();
Wave snareDrum();
Wave hiHat(double decaySeconds, double lengthSeconds);
Wave crashCymbal();

Wave mixWaves(const Wave& a, double gainA, const Wave& b, double gainB);
// Scales the wave so that its largest magnitude is `peak` of full scale.
std::vector<int16_t> toFrames(const Wave& wave, double peak);
