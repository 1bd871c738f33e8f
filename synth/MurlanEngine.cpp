// The engine, chunk by chunk.
//
// render() cuts the host's buffer at every MIDI event that falls due and at
// every kChunk samples; renderChunk() makes each piece in these stages, in
// this order, each a loop of its own over the chunk:
//
//   1. glideChunk        The gliding partials' notes, all in one loop
//                        (SineOsc::glide): a chain of multiplications by
//                        each glide's ratio. They become phase steps there,
//                        or stay notes when the glide lands or leaves the
//                        band within the chunk.
//   2. prepareChunk      Each partial's envelope, phase step and weight
//                        (SineOsc::prepare): an array only for what moves,
//                        one value for what holds still, and all that holds
//                        still folded into one gain.
//   3. orderPartials     Which partials move and which of those sound; the
//                        sounding ones first, as the output loop takes them.
//   4. amplitudes        Each sounding partial's factor per sample (weight
//                        times envelope) where either moves; for glides in
//                        the band with a still envelope, left to the output
//                        loop, which makes the weights from the steps.
//   5. tremoloAndDither  The generator's draws for the chunk (within a
//                        sample the random wave's new value comes before
//                        the dither) and the tremolo's level per sample
//                        (TempoLfo::render), or its one level.
//   6. portaResetRun     The wait after the last key, after which glides are
//                        disarmed.
//   7. the output loop   BlockKernels::voiceFloat / voiceDouble: sums the
//                        moving partials' phase chains and makes each sample
//                        from the sines times their levels and amplitudes,
//                        the dither, the tremolo and the main gain.
//
// Stages 1 to 7 reproduce the per-sample engine of
// tests/synth/ReferenceEngine.h (every primitive ticked once a sample) to a
// few units in the last place, events on the same samples; BlockEngineTest
// holds them to it on every vector unit.
//
// The engine's words:
//   chunk      The samples between two events, at most kChunk: one set of
//              quantities throughout and no event inside.
//   partial    One of the three sine oscillators (SineOsc). A partial
//              moves when its phase advances, sounds when anything of it
//              reaches the output; a silent one moves without sounding, and
//              its phase runs on all the same (its later output depends on
//              it).
//   weight     The gain a partial has at its frequency (dsp::freqWeight):
//              partials fade out toward 10 Hz and 17.5 kHz. It follows
//              changes through a short ramp (LinearRamp).
//   band       30 Hz to 10 kHz, where the weight is a line squared in the
//              phase step (dsp::inLineBand, dsp::lineWeight): a glide inside
//              it has its weights made from its steps.
//   chain      A running value of which each sample needs the one before:
//              a phase, a glide's notes, the generator's words. Chains are
//              the sequential part of a chunk and run in tight loops of
//              their own; everything else runs over arrays in vector
//              registers (BlockKernels, compiled once per vector unit).
//   landing    The sample on which a glide reaches or passes its target,
//              where its note stops exactly on the target. A ramp lands on
//              a target that is within its step; when it lands on every
//              target of a chunk, it is not run sample by sample.
//   binade     The doubles from one power of two up to the next, which are
//              evenly spaced: a sum that stays in one binade is exact, so
//              the LFO's phase is worked out there as a progression
//              (start + k * step) instead of a chain.
//   shape      Which build of the output loop a chunk takes: how many
//              partials sound, where their amplitude factors come from,
//              whether the phase steps are arrays.
//   draws      The process-wide generator's raw values (MwcRandom), made
//              ahead up to two chunks at a time, eight lanes at once, and
//              taken in the order the per-sample engine draws them.
//   dither     A uniform draw in [0, 1] times 5e-6, added to every sample
//              before the tremolo and the main gain.

#include "synth/MurlanEngine.h"

#include <algorithm>
#include <cmath>

#include "synth/DspConstants.h"

namespace {
// MIDI status bytes, channel bits masked off.
constexpr unsigned kNoteMask = 0xE0u;  // note-off (0x80) and note-on (0x90) alike
constexpr unsigned kStatusMask = 0xF0u;
constexpr unsigned kNoteOff = 0x80u;
constexpr unsigned kPitchBend = 0xE0u;
constexpr std::int32_t kDataMask = 0x7F;
constexpr std::int32_t kBendCentre = 8192;      // the 14-bit bend value of no bend
constexpr double kBendScale = 0.0001220703125;  // 2^-13: a full swing is +-1 range
// The amplitude factor of a partial that holds its level, beside partials
// whose amplitude moves.
struct Ones {
    double v[MurlanEngine::kChunk];
    constexpr Ones() : v() {
        for (double& x : v) x = 1.0;
    }
};
constexpr Ones kOnes{};
// The steps of a phase the output loop sums though no partial moves it.
struct Zeros {
    double v[MurlanEngine::kChunk] = {};
};
constexpr Zeros kZeros{};

// A chunk's dither draws and as many for the LFO's random wave (one new
// cycle a sample at most).
constexpr int kDrawBuffer = 2 * MurlanEngine::kChunk;
}  // namespace

