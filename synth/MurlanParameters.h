#pragma once
// The instrument's parameters: their host indices and one descriptor row
// each. Everything else (the effect's parameter list, the VST and LV2 names,
// units and ranges, the skin check, the tests' patches) is read from here.

#include "framework/KParameterInfo.h"

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
        P::choice("LFOWave", "lfowave", kLfoWaves, 6, 0, "LFO"),
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

    // A row left out would leave the last index without a name.
    static_assert(kInfo[kParameterCount - 1].name != nullptr, "one row per parameter");
};
