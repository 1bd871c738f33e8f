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
    const double v = autoLevelGain(effect_.engineGain(Murlan::kLevel1), effect_.engineGain(Murlan::kLevel2),
                                   effect_.engineGain(Murlan::kLevel3));
    // The main level's reference gain is 1, so its normalised value is the gain.
    storeNormalised(Murlan::kMainLevel, v);
}

void PatchRandomiser::fullRandom() {
    // Read as the host would, so the kept values survive to float precision.
    const float portaReset = effect_.getParameter(Murlan::kPortaReset);
    const float pitchBend = effect_.getParameter(Murlan::kPitchBend);
    for (int index = 0; index < Murlan::kParameterCount; ++index) storeNormalised(index, MwcRandom::uniform01());
    storeNormalised(Murlan::kPortaReset, portaReset);
    storeNormalised(Murlan::kPitchBend, pitchBend);
    autoLevel();
}

void PatchRandomiser::partRandom() {
    // One draw per row, in this order; the order fixes which patch a given
    // generator state produces.
    storeReal(Murlan::kDetune1, 20.0 * MwcRandom::uniform01() - 10.0);
    storeReal(Murlan::kAttack1, 0.49 * MwcRandom::uniform01() + 0.01);
    storeReal(Murlan::kRelease1, 1.99 * MwcRandom::uniform01() + 0.1);
    storeReal(Murlan::kPorta1, 0.25 * MwcRandom::uniform01());
    storeReal(Murlan::kLevel1, 0.0);
    storeReal(Murlan::kPartial2, 3.0 * MwcRandom::uniform01() + 2.0);
    storeReal(Murlan::kDetune2, 20.0 * MwcRandom::uniform01() - 10.0);
    storeReal(Murlan::kAttack2, 0.49 * MwcRandom::uniform01() + 0.01);
    storeReal(Murlan::kRelease2, 1.99 * MwcRandom::uniform01() + 0.1);
    storeReal(Murlan::kPorta2, 0.25 * MwcRandom::uniform01());
    storeReal(Murlan::kLevel2, 12.0 * MwcRandom::uniform01() - 12.0);
    // Partial 3 sits strictly above the whole number partial 2 now reads back.
    const double partial2 = realValue(Murlan::kPartial2);
    storeReal(Murlan::kPartial3, (6.0 - partial2) * MwcRandom::uniform01() + (partial2 + 1.0));
    storeReal(Murlan::kDetune3, 20.0 * MwcRandom::uniform01() - 10.0);
    storeReal(Murlan::kAttack3, 0.49 * MwcRandom::uniform01() + 0.01);
    storeReal(Murlan::kRelease3, 1.99 * MwcRandom::uniform01() + 0.1);
    storeReal(Murlan::kPorta3, 0.25 * MwcRandom::uniform01());
    storeReal(Murlan::kLevel3, 12.0 * MwcRandom::uniform01() - 12.0);
    storeNormalised(Murlan::kLfoWave, MwcRandom::uniform01());
    storeNormalised(Murlan::kLfoFreq, MwcRandom::uniform01());
    storeNormalised(Murlan::kLfoDepth, MwcRandom::uniform01());
    autoLevel();
}

void PatchRandomiser::storeNormalised(int index, double normalised) {
    const KAMO::KEffectParameter* p = effect_.parameter(index);
    const int program = effect_.getProgram();
    void* slot = effect_.programBank().valueSlot(program, index);
    if (!p || !slot) return;
    p->setValue(slot, normalised);
    effect_.programBank().refreshTexts(program, index);
    effect_.parameterChanged(index);
    effect_.parametersChanged(false);
}

void PatchRandomiser::storeReal(int index, double real) {
    effect_.setParameterReal(index, real);
}

double PatchRandomiser::realValue(int index) {
    const KAMO::KEffectParameter* p = effect_.parameter(index);
    const void* slot = effect_.programBank().valueSlot(effect_.getProgram(), index);
    return p && slot ? p->getRealValue(slot) : 0.0;
}
