#pragma once
// One sine partial of the voice: exponential glide between note
// frequencies, an attack/release envelope, a gain that fades partials out
// near the audio band's edges, and a level.
//
// A partial renders in chunks: glide() runs the note chains of the gliding
// partials, prepare() works out the envelope, the pitch and the weight of
// every sample, and the engine's output loop then sums the phases of all
// moving partials (each depends on the one before, so they are the
// sequential part; dsp::nextPhase) while it makes the output of the sounding
// ones, so that the sums overlap the vector work. A silent partial's phase
// runs on in the same loop: its later output depends on it.
//
// The parameter-derived fields are written by whichever thread edits the
// parameters and read by the audio thread once per chunk, hence Relaxed.

#include "synth/AREnvelope.h"
#include "synth/BlockKernels.h"
#include "synth/DspConstants.h"
#include "synth/DspMath.h"
#include "synth/LinearRamp.h"
#include "synth/Relaxed.h"

// Scratch arrays of one partial, each long enough for a chunk.
struct PartialScratch {
    double* note;       // filled by SineOsc::glide() when a glide lands or leaves the band
    double* increment;  // or filled by it with the glide's phase steps
    double* weightTarget;
    double* weight;
    double* env;
};

// What glide() made of one partial's chunk, for prepare().
struct GlideChunk {
    // Nothing (a steady pitch), the chunk's notes (a glide that lands or
    // leaves the band of a line-shaped weight), or its phase steps.
    enum Made { kNothing, kNotes, kSteps };
    Made made = kNothing;
    double scale = 1.0;      // the frequency ratio and bend the steps were made with
    double firstNote = 0.0;  // the chunk's first and last note, for steps
    double lastNote = 0.0;
    double sweepRatio = 1.0;  // the glide's ratio as the chunk began
};

// What prepare() found for one chunk.
struct PartialChunk {
    const double* increment = nullptr;  // phase step of each sample, or null when constant
    double step = 0.0;                  // the constant phase step
    double* stepScratch = nullptr;      // where the constant step is spread when an array is needed
    const double* weight = nullptr;     // frequency weight of each sample, or null when constant
    double weightPerStep = 0.0;         // or, when set, dsp::lineWeight of each sample's step
    const double* env = nullptr;        // envelope of each sample, or null when constant (then 1)
    double gain = 0.0;                  // the level gain and every constant factor
    bool moves = false;                 // the phase advances
    bool sounds = false;                // anything but zeros reaches the output

    // A steady pitch's step as an array, beside partials whose pitch moves.
    void spreadStep(int n) {
        if (increment) return;
        for (int k = 0; k < n; ++k) stepScratch[k] = step;
        increment = stepScratch;
    }
};

class SineOsc {
public:
    static constexpr double kTwoPi = dsp::kTwoPi;
    static constexpr double kPi = dsp::kPi;

    SineOsc();

    void setSampleRate(double sampleRate);
    void recomputeRatio();
    void setTarget(double frequency);
    void release();

    bool gliding() const { return glideMultiplier_ != 1.0; }
    // The phase step of each of the next `n` samples of `count` gliding
    // partials (into increment[i]), all in one loop: each note is the one
    // before times the glide ratio, so they are sequential. A chunk in
    // which a glide lands or leaves the band of a line-shaped weight gets
    // its notes instead (into note[i]). What was made is told in made[i],
    // which prepare() then takes.
    static void glide(SineOsc* const* partials, double* const* note, double* const* increment,
                      GlideChunk* const* made, int count, int n);
    PartialChunk prepare(int n, const PartialScratch& scratch, const GlideChunk& glide,
                         const BlockKernels& kernels);
    // One sample through the same stages.
    double tick();

    // Parameter-derived fields (any thread).
    void setPartial(double multiplier) { partial_.set(multiplier); }
    void setDetune(double cents) { detune_.set(cents); }
    void setAttackTime(double seconds) { attack_.set(seconds); }
    void setReleaseTime(double seconds) { release_.set(seconds); }
    void setGlideTime(double seconds) { glide_.set(seconds); }
    void setLevelGain(double gain) { levelGain_.set(gain); }

    // Audio-thread state.
    void setBendFactor(double factor) { bendFactor_ = factor; }
    void disarmGlide() { glideArmed_ = false; }
    // Where the phase got to when the output loop summed it.
    void setPhase(double phase) { phase_ = phase; }

    double partial() const { return partial_.get(); }
    double detune() const { return detune_.get(); }
    double attackTime() const { return attack_.get(); }
    double releaseTime() const { return release_.get(); }
    double glideTime() const { return glide_.get(); }
    double levelGain() const { return levelGain_.get(); }
    double ratio() const { return ratio_.get(); }
    double phase() const { return phase_; }
    double currentFrequency() const { return current_; }
    double targetFrequency() const { return target_; }
    double glideMultiplier() const { return glideMultiplier_; }
    bool glideArmed() const { return glideArmed_; }
    double sampleRate() const { return sampleRate_; }
    double bendFactor() const { return bendFactor_; }
    const AREnvelope& envelope() const { return envelope_; }
    const LinearRamp& weight() const { return weight_; }

private:
    // Whether a glide's weight targets each stay within the weight ramp's
    // step of the one before, so that the ramp follows them, without
    // looking at each.
    bool gentle(const GlideChunk& glide, double firstNote, double lastNote,
                double firstTarget) const;
    // prepare()'s pitch and weight of a gliding partial's chunk, into `chunk`.
    void prepareGlide(int n, const PartialScratch& scratch, const GlideChunk& glide,
                      double ratioBend, const BlockKernels& kernels, PartialChunk& chunk);
    // The same for a held pitch; answers the level the weight holds or
    // moves toward (when it moves, the chunk has its array).
    double prepareHeld(int n, const PartialScratch& scratch, double ratioBend,
                       const BlockKernels& kernels, PartialChunk& chunk);
    template <int kCount>
    static void glideLoop(SineOsc* const* partials, double* const* note, double* const* increment,
                          GlideChunk* const* made, int n);

    Relaxed<double> partial_{1.0};
    Relaxed<double> detune_{0.0};
    Relaxed<double> attack_{0.01};
    Relaxed<double> release_{0.01};
    Relaxed<double> glide_{0.0};
    Relaxed<double> levelGain_{0.0};
    Relaxed<double> ratio_{1.0};
    double phase_ = 0.0;
    double current_ = 0.0;
    double target_ = 0.0;
    double glideMultiplier_ = 1.0;
    AREnvelope envelope_;
    bool glideArmed_ = false;
    LinearRamp weight_;
    double sampleRate_ = kDefaultSampleRate;
    double inverseRate_ = 1.0 / kDefaultSampleRate;
    double bendFactor_ = 1.0;

    // Derived from the last steady frequency; a negative frequency never matches.
    double cachedFrequency_ = -1.0;
    double cachedIncrement_ = 0.0;
    double cachedWeight_ = 0.0;
};

// The frequency weight alone, for callers outside the render path.
inline double FreqWeight(double f) { return dsp::freqWeight(f); }
