#include "synth/PatchRandomiser.h"

#include <algorithm>

#include "synth/Murlan.h"
#include "synth/MwcRandom.h"

double PatchRandomiser::autoLevelGain(double gain1, double gain2, double gain3) {
    const double sum = gain1 + gain2 + gain3;
    if (sum > 0.0) return std::min(1.0, kHeadroomGain / sum);
    return 1.0;  // all silent: leave the main level at 0 dB
}

void PatchRandomiser::autoLevel() {
    // The gains as the engine plays them: rounded to the shown 0.1 dB.
    const double v =
        autoLevelGain(effect_.engineGain(Murlan::kLevel1), effect_.engineGain(Murlan::kLevel2),
                      effect_.engineGain(Murlan::kLevel3));
    // The main level's reference gain is 1, so its normalised value is the gain.
    storeNormalised(Murlan::kMainLevel, v);
}

void PatchRandomiser::fullRandom() {
    // Read as the host would, so the kept values survive to float precision.
    const float portaReset = effect_.getParameter(Murlan::kPortaReset);
    const float pitchBend = effect_.getParameter(Murlan::kPitchBend);
    for (int index = 0; index < Murlan::kParameterCount; ++index)
        storeNormalised(index, MwcRandom::uniform01());
    storeNormalised(Murlan::kPortaReset, portaReset);
    storeNormalised(Murlan::kPitchBend, pitchBend);
    autoLevel();
}

void PatchRandomiser::partRandom() {
    // One draw per row, oscillator by oscillator; the order fixes which patch
    // a given generator state produces.
    bool firstPartial = true;
    double previousPartial = 0.0;
    for (const Murlan::OscillatorParameters& p : Murlan::kOscillatorParameters) {
        const bool carrier = p.partial == Murlan::kNoPartial;
        if (!carrier) {
            // The first partial lies in 2 .. 5; each later one strictly above
            // the whole number the one before now reads back.
            if (firstPartial)
                storeReal(p.partial, 3.0 * MwcRandom::uniform01() + 2.0);
            else
                storeReal(p.partial, (6.0 - previousPartial) * MwcRandom::uniform01() +
                                         (previousPartial + 1.0));
            previousPartial = realValue(p.partial);
            firstPartial = false;
        }
        storeReal(p.detune, 20.0 * MwcRandom::uniform01() - 10.0);
        storeReal(p.attack, 0.49 * MwcRandom::uniform01() + 0.01);
        storeReal(p.release, 1.99 * MwcRandom::uniform01() + 0.1);
        storeReal(p.porta, 0.25 * MwcRandom::uniform01());
        // The oscillator that plays the note itself stays at 0 dB, the others
        // at most 12 dB below it.
        storeReal(p.level, carrier ? 0.0 : 12.0 * MwcRandom::uniform01() - 12.0);
    }
    storeNormalised(Murlan::kLfoWave, MwcRandom::uniform01());
    storeNormalised(Murlan::kLfoFreq, MwcRandom::uniform01());
    storeNormalised(Murlan::kLfoDepth, MwcRandom::uniform01());
    autoLevel();
}

void PatchRandomiser::storeNormalised(int index, double normalised) {
    effect_.editParameter(index, KAMO::KEffect::ParameterEdit::normalised(normalised));
}

void PatchRandomiser::storeReal(int index, double real) {
    effect_.editParameter(index, KAMO::KEffect::ParameterEdit::real(real));
}

double PatchRandomiser::realValue(int index) {
    const KAMO::KEffectParameter* p = effect_.parameter(index);
    const void* slot = effect_.programBank().valueSlot(effect_.getProgram(), index);
    return p && slot ? p->getRealValue(slot) : 0.0;
}
