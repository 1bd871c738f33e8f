#pragma once
// The instrument's patch commands: a full randomisation, a constrained one
// that keeps patches tuneful, and the automatic main level that keeps the
// summed partials below clipping. They change the current program one
// parameter at a time, with the steps of a parameter change from the host,
// but tell the host nothing; random numbers come from the shared generator.

class Murlan;

class PatchRandomiser {
public:
    // The worst case of the additive mix (three partials in phase at full
    // envelope) lands on this gain: -3 dB.
    static constexpr double kHeadroomGain = 0.7079457843841379;

    explicit PatchRandomiser(Murlan& effect) : effect_(effect) {}

    // Sets the main level from the three oscillator levels as they sound.
    void autoLevel();
    // Every parameter but the porta-reset time and the bend range takes a
    // random value over its whole range; then the main level is set.
    void fullRandom();
    // Small detunes, short attacks and glides, oscillator 1 at 0 dB with the
    // others at most 12 dB below, ordered partials; then the main level.
    void partRandom();

    // The main gain for oscillators at these linear gains: never above 1.
    static double autoLevelGain(double gain1, double gain2, double gain3);

private:
    // Stores a normalised value exactly as given.
    void storeNormalised(int index, double normalised);
    // Stores through the parameter's own mapping, clamped to its range.
    void storeReal(int index, double real);
    double realValue(int index);

    Murlan& effect_;
};
