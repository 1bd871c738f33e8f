#include "synth/MurlanEngine.h"

#include <cmath>

MurlanEngine::MurlanEngine() {
    lfo_.setup(44100.0);
}

void MurlanEngine::setOscillator(int index, double partial, double detuneCents, double attackSeconds,
                                 double releaseSeconds, double glideSeconds, double levelGain) {
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

inline void MurlanEngine::portaResetStep() {
    const std::uint64_t clears = counterClears_.load(std::memory_order_relaxed);
    if (clears != counterClearsSeen_) {
        counterClearsSeen_ = clears;
        portaCounter_ = 0;
    }
    if (!notes_.empty()) return;
    const std::int64_t limit = portaResetSamples_.get();
    if (limit <= 0) return;
    const std::int64_t c = portaCounter_ + 1;
    if (c > limit) {
        // A phrase started after this long a pause begins on pitch.
        portaCounter_ = 0;
        for (SineOsc& osc : osc_) osc.disarmGlide();
    } else {
        portaCounter_ = c;
    }
}

void MurlanEngine::render(double* out, std::int64_t frames) {
    for (std::int64_t i = 0; i < frames; ++i) {
        queue_.dispatch(*this);
        const double o1 = osc_[0].tick();
        const double o2 = osc_[1].tick();
        const double o3 = osc_[2].tick();
        const double lfo = lfo_.tick();
        portaResetStep();
        // A tiny positive noise keeps the output off exact zero, which is
        // all the protection against denormal numbers there is.
        const double r = MwcRandom::uniform01();
        const double depth = lfoDepth_.get();
        out[i] = (r * 5e-06 + ((o1 + o2) + o3)) * mainGain_.get() * (0.5 * depth * (lfo - 1.0) + 1.0);
    }
}

void MurlanEngine::handleMidi(const MidiRecord& event) {
    const unsigned status = event.midiData[0];
    const std::int32_t d1 = event.midiData[1] & 0x7F;
    const std::int32_t d2 = event.midiData[2] & 0x7F;
    if ((status & 0xE0u) == 0x80u) {
        if (d2 != 0 && (status & 0xF0u) != 0x80u) {
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
    } else if ((status & 0xF0u) == 0xE0u) {
        const std::int32_t v = (d2 * 128 + d1) - 8192;
        const double factor = std::pow(2.0, v * 0.0001220703125 * bendRange_.get() / 12.0);
        for (SineOsc& osc : osc_) osc.setBendFactor(factor);
    }
}

void MurlanEngine::playKey(std::int32_t key) {
    const double f = 440.0 * std::pow(2.0, (key - 69) / 12.0);
    for (SineOsc& osc : osc_) osc.setTarget(f);
}
