#include "tools/instruments.h"

#include "tools/score.h"
#include "tools/synth.h"

namespace {

XmInstrument drum(const char* name, const Wave& wave, double peak, uint8_t panning)
{
    XmInstrument instrument{};
    instrument.name = name;
    instrument.sample = XmSample{name, toFrames(wave, peak), false, 0, 0, 64, 0, panning,
                                 kDrumRelativeNote};
    instrument.sustainPoint = -1;
    return instrument;
}

// A tone loops its whole sample; the envelope (ticks of 20 ms at 125 BPM)
// shapes it, and the fadeout releases it after a key off.
XmInstrument tone(const char* name, const Wave& wave, int8_t relativeNote, uint8_t panning,
                  std::vector<XmEnvelopePoint> envelope, int sustainPoint, uint16_t fadeout)
{
    XmInstrument instrument{};
    instrument.name = name;
    std::vector<int16_t> frames = toFrames(wave, 0.9);
    uint32_t length = static_cast<uint32_t>(frames.size());
    instrument.sample = XmSample{name, frames, true, 0, length, 64, 0, panning, relativeNote};
    instrument.volumeEnvelope = envelope;
    instrument.sustainPoint = sustainPoint;
    instrument.fadeout = fadeout;
    return instrument;
}

}  // namespace

std::vector<XmInstrument> makeInstruments()
{
    std::vector<XmInstrument> instruments(kInstrumentCount);
    instruments[kKick - 1] = drum("kick", kickDrum(), 0.97, 128);
    instruments[kSnare - 1] = drum("snare", snareDrum(), 0.9, 120);
    instruments[kHat - 1] = drum("hihat", hiHat(0.022, 0.12), 0.8, 168);
    instruments[kOpenHat - 1] = drum("open hihat", hiHat(0.16, 0.5), 0.8, 168);
    instruments[kCrash - 1] = drum("crash", crashCymbal(), 0.85, 96);

    Wave bass = mixWaves(sawWave(kToneCycle, 1, 48), 0.75, pulseWave(kToneCycle, 0.3, 48), 0.35);
    instruments[kBass - 1] =
        tone("bass", bass, kToneRelativeNote, 128, {{0, 64}, {3, 56}, {16, 44}}, 2, 0x0800);

    XmInstrument& lead = instruments[kLead - 1];
    lead = tone("lead", pulseSweepWave(kToneCycle, 64, 0.12, 0.48, 18), kToneRelativeNote, 128,
                {{0, 40}, {2, 64}, {14, 50}, {40, 44}}, 3, 0x0600);
    // A vibrato that sets in slowly, so only held notes sing with it.
    lead.vibratoSweep = 48;
    lead.vibratoDepth = 3;
    lead.vibratoRate = 24;

    instruments[kArp - 1] = tone("arpeggio", pulseWave(kToneCycle, 0.5, 24), kToneRelativeNote, 80,
                                 {{0, 64}, {4, 48}, {24, 30}}, 2, 0x0800);

    // The pad's loop holds 128 periods of 128 frames, so it plays an octave
    // lower per frame: a relative note 12 below the other tones.
    instruments[kPad - 1] = tone("pad", detunedSawWave(kToneCycle / 2, 128, 10),
                                 kToneRelativeNote - 12, 128, {{0, 0}, {10, 40}, {30, 56}}, 2,
                                 0x0300);

    Wave stab = mixWaves(sawWave(kToneCycle, 1, 32), 0.7, pulseWave(kToneCycle, 0.25, 32), 0.4);
    instruments[kStab - 1] = tone("stab", stab, kToneRelativeNote, 128,
                                  {{0, 64}, {3, 44}, {10, 20}, {24, 0}}, -1, 0);
    return instruments;
}
