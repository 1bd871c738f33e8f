#include "synth/SineOsc.h"

#include <cmath>

namespace {
constexpr double kWeightRange = 1.0;
constexpr double kWeightTime = 0.002;  // a change of weight never takes longer
}  // namespace

SineOsc::SineOsc() { weight_.setup(kDefaultSampleRate, kWeightRange, kWeightTime, 1.0); }

void SineOsc::setSampleRate(double sampleRate) {
    sampleRate_ = sampleRate;
    inverseRate_ = 1.0 / sampleRate;
    envelope_.setSampleRate(sampleRate);
    weight_.setup(sampleRate, kWeightRange, kWeightTime, 1.0);
    cachedFrequency_ = -1.0;
}

void SineOsc::recomputeRatio() {
    ratio_.set(std::pow(2.0, detune_.get() / 1200.0) * partial_.get());
}

void SineOsc::setTarget(double frequency) {
    envelope_.trigger(attack_.get());
    target_ = frequency;
    const double b = glide_.get() * sampleRate_;
    if (glideArmed_ && b >= 1.0) {
        // Constant ratio per sample: an exponential sweep that sounds even.
        glideMultiplier_ = std::pow(frequency / current_, 1.0 / b);
    } else {
        current_ = frequency;
        glideMultiplier_ = 1.0;
    }
    glideArmed_ = true;
}

void SineOsc::release() { envelope_.release(release_.get()); }

bool SineOsc::gentle(const GlideChunk& glide, double firstNote, double lastNote,
                     double firstTarget) const {
    const double scale = glide.scale;
    // Within the band the weight is a line squared, with the line in
    // (kWeightKneeLevel, 1], so from one sample to the next it moves by at
    // most 2 * kWeightMidFall / kWeightMidWidth times the frequency's move, and a glide moves
    // the frequency by at most f * |m - 1| a sample (a landing by less).
    // The notes only move one way, so the chunk's ends bound them. When that
    // stays well within the weight ramp's step (any glide slower than about
    // an octave in 50 samples at 48 kHz), the ramp lands on every target:
    // only the first needs a look.
    const double first = scale * firstNote, last = scale * lastNote;
    const double lo = first < last ? first : last, hi = first < last ? last : first;
    if (!(dsp::inLineBand(lo) && dsp::inLineBand(hi))) return false;
    constexpr double kSlack = 1e-12;  // the rounding of the weights, far below
    const double step = weight_.step();
    const double move =
        2.0 * dsp::kWeightMidFall / dsp::kWeightMidWidth * hi * std::fabs(glide.sweepRatio - 1.0);
    const double d0 = firstTarget - weight_.current();
    return move + kSlack < step && d0 <= step && d0 >= -step;
}

PartialChunk SineOsc::prepare(int n, const PartialScratch& scratch, const GlideChunk& glide,
                              const BlockKernels& kernels) {
    PartialChunk chunk;
    double envLevel = 1.0;
    if (envelope_.moving()) {
        envelope_.render(scratch.env, n);
        chunk.env = scratch.env;
    } else {
        envLevel = envelope_.level();  // 0 when idle, 1 in sustain
    }
    const double ratioBend = ratio_.get() * bendFactor_;
    double weightLevel = 0.0;  // the weight while it holds still
    if (glide.made != GlideChunk::kNothing) {
        prepareGlide(n, scratch, glide, ratioBend, kernels, chunk);
    } else {
        weightLevel = prepareHeld(n, scratch, ratioBend, kernels, chunk);
    }
    // Whatever holds still for the chunk goes into the one gain.
    const double levelGain = levelGain_.get();
    const bool weights = chunk.weight || chunk.weightPerStep != 0.0;
    chunk.gain = weights ? levelGain : (levelGain * weightLevel) * envLevel;
    chunk.sounds =
        chunk.moves && envLevel != 0.0 && levelGain != 0.0 && (weights || weightLevel != 0.0);
    return chunk;
}

void SineOsc::prepareGlide(int n, const PartialScratch& scratch, const GlideChunk& glide,
                           double ratioBend, const BlockKernels& kernels, PartialChunk& chunk) {
    // The glide's steps, made with its notes or from them here.
    bool inside = true;
    GlideChunk made = glide;
    double first = glide.firstNote, last = glide.lastNote;
    if (glide.made == GlideChunk::kNotes) {
        inside = kernels.glidePitch(scratch.note, ratioBend, sampleRate_, inverseRate_,
                                    scratch.increment, scratch.weightTarget, n);
        made.scale = ratioBend;
        first = scratch.note[0];
        last = scratch.note[n - 1];
    }
    chunk.increment = scratch.increment;
    chunk.moves = made.scale * current_ > 0.0;
    const double perStep = dsp::weightPerStep(sampleRate_);
    if (inside && !chunk.env &&
        gentle(made, first, last, dsp::lineWeight(scratch.increment[0], perStep))) {
        // The ramp lands on every weight: the output loop makes them from
        // the steps, with nothing stored in between.
        weight_.arrive(dsp::lineWeight(scratch.increment[n - 1], perStep));
        chunk.weightPerStep = perStep;
        return;
    }
    if (inside) kernels.stepWeights(scratch.increment, perStep, scratch.weightTarget, n);
    if (gentle(made, first, last, scratch.weightTarget[0]) ||
        kernels.follows(scratch.weightTarget, weight_.current(), weight_.step(), n)) {
        weight_.arrive(scratch.weightTarget[n - 1]);
        chunk.weight = scratch.weightTarget;
    } else {
        weight_.follow(scratch.weightTarget, scratch.weight, n);
        chunk.weight = scratch.weight;
    }
}

