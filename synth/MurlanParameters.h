#pragma once
// The instrument's parameters: their host indices, one descriptor row each,
// and the engine setters their values reach. Everything else (the effect's
// parameter list, the VST and LV2 names, units and ranges, the skin check,
// the tests' patches) is read from here.

#include <cmath>
#include <cstdint>
#include <iterator>

#include "framework/KParameterInfo.h"
#include "synth/LfoWave.h"

struct MurlanParameters {
    // Host parameter indices. Hosts keep values by index in their sessions
    // and the program chunks store them in this order: a new parameter goes
    // at the end, and none is ever moved or removed.
    enum Parameter {
        kDetune1,
        kAttack1,
        kRelease1,
        kPorta1,
        kLevel1,
        kPartial2,
        kDetune2,
        kAttack2,
        kRelease2,
        kPorta2,
        kLevel2,
        kPartial3,
        kDetune3,
        kAttack3,
        kRelease3,
        kPorta3,
        kLevel3,
        kLfoWave,
        kLfoFreq,
        kLfoDepth,
        kPortaReset,
        kPitchBend,
        kMainLevel,
        kParameterCount
    };
    // The parameters of the first release: the LV2 ports of later ones go
    // behind the event and audio ports.
    static constexpr int kOriginalParameterCount = kMainLevel + 1;

    static constexpr const char* kLfoWaves[] = {"Sine",   "Triangle", "Square",
                                                "Rising", "Falling",  "Random"};
    static_assert(std::size(kLfoWaves) == kLfoWaveCount, "one name per wave, in LfoWave's order");

    // One row per index above, in the same order. Symbols are what LV2
    // hosts store values under: never change one.
    using P = KAMO::KParameterInfo;
    static constexpr KAMO::KParameterInfo kInfo[kParameterCount] = {
        P::range("Detune1", "detune1", "cents", -99, 99, 198, 0, 0, "Osc 1"),
        P::range("Attk1", "attk1", "s", 0.01, 2, 199, 2, 0.01, "Osc 1"),
        P::range("Rel1", "rel1", "s", 0.01, 2, 199, 2, 0.01, "Osc 1"),
        P::range("Porta1", "porta1", "s", 0, 1, 100, 2, 0, "Osc 1"),
        P::decibels("Level1", "level1", 0, 1, 0, "Osc 1"),
        P::range("Partial2", "partial2", "", 1, 6, 5, 0, 1, "Osc 2"),
        P::range("Detune2", "detune2", "cents", -99, 99, 198, 0, 0, "Osc 2"),
        P::range("Attk2", "attk2", "s", 0.01, 2, 199, 2, 0.01, "Osc 2"),
        P::range("Rel2", "rel2", "s", 0.01, 2, 199, 2, 0.01, "Osc 2"),
        P::range("Porta2", "porta2", "s", 0, 1, 100, 2, 0, "Osc 2"),
        P::decibels("Level2", "level2", 0, 1, 0, "Osc 2"),
        P::range("Partial3", "partial3", "", 1, 6, 5, 0, 1, "Osc 3"),
        P::range("Detune3", "detune3", "cents", -99, 99, 198, 0, 0, "Osc 3"),
        P::range("Attk3", "attk3", "s", 0.01, 2, 199, 2, 0.01, "Osc 3"),
        P::range("Rel3", "rel3", "s", 0.01, 2, 199, 2, 0.01, "Osc 3"),
        P::range("Porta3", "porta3", "s", 0, 1, 100, 2, 0, "Osc 3"),
        P::decibels("Level3", "level3", 0, 1, 0, "Osc 3"),
        P::choice("LFOWave", "lfowave", kLfoWaves, kLfoWaveCount, 0, "LFO"),
        P::range("LFOFreq", "lfofreq", "per bar", 1, 32, 31, 0, 4, "LFO"),
        P::range("LFODepth", "lfodepth", "%", 0, 100, 100, 0, 0, "LFO"),
        P::range("PortaRst", "portarst", "s", 0.1, 5, 49, 1, 2, "Global"),
        P::range("PtchBend", "ptchbend", "semis", 0, 12, 120, 1, 2, "Global"),
        P::decibels("MainLvl", "mainlvl", 0, 1, -12.5, "Global"),
    };
    // One oscillator's parameters. They drive the engine's oscillator
    // settings and Part Random, so that each index is found by name where it
    // matters. Oscillator 1 plays the note itself and has no partial
    // (kNoPartial).
    static constexpr int kNoPartial = -1;
    struct OscillatorParameters {
        int partial;
        int detune;
        int attack;
        int release;
        int porta;
        int level;
    };
    static constexpr OscillatorParameters kOscillatorParameters[] = {
        {kNoPartial, kDetune1, kAttack1, kRelease1, kPorta1, kLevel1},
        {kPartial2, kDetune2, kAttack2, kRelease2, kPorta2, kLevel2},
        {kPartial3, kDetune3, kAttack3, kRelease3, kPorta3, kLevel3},
    };
};

// A row left out leaves the last index without a name; a name longer than 8
// characters would reach VST hosts cut.
static_assert(KAMO::rowsAreSound(MurlanParameters::kInfo, MurlanParameters::kParameterCount),
              "one row per parameter, each named in at most 8 characters");

// --- How values reach an engine ---
//
// The one list of engine setters per parameter. The instrument applies its
// programs through it, and the tests apply the same patches to the block
// engine and to the per-sample reference engine, so a setter added here is
// compared at once (and a reference engine without it does not build).

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
