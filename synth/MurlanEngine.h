#pragma once
// The instrument's sound engine: three sine partials of one monophonic
// voice, the tempo-locked tremolo, the note logic and the MIDI queue, with
// nothing of the host interface. The plug-in class derives the quantities
// below from its parameters and drives the engine from the host's calls.
//
// Rendering runs in chunks between events (the stages of a chunk, in
// order, and the engine's own words are mapped at the top of
// MurlanEngine.cpp): the sequential parts of each
// chunk (envelopes, glides, phase sums, the generator) run as tight loops of
// their own, everything else over arrays in the widest vector unit the
// processor has. Every event lands on the same sample as when each
// primitive ticks once per sample, and the output is that of ticking them
// to a few units in the last place: constant factors are folded together
// once a chunk, and a gliding pitch's steps are multiplied, not divided.
//
// Threads: the quantity setters may run on any thread while the audio thread
// renders (each quantity is one relaxed value, picked up at the next chunk);
// everything else belongs to the audio thread, or to a host call made while
// processing is stopped (sample rate, reset).

#include <atomic>
#include <cstdint>
#include <memory>

#include "synth/BlockKernels.h"
#include "synth/MidiQueue.h"
#include "synth/MwcRandom.h"
#include "synth/NoteStack.h"
#include "synth/Relaxed.h"
#include "synth/SineOsc.h"
#include "synth/TempoLfo.h"

class MurlanEngine {
public:
    static constexpr int kOscillators = 3;
    // Samples per chunk: long enough that what a chunk costs beyond its
    // samples hardly counts, short enough that its arrays stay in cache.
    static constexpr int kChunk = 512;

    MurlanEngine();
    ~MurlanEngine();

    // --- Parameter-derived quantities (any thread) -------------------------
    // Sets one partial's fields in order and recomputes its frequency ratio.
    void setOscillator(int index, double partial, double detuneCents, double attackSeconds,
                       double releaseSeconds, double glideSeconds, double levelGain);
    // The same field by field, for callers that only pass on what changed.
    void setOscillatorPitch(int index, double partial, double detuneCents);
    void setAttackTime(int index, double seconds) { osc_[index].setAttackTime(seconds); }
    void setReleaseTime(int index, double seconds) { osc_[index].setReleaseTime(seconds); }
    void setGlideTime(int index, double seconds) { osc_[index].setGlideTime(seconds); }
    void setLevelGain(int index, double gain) { osc_[index].setLevelGain(gain); }
    void setLfoWave(std::int32_t wave) { lfo_.setWave(wave); }
    void setLfoRate(double cyclesPerBar) { lfo_.setRate(cyclesPerBar); }
    void setLfoDepth(double depth) { lfoDepth_.set(depth); }
    void setBendRange(double semitones) { bendRange_.set(semitones); }
    // Also restarts the wait before glides are disarmed.
    void setPortaReset(double seconds) {
        setPortaResetTime(seconds);
        restartPortaReset();
    }
    void setPortaResetTime(double seconds);
    // Restarts the wait before glides are disarmed (from the next sample).
    void restartPortaReset() { counterClears_.fetch_add(1, std::memory_order_relaxed); }
    void setMainGain(double gain) { mainGain_.set(gain); }

    // --- Set-up (processing stopped) ----------------------------------------
    // Re-clocks queue, partials and LFO; the caller resets afterwards.
    void setSampleRate(double sampleRate);
    // Empties queue and held keys and lets the partials fade out.
    void reset();
    // The vector unit the array loops use (the widest one unless a check
    // asks for another that the processor has).
    void useKernels(BlockKernels::Isa isa) { kernels_ = &BlockKernels::get(isa); }

    // --- Audio thread ---------------------------------------------------------
    void clearEvents() { queue_.clear(); }
    bool addEvent(const void* event) { return queue_.add(event); }
    void syncTime(double ppqPos, double tempo, bool playing) { lfo_.sync(ppqPos, tempo, playing); }
    void render(double* out, std::int64_t frames);
    void render(float* out, std::int64_t frames);
    // Note-on, note-off and pitch bend; everything else is ignored.
    void handleMidi(const MidiRecord& event);

    // --- Inspection -----------------------------------------------------------
    const SineOsc& oscillator(int index) const { return osc_[index]; }
    const TempoLfo& lfo() const { return lfo_; }
    const NoteStack& notes() const { return notes_; }
    const MidiQueue& queue() const { return queue_; }
    double sampleRate() const { return sampleRate_.get(); }
    double mainGain() const { return mainGain_.get(); }
    double lfoDepth() const { return lfoDepth_.get(); }
    double bendRange() const { return bendRange_.get(); }
    double portaResetTime() const { return portaResetTime_.get(); }
    std::int64_t portaResetSamples() const { return portaResetSamples_.get(); }
    std::int64_t portaResetCounter() const { return portaCounter_; }

private:
    struct Scratch;

    template <typename Sample>
    void renderTo(Sample* out, std::int64_t frames);
    // One chunk of `n` samples without events, in steps: the glides' notes
    // and steps, each partial's chunk, the order of the moving partials in
    // the output loop, their amplitudes, the tremolo and dither, then the
    // output loop.
    template <typename Sample>
    void renderChunk(Sample* out, int n, std::int64_t framesLeft);
    void glideChunk(int n, GlideChunk* made);
    PartialChunk prepareChunk(int oscillator, int n, const GlideChunk& glide);
    // Answers how many partials move (sounding ones first, in `order`).
    int orderPartials(PartialChunk* chunk, int n, VoiceArgs& voice, int* order);
    void amplitudes(PartialChunk* chunk, const int* order, int n, VoiceArgs& voice);
    void tremoloAndDither(int n, std::int64_t framesLeft, VoiceArgs& voice);
    void playKey(std::int32_t key);
    void portaResetRun(int n);
    // At least `count` generator steps buffered past the read position.
    void bufferDraws(int count, std::int64_t framesLeft);
    // The generator's words after the steps used so far.
    MwcRandom::State drawState() const;

    NoteStack notes_;
    SineOsc osc_[kOscillators];
    TempoLfo lfo_;
    Relaxed<double> portaResetTime_{0.0};
    std::int64_t portaCounter_ = 0;
    Relaxed<std::int64_t> portaResetSamples_{0};
    Relaxed<double> mainGain_{0.0};
    Relaxed<double> lfoDepth_{0.0};
    Relaxed<double> sampleRate_{0.0};
    Relaxed<double> bendRange_{2.0};
    MidiQueue queue_;
    const BlockKernels* kernels_;
    std::unique_ptr<Scratch> scratch_;

    // The generator's steps worked out ahead within one render call: the
    // words before and after them, how many there are and how many are used.
    MwcRandom::State bufferStart_{};
    MwcRandom::State bufferEnd_{};
    int drawRead_ = 0;
    int drawEnd_ = 0;

    // The counter belongs to the audio thread; other threads ask for it to be
    // cleared by bumping this number, so a clear is never lost to a
    // concurrent increment.
    std::atomic<std::uint64_t> counterClears_{0};
    std::uint64_t counterClearsSeen_ = 0;
};