double SineOsc::prepareHeld(int n, const PartialScratch& scratch, double ratioBend,
                            const BlockKernels& kernels, PartialChunk& chunk) {
    // A held note keeps f constant, so the division and the weight curve
    // are only worked out when f moves.
    const double f = ratioBend * current_;
    double increment = 0.0, weightLevel = 0.0;
    if (f > 0.0) {
        if (f != cachedFrequency_) {
            cachedFrequency_ = f;
            kernels.pitch(&current_, ratioBend, sampleRate_, inverseRate_, &cachedIncrement_,
                          &cachedWeight_, 1);
        }
        increment = cachedIncrement_;
        weightLevel = cachedWeight_;
        chunk.moves = true;
    }
    chunk.step = increment;
    chunk.stepScratch = scratch.increment;
    if (weight_.current() == weightLevel) {
        weight_.arrive(weightLevel);
        return weightLevel;
    }
    // Moving toward a new level, the weight goes into the array.
    weight_.toward(weightLevel, scratch.weight, n);
    chunk.weight = scratch.weight;
    return weightLevel;
}

namespace {
// Whether a sweep by m has reached or passed its target at f.
bool landed(double f, double m, double target) {
    return (m < 1.0 && f <= target) || (m > 1.0 && f >= target);
}

// One partial's sweep, stopping exactly on the target on the sample that
// reaches or passes it.
void glideLanding(double& f, double& m, double target, double* out, int n) {
    for (int k = 0; k < n; ++k) {
        if (m != 1.0) {
            f = f * m;
            if (landed(f, m, target)) {
                f = target;
                m = 1.0;
            }
        }
        out[k] = f;
    }
}
}  // namespace

template <int kCount>
void SineOsc::glideLoop(SineOsc* const* partials, double* const* note, double* const* increment,
                        GlideChunk* const* made, int n) {
    double f[kCount], m[kCount], target[kCount], step[kCount];
    double* out[kCount];
#pragma GCC unroll 3
    for (int i = 0; i < kCount; ++i) {
        SineOsc& osc = *partials[i];
        f[i] = osc.current_;
        m[i] = osc.glideMultiplier_;
        target[i] = osc.target_;
        out[i] = increment[i];
        made[i]->sweepRatio = m[i];
        // Each step is the note times the step of a note of 1 Hz, one
        // multiplication beside the chain, which leaves it as fast as it was.
        made[i]->scale = osc.ratio_.get() * osc.bendFactor_;
        step[i] = dsp::quotient(made[i]->scale * kTwoPi, osc.sampleRate_, osc.inverseRate_);
    }
    // Most chunks do not land, so the chains are plain multiplications.
    // Notes are positive, so each f times m moves the same way (never back
    // past where it was): a sweep that reaches its target within the chunk
    // has passed it at its end, and only then is the chunk done again with
    // the landing test, into notes. So is a chunk whose notes leave the band
    // where a step is the note times one factor (its ends tell).
    for (int k = 0; k < n; ++k) {
#pragma GCC unroll 3
        for (int i = 0; i < kCount; ++i) {
            f[i] = f[i] * m[i];
            out[i][k] = f[i] * step[i];
        }
    }
#pragma GCC unroll 3
    for (int i = 0; i < kCount; ++i) {
        SineOsc& osc = *partials[i];
        const double first = osc.current_ * m[i];
        const double lo = made[i]->scale * first, hi = made[i]->scale * f[i];
        const bool inside = dsp::inLineBand(lo) && dsp::inLineBand(hi);
        if (landed(f[i], m[i], target[i]) || !inside) {
            f[i] = osc.current_;
            glideLanding(f[i], m[i], target[i], note[i], n);
            made[i]->made = GlideChunk::kNotes;
        } else {
            made[i]->made = GlideChunk::kSteps;
            made[i]->firstNote = first;
            made[i]->lastNote = f[i];
        }
        osc.current_ = f[i];
        osc.glideMultiplier_ = m[i];
    }
}

void SineOsc::glide(SineOsc* const* partials, double* const* note, double* const* increment,
                    GlideChunk* const* made, int count, int n) {
    switch (count) {
    case 1:
        glideLoop<1>(partials, note, increment, made, n);
        break;
    case 2:
        glideLoop<2>(partials, note, increment, made, n);
        break;
    case 3:
        glideLoop<3>(partials, note, increment, made, n);
        break;
    default:
        break;
    }
}

double SineOsc::tick() {
    double note, increment, weightTarget, weight, env;
    const PartialScratch scratch{&note, &increment, &weightTarget, &weight, &env};
    const BlockKernels& kernels = BlockKernels::get(BlockKernels::best());
    GlideChunk glided;
    if (gliding()) {
        SineOsc* self = this;
        double* notes = &note;
        double* increments = &increment;
        GlideChunk* made = &glided;
        glide(&self, &notes, &increments, &made, 1, 1);
    }
    PartialChunk chunk = prepare(1, scratch, glided, kernels);
    if (chunk.moves)
        phase_ = dsp::nextPhase(phase_, chunk.increment ? chunk.increment[0] : chunk.step);
    if (!chunk.sounds) return 0.0;
    double amp = 1.0;
    if (chunk.weight) amp = amp * chunk.weight[0];
    if (chunk.weightPerStep != 0.0)
        amp = amp * dsp::lineWeight(chunk.increment[0], chunk.weightPerStep);
    if (chunk.env) amp = amp * chunk.env[0];
    return dsp::sineAroundPi(phase_ - kPi, dsp::scaledSine(chunk.gain)) * amp;
}
