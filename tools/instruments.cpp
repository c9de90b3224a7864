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
    // The kit: kick and snare in the centre, the hi-hats to the right, the
    // crash to the left.
    std::vector<XmInstrument> instruments(kInstrumentCount);
    instruments[kKick - 1] = drum("kick", kickDrum(), 0.97, 128);
    instruments[kSnare - 1] = drum("snare", snareDrum(), 0.95, 120);
    instruments[kHat - 1] = drum("hihat", hiHat(0.025, 0.12), 0.9, 200);
    instruments[kOpenHat - 1] = drum("open hihat", hiHat(0.16, 0.5), 0.85, 208);
    instruments[kCrash - 1] = drum("crash", crashCymbal(), 0.9, 56);

    // The bass keeps its growl but gives the lowest octave to the kick, and
    // its envelope falls back after the attack.
    Wave bass = lessFundamental(
        mixWaves(sawWave(kToneCycle, 1, 48), 0.75, pulseWave(kToneCycle, 0.3, 48), 0.35), 0.5);
    instruments[kBass - 1] =
        tone("bass", bass, kToneRelativeNote, 128, {{0, 64}, {3, 50}, {16, 38}}, 2, 0x0900);

    // The lead on the left of centre and its double on the right, a few
    // cents higher and of a brighter sweep: together they beat and spread.
    XmInstrument& lead = instruments[kLead - 1];
    lead = tone("lead", pulseSweepWave(kToneCycle, 64, 0.12, 0.48, 18), kToneRelativeNote, 72,
                {{0, 40}, {2, 64}, {14, 50}, {40, 44}}, 3, 0x0600);
    // A vibrato that sets in slowly, so only held notes sing with it.
    lead.vibratoSweep = 48;
    lead.vibratoDepth = 3;
    lead.vibratoRate = 24;
    XmInstrument& leadDouble = instruments[kLeadDouble - 1];
    leadDouble = tone("lead double", pulseSweepWave(kToneCycle, 64, 0.2, 0.5, 22),
                      kToneRelativeNote, 192, {{0, 40}, {2, 64}, {14, 50}, {40, 44}}, 3, 0x0600);
    leadDouble.sample.finetune = 9;

    instruments[kArp - 1] = tone("arpeggio", pulseWave(kToneCycle, 0.5, 24), kToneRelativeNote, 40,
                                 {{0, 64}, {4, 48}, {24, 30}}, 2, 0x0800);

    // Three pads, panned apart and detuned against each other. Each loop
    // holds 128 periods of 128 frames, so it plays an octave lower per
    // frame: a relative note 12 below the other tones. They hold while the
    // key is down and fade slowly after it.
    Wave pad = detunedSawWave(kToneCycle / 2, 128, 10);
    const std::vector<XmEnvelopePoint> swell = {{0, 8}, {12, 44}, {40, 56}};
    instruments[kPadLeft - 1] = tone("pad left", pad, kToneRelativeNote - 12, 24, swell, 2, 0x0280);
    instruments[kPadLeft - 1].sample.finetune = -7;
    instruments[kPadCentre - 1] = tone("pad centre", pad, kToneRelativeNote - 12, 128, swell, 2, 0x0280);
    instruments[kPadRight - 1] = tone("pad right", pad, kToneRelativeNote - 12, 232, swell, 2, 0x0280);
    instruments[kPadRight - 1].sample.finetune = 7;

    // The power chord sounds an octave above the note: relative note 12 lower.
    instruments[kStab - 1] = tone("stab", powerChordWave(kToneCycle, 24), kToneRelativeNote - 12, 160,
                                  {{0, 64}, {3, 44}, {10, 24}, {30, 0}}, -1, 0x0800);
    return instruments;
}