struct MurlanEngine::Scratch {
    double note[kOscillators][kChunk];
    double increment[kOscillators][kChunk];
    double weightTarget[kOscillators][kChunk];
    double weight[kOscillators][kChunk];
    double env[kOscillators][kChunk];
    double amp[kOscillators][kChunk];
    double lfoPhase[kChunk];
    double lfoHold[kChunk];
    double lfoValue[kChunk];
    double lfoLevel[kChunk];
    int newCycleAt[kChunk];
    std::uint32_t dither[kChunk];
    std::uint32_t raw[kDrawBuffer];
};

MurlanEngine::MurlanEngine()
    : kernels_(&BlockKernels::get(BlockKernels::best())), scratch_(new Scratch()) {
    lfo_.setup(kDefaultSampleRate);
}

MurlanEngine::~MurlanEngine() = default;

void MurlanEngine::setOscillator(int index, double partial, double detuneCents,
                                 double attackSeconds, double releaseSeconds, double glideSeconds,
                                 double levelGain) {
    setOscillatorPitch(index, partial, detuneCents);
    setAttackTime(index, attackSeconds);
    setReleaseTime(index, releaseSeconds);
    setGlideTime(index, glideSeconds);
    setLevelGain(index, levelGain);
}

void MurlanEngine::setOscillatorPitch(int index, double partial, double detuneCents) {
    SineOsc& osc = osc_[index];
    osc.setPartial(partial);
    osc.setDetune(detuneCents);
    osc.recomputeRatio();
}

void MurlanEngine::setPortaResetTime(double seconds) {
    portaResetTime_.set(seconds);
    portaResetSamples_.set(static_cast<std::int64_t>(seconds * sampleRate_.get()));
}

void MurlanEngine::setSampleRate(double sampleRate) {
    sampleRate_.set(sampleRate);
    queue_.reserve(MidiQueue::kCapacity);
    for (SineOsc& osc : osc_) osc.setSampleRate(sampleRate);
    lfo_.setup(sampleRate);
}

void MurlanEngine::reset() {
    queue_.clear();
    notes_.clear();
    for (SineOsc& osc : osc_) osc.release();
}

void MurlanEngine::portaResetRun(int n) {
    const std::uint64_t clears = counterClears_.load(std::memory_order_relaxed);
    if (clears != counterClearsSeen_) {
        counterClearsSeen_ = clears;
        portaCounter_ = 0;
    }
    if (!notes_.empty()) return;
    const std::int64_t limit = portaResetSamples_.get();
    if (limit <= 0) return;
    // The counter climbs by one a sample; the sample that takes it past the
    // limit disarms the glides (a phrase started after this long a pause
    // begins on pitch) and starts it again from 0.
    std::int64_t counter = portaCounter_;
    std::int64_t left = n;
    while (left > 0) {
        const std::int64_t untilDisarm = counter <= limit ? limit - counter + 1 : 1;
        if (untilDisarm > left) {
            counter += left;
            break;
        }
        left -= untilDisarm;
        counter = 0;
        for (SineOsc& osc : osc_) osc.disarmGlide();
    }
    portaCounter_ = counter;
}

MwcRandom::State MurlanEngine::drawState() const {
    // Only a chunk that reserved draws for the LFO's random wave and drew
    // fewer leaves some unused.
    return drawRead_ == drawEnd_ ? bufferEnd_ : MwcRandom::advanced(bufferStart_, drawRead_);
}

void MurlanEngine::bufferDraws(int count, std::int64_t framesLeft) {
    if (drawEnd_ - drawRead_ >= count) return;
    const int steps =
        int(std::min<std::int64_t>(kDrawBuffer, std::max<std::int64_t>(count, framesLeft)));
    bufferStart_ = bufferEnd_ = drawState();
    kernels_->draws(&bufferEnd_.z, &bufferEnd_.w, scratch_->raw, steps);
    drawRead_ = 0;
    drawEnd_ = steps;
}

