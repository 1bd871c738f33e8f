#pragma once
// How parameter values, in real units, reach an engine: the one list of
// engine setters per parameter. The instrument applies its programs through
// it, and the tests apply the same patches to the block engine and to the
// per-sample reference engine, so a setter added here is compared at once
// (and a reference engine without it does not build).

#include <cmath>
#include <cstdint>

#include "synth/MurlanParameters.h"

// The linear gain of a level in dB; -inf dB gives 0. Below -600 dB is
// silence too: such gains would only carry the output into the subnormal
// range.
inline double gainOfDecibels(double decibels) {
    const double gain = std::pow(10.0, decibels / 20.0);
    return gain < 1e-30 ? 0.0 : gain;
}

// Calls the setters of every parameter whose `changed` flag is set, with
// `real[index]` in the parameter's own units (seconds, cents, dB, choice).
template <typename Engine>
void applyPatch(Engine& engine, const double* real, const bool* changed) {
    using P = MurlanParameters;
    for (int o = 0; o < 3; ++o) {
        const P::OscillatorParameters& p = P::kOscillatorParameters[o];
        const bool hasPartial = p.partial != P::kNoPartial;
        if ((hasPartial && changed[p.partial]) || changed[p.detune])
            engine.setOscillatorPitch(o, hasPartial ? real[p.partial] : 1.0, real[p.detune]);
        if (changed[p.attack]) engine.setAttackTime(o, real[p.attack]);
        if (changed[p.release]) engine.setReleaseTime(o, real[p.release]);
        if (changed[p.porta]) engine.setGlideTime(o, real[p.porta]);
        if (changed[p.level]) engine.setLevelGain(o, gainOfDecibels(real[p.level]));
    }
    if (changed[P::kLfoWave])
        engine.setLfoWave(static_cast<std::int32_t>(std::lround(real[P::kLfoWave])));
    if (changed[P::kLfoFreq]) engine.setLfoRate(real[P::kLfoFreq]);
    if (changed[P::kLfoDepth]) engine.setLfoDepth(real[P::kLfoDepth] / 100.0);
    if (changed[P::kPitchBend]) engine.setBendRange(real[P::kPitchBend]);
    if (changed[P::kPortaReset]) engine.setPortaResetTime(real[P::kPortaReset]);
    // Any change restarts the wait before glides are disarmed.
    engine.restartPortaReset();
    if (changed[P::kMainLevel]) engine.setMainGain(gainOfDecibels(real[P::kMainLevel]));
}