template <typename Sample>
void MurlanEngine::renderTo(Sample* out, std::int64_t frames) {
    bufferStart_ = bufferEnd_ = MwcRandom::state();
    drawRead_ = drawEnd_ = 0;
    std::int64_t done = 0;
    while (done < frames) {
        queue_.dispatchDue(*this);
        std::int64_t run = std::min<std::int64_t>(frames - done, kChunk);
        const std::int64_t untilEvent = queue_.framesToNext();
        if (untilEvent > 0 && untilEvent < run) run = untilEvent;
        renderChunk(out + done, int(run), frames - done);
        queue_.skip(run);
        done += run;
    }
    MwcRandom::setState(drawState());
}

// --- One chunk -----------------------------------------------------------------

void MurlanEngine::glideChunk(int n, GlideChunk* made) {
    Scratch& s = *scratch_;
    SineOsc* gliding[kOscillators];
    double* glidingNote[kOscillators];
    double* glidingStep[kOscillators];
    GlideChunk* glidingMade[kOscillators];
    int glidingCount = 0;
    for (int o = 0; o < kOscillators; ++o) {
        if (!osc_[o].gliding()) continue;
        gliding[glidingCount] = &osc_[o];
        glidingNote[glidingCount] = s.note[o];
        glidingMade[glidingCount] = &made[o];
        glidingStep[glidingCount++] = s.increment[o];
    }
    SineOsc::glide(gliding, glidingNote, glidingStep, glidingMade, glidingCount, n);
}

PartialChunk MurlanEngine::prepareChunk(int o, int n, const GlideChunk& glide) {
    Scratch& s = *scratch_;
    const PartialScratch scratch{s.note[o], s.increment[o], s.weightTarget[o], s.weight[o],
                                 s.env[o]};
    return osc_[o].prepare(n, scratch, glide, *kernels_);
}

int MurlanEngine::orderPartials(PartialChunk* chunk, int n, VoiceArgs& voice, int* order) {
    bool steps = false;
    for (int o = 0; o < kOscillators; ++o)
        if (chunk[o].moves && chunk[o].increment) steps = true;
    // The output loop sums the phases of the moving partials, the sounding
    // ones first; a silent partial's phase runs on too, as its later output
    // depends on it.
    for (int o = 0; o < kOscillators; ++o)
        if (chunk[o].sounds) order[voice.partials++] = o;
    for (int o = 0; o < kOscillators; ++o)
        if (chunk[o].moves && !chunk[o].sounds) order[voice.partials + voice.silent++] = o;
    const int moving = voice.partials + voice.silent;
    for (int i = 0; i < moving; ++i) {
        const int o = order[i];
        // Partials with a steady pitch spread their step beside gliding ones.
        if (steps) chunk[o].spreadStep(n);
        voice.start[i] = osc_[o].phase();
        voice.step[i] = chunk[o].step;
        voice.steps[i] = chunk[o].increment;
    }
    if (steps)
        for (int i = moving; i < kOscillators; ++i) voice.steps[i] = kZeros.v;
    return moving;
}

void MurlanEngine::amplitudes(PartialChunk* chunk, const int* order, int n, VoiceArgs& voice) {
    Scratch& s = *scratch_;
    // Glides in the band with a steady envelope leave their weights to the
    // output loop, when every sounding partial is one; otherwise each makes
    // its array.
    bool stepWeights = voice.partials > 0;
    for (int i = 0; i < voice.partials; ++i)
        stepWeights = stepWeights && chunk[order[i]].weightPerStep != 0.0;
    if (stepWeights) voice.weightPerStep = chunk[order[0]].weightPerStep;
    bool amps = false;
    for (int i = 0; i < voice.partials; ++i) {
        const int o = order[i];
        voice.ampLevel[i] = chunk[o].gain;
        if (stepWeights) continue;
        if (chunk[o].weightPerStep != 0.0) {
            kernels_->stepWeights(chunk[o].increment, chunk[o].weightPerStep, s.weight[o], n);
            chunk[o].weight = s.weight[o];
        }
        if (chunk[o].weight && chunk[o].env) {
            kernels_->amplitude(chunk[o].weight, chunk[o].env, s.amp[o], n);
            voice.amp[i] = s.amp[o];
        } else {
            voice.amp[i] = chunk[o].weight ? chunk[o].weight : chunk[o].env;
        }
        amps = amps || voice.amp[i];
    }
    // Partials of a steady amplitude beside moving ones.
    for (int i = 0; amps && i < voice.partials; ++i)
        if (!voice.amp[i]) voice.amp[i] = kOnes.v;
}

void MurlanEngine::tremoloAndDither(int n, std::int64_t framesLeft, VoiceArgs& voice) {
    Scratch& s = *scratch_;
    // Within a sample the LFO's new random value is drawn before the dither.
    const bool mayDraw = lfo_.wave() == kLfoRandom && lfo_.increment() != 0.0;
    bufferDraws(mayDraw ? 2 * n : n, framesLeft);
    int holds = 0;
    const LfoScratch lfoScratch{s.lfoPhase, s.lfoHold, s.lfoValue, s.lfoLevel, s.newCycleAt};
    const double halfDepth = 0.5 * lfoDepth_.get();
    const double* lfo =
        lfo_.render(n, lfoScratch, *kernels_, halfDepth != 0.0, [&](int cycle, int at) {
            ++holds;
            const int i = drawRead_ + at + cycle;
            return s.raw[i];
        });
    const std::uint32_t* dither = s.raw + drawRead_;
    if (holds > 0) {
        for (int k = 0, j = 0; k < n; ++k) {
            if (j < holds && s.newCycleAt[j] == k) ++j;
            s.dither[k] = s.raw[drawRead_ + k + j];
        }
        dither = s.dither;
    }
    drawRead_ += n + holds;

    // The tremolo: 0.5 * depth * (lfo - 1) + 1, exactly 1 at depth 0.
    voice.halfDepth = halfDepth;
    if (voice.halfDepth == 0.0) {
        lfo = nullptr;
    } else if (!lfo) {
        voice.factor = voice.halfDepth * (lfo_.level() - 1.0) + 1.0;
    }
    voice.lfo = lfo;
    voice.raw = dither;
}

template <typename Sample>
void MurlanEngine::renderChunk(Sample* out, int n, std::int64_t framesLeft) {
    GlideChunk glide[kOscillators];
    glideChunk(n, glide);
    // Each partial's chunk made where it stays (a copy of the returned
    // record would read back what prepare() has only just stored).
    static_assert(kOscillators == 3, "one chunk per oscillator");
    PartialChunk chunk[kOscillators] = {prepareChunk(0, n, glide[0]), prepareChunk(1, n, glide[1]),
                                        prepareChunk(2, n, glide[2])};
    VoiceArgs voice;
    int order[kOscillators];
    const int moving = orderPartials(chunk, n, voice, order);
    amplitudes(chunk, order, n, voice);
    tremoloAndDither(n, framesLeft, voice);
    portaResetRun(n);

    double endPhase[kOscillators];
    voice.end = endPhase;
    voice.gain = mainGain_.get();
    if constexpr (sizeof(Sample) == sizeof(float)) {
        kernels_->voiceFloat(voice, out, n);
    } else {
        kernels_->voiceDouble(voice, out, n);
    }
    for (int i = 0; i < moving; ++i) osc_[order[i]].setPhase(endPhase[i]);
}

void MurlanEngine::render(double* out, std::int64_t frames) { renderTo(out, frames); }

void MurlanEngine::render(float* out, std::int64_t frames) { renderTo(out, frames); }

void MurlanEngine::handleMidi(const MidiRecord& event) {
    const unsigned status = event.midiData[0];
    const std::int32_t d1 = event.midiData[1] & kDataMask;
    const std::int32_t d2 = event.midiData[2] & kDataMask;
    if ((status & kNoteMask) == kNoteOff) {
        if (d2 != 0 && (status & kStatusMask) != kNoteOff) {
            notes_.push(d1);
            playKey(d1);
            return;
        }
        notes_.remove(d1);
        const std::int32_t key = notes_.top();
        if (key == -1) {
            for (SineOsc& osc : osc_) osc.release();
            portaCounter_ = 0;
            return;
        }
        playKey(key);
    } else if ((status & kStatusMask) == kPitchBend) {
        const std::int32_t v = (d2 * 128 + d1) - kBendCentre;
        const double factor = std::pow(2.0, v * kBendScale * bendRange_.get() / 12.0);
        for (SineOsc& osc : osc_) osc.setBendFactor(factor);
    }
}

void MurlanEngine::playKey(std::int32_t key) {
    const double f = 440.0 * std::pow(2.0, (key - 69) / 12.0);
    for (SineOsc& osc : osc_) osc.setTarget(f);
}
