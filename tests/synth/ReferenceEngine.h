#pragma once
// The instrument's engine as it was before it rendered in blocks: one sample
// at a time, every primitive ticked in turn. It is kept here, outside the
// plug-in, as the executable statement of the per-sample arithmetic that the
// block engine must reproduce. It draws from the process-wide generator in
// the same order as the plug-in.

#include <atomic>
#include <cmath>
#include <cstdint>
#include <vector>

#include "synth/DspMath.h"
#include "synth/LfoWave.h"
#include "synth/MidiQueue.h"
#include "synth/MwcRandom.h"
#include "synth/NoteStack.h"

namespace reference {

// The curve as a reader would write it, piece by piece, from the engine's
// constants (dsp::kWeight*).
inline double freqWeight(double f) {
    using namespace dsp;
    if (f < kWeightSilentBelow) return 0.0;
    if (f < kWeightFullFrom) {
        const double a = (f - kWeightSilentBelow) / kWeightLowWidth;
        return a * a;
    }
    if (f < kWeightKnee) {
        const double a = 1.0 - (f - kWeightFullFrom) / kWeightMidWidth * kWeightMidFall;
        return a * a;
    }
    if (f < kWeightSilentFrom) {
        const double a = kWeightKneeLevel - (f - kWeightKnee) / kWeightHighWidth * kWeightKneeLevel;
        return a * a;
    }
    return 0.0;
}

inline double sineAroundPi(double x) {
    const double u = x * x;
    return -(x *
             (((-0.000145039006054745 * u + 0.007956574006381783) * u - 0.16562123457123723) * u +
              0.9990123569996505));
}

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;

struct Ramp {
    void setup(double sampleRate, double range, double time, double initial) {
        step = time > 0.0 ? std::fabs(range / (sampleRate * time)) : range;
        current = initial;
    }
    double tick(double target) {
        const double d = target - current;
        if (d > step) {
            current = current + step;
        } else if (d < -step) {
            current = current - step;
        } else {
            current = target;
        }
        return current;
    }
    double current = 0.0;
    double step = 0.0;
};

struct Envelope {
    void trigger(double attackTime) {
        if (state != 0 && state != 3) return;
        progress = 0.0;
        state = 1;
        span = 1.0 - level;
        rate = 1.0 / (attackTime * sampleRate);
    }
    void release(double releaseTime) {
        if (state == 3) return;
        progress = 0.0;
        state = 3;
        span = level;
        rate = 1.0 / (releaseTime * sampleRate);
    }
    double tick() {
        if (state == 1) {
            progress = progress + rate;
            if (progress >= 1.0) {
                finish(1.0, 2);
            } else {
                level = level + (2.0 * progress) * span * rate;
            }
        } else if (state == 3) {
            progress = progress + rate;
            if (progress >= 1.0) {
                finish(0.0, 0);
            } else {
                level = level + (2.0 * progress - 2.0) * span * rate;
            }
        }
        return level;
    }
    void finish(double to, int next) {
        level = to;
        progress = rate = span = 0.0;
        state = next;
    }
    int state = 0;
    double level = 0.0, progress = 0.0, rate = 0.0, span = 0.0, sampleRate = 44100.0;
};

struct Oscillator {
    Oscillator() { weight.setup(44100.0, 1.0, 0.002, 1.0); }
    void setSampleRate(double rate) {
        sampleRate = rate;
        envelope.sampleRate = rate;
        weight.setup(rate, 1.0, 0.002, 1.0);
        cachedFrequency = -1.0;
    }
    void setTarget(double frequency) {
        envelope.trigger(attack);
        target = frequency;
        const double b = glide * sampleRate;
        if (glideArmed && b >= 1.0) {
            glideMultiplier = std::pow(frequency / current, 1.0 / b);
        } else {
            current = frequency;
            glideMultiplier = 1.0;
        }
        glideArmed = true;
    }
    double tick() {
        envelope.tick();
        const double m = glideMultiplier;
        if (m != 1.0) {
            current = current * m;
            if ((m < 1.0 && current <= target) || (m > 1.0 && current >= target)) {
                current = target;
                glideMultiplier = 1.0;
            }
        }
        const double f = ratio * bendFactor * current;
        double s = 0.0;
        double weightTarget = 0.0;
        if (f > 0.0) {
            if (f != cachedFrequency) {
                cachedFrequency = f;
                cachedIncrement = f * kTwoPi / sampleRate;
                cachedWeight = freqWeight(f);
            }
            phase = phase + cachedIncrement;
            if (phase >= kTwoPi) {
                phase = phase - kTwoPi;
                if (phase >= kTwoPi) phase = std::fmod(phase, kTwoPi);
            }
            s = sineAroundPi(phase - kPi);
            weightTarget = cachedWeight;
        }
        weight.tick(weightTarget);
        return s * ((levelGain * weight.current) * envelope.level);
    }
    double ratio = 1.0, attack = 0.01, release = 0.01, glide = 0.0, levelGain = 0.0;
    double phase = 0.0, current = 0.0, target = 0.0, glideMultiplier = 1.0;
    Envelope envelope;
    bool glideArmed = false;
    Ramp weight;
    double sampleRate = 44100.0, bendFactor = 1.0;
    double cachedFrequency = -1.0, cachedIncrement = 0.0, cachedWeight = 0.0;
};

struct Lfo {
    void setup(double rate) {
        wave = kLfoSine;
        cyclesPerBar = 0.0;
        level.setup(rate, 2.0, 0.001, 0.0);
        phase = increment = 0.0;
        hold = MwcRandom::bipolar();
        sampleRate = rate;
    }
    void sync(double ppqPos, double tempo, bool playing) {
        if (!std::isfinite(tempo) || tempo < 0.0) return;
        if (playing) {
            const double x = 0.25 * ppqPos * cyclesPerBar;
            if (std::isfinite(x)) phase = x - std::floor(x);
        }
        increment = tempo / 240.0 * cyclesPerBar / sampleRate;
    }
    double tick() {
        phase = phase + increment;
        if (phase >= 1.0) {
            phase = phase - 1.0;
            if (phase >= 1.0) phase = phase - std::floor(phase);
            if (wave == kLfoRandom) hold = MwcRandom::bipolar();
        }
        return level.tick(value(phase));
    }
    double value(double p) const {
        switch (wave) {
        case kLfoSine:
            return sineAroundPi(p * kTwoPi - kPi);
        case kLfoTriangle:
            return p < 0.25 ? 4.0 * p : p < 0.75 ? 2.0 - 4.0 * p : 4.0 * p - 4.0;
        case kLfoSquare:
            return p < 0.5 ? 1.0 : -1.0;
        case kLfoRising:
            return 2.0 * p - 1.0;
        case kLfoFalling:
            return 1.0 - 2.0 * p;
        case kLfoRandom:
            return hold;
        default:
            return 0.0;
        }
    }
    int wave = kLfoSine;
    double cyclesPerBar = 0.0;
    Ramp level;
    double phase = 0.0, increment = 0.0, hold = 0.0, sampleRate = 44100.0;
};

// The engine with the same setters as the plug-in's, applied at once.
class Engine {
public:
    Engine() { lfo_.setup(44100.0); }

    void setOscillatorPitch(int o, double partial, double detuneCents) {
        osc_[o].ratio = std::pow(2.0, detuneCents / 1200.0) * partial;
    }
    void setAttackTime(int o, double s) { osc_[o].attack = s; }
    void setReleaseTime(int o, double s) { osc_[o].release = s; }
    void setGlideTime(int o, double s) { osc_[o].glide = s; }
    void setLevelGain(int o, double g) { osc_[o].levelGain = g; }
    void setLfoWave(int wave) { lfo_.wave = wave; }
    void setLfoRate(double cyclesPerBar) { lfo_.cyclesPerBar = cyclesPerBar; }
    void setLfoDepth(double depth) { lfoDepth_ = depth; }
    void setBendRange(double semitones) { bendRange_ = semitones; }
    void setPortaResetTime(double seconds) {
        portaResetSamples_ = static_cast<std::int64_t>(seconds * sampleRate_);
    }
    void restartPortaReset() { portaCounter_ = 0; }
    void setMainGain(double gain) { mainGain_ = gain; }

    void setSampleRate(double rate) {
        sampleRate_ = rate;
        for (Oscillator& o : osc_) o.setSampleRate(rate);
        lfo_.setup(rate);
    }
    void reset() {
        queue_.clear();
        read_ = 0;
        frame_ = 0;
        notes_.clear();
        for (Oscillator& o : osc_) o.envelope.release(o.release);
    }

    void clearEvents() {
        queue_.clear();
        read_ = 0;
        frame_ = 0;
    }
    void addEvent(const MidiRecord& r) {
        if (r.type == MidiQueue::kMidiType && queue_.size() < std::size_t(MidiQueue::kCapacity))
            queue_.push_back(r);
    }
    void syncTime(double ppqPos, double tempo, bool playing) { lfo_.sync(ppqPos, tempo, playing); }

    void render(double* out, std::int64_t frames) {
        for (std::int64_t i = 0; i < frames; ++i) {
            while (read_ < queue_.size() && queue_[read_].deltaFrames == frame_)
                handleMidi(queue_[read_++]);
            ++frame_;
            const double o1 = osc_[0].tick();
            const double o2 = osc_[1].tick();
            const double o3 = osc_[2].tick();
            const double lfo = lfo_.tick();
            portaResetStep();
            const double r = MwcRandom::uniform01();
            out[i] =
                (r * 5e-06 + ((o1 + o2) + o3)) * mainGain_ * (0.5 * lfoDepth_ * (lfo - 1.0) + 1.0);
        }
    }

    const Oscillator& oscillator(int o) const { return osc_[o]; }

private:
    void portaResetStep() {
        if (!notes_.empty() || portaResetSamples_ <= 0) return;
        const std::int64_t c = portaCounter_ + 1;
        if (c > portaResetSamples_) {
            portaCounter_ = 0;
            for (Oscillator& o : osc_) o.glideArmed = false;
        } else {
            portaCounter_ = c;
        }
    }
    void handleMidi(const MidiRecord& event) {
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
                for (Oscillator& o : osc_) o.envelope.release(o.release);
                portaCounter_ = 0;
                return;
            }
            playKey(key);
        } else if ((status & 0xF0u) == 0xE0u) {
            const std::int32_t v = (d2 * 128 + d1) - 8192;
            const double factor = std::pow(2.0, v * 0.0001220703125 * bendRange_ / 12.0);
            for (Oscillator& o : osc_) o.bendFactor = factor;
        }
    }
    void playKey(std::int32_t key) {
        const double f = 440.0 * std::pow(2.0, (key - 69) / 12.0);
        for (Oscillator& o : osc_) o.setTarget(f);
    }

    NoteStack notes_;
    Oscillator osc_[3];
    Lfo lfo_;
    std::int64_t portaCounter_ = 0;
    std::int64_t portaResetSamples_ = 0;
    double mainGain_ = 0.0, lfoDepth_ = 0.0, sampleRate_ = 0.0, bendRange_ = 2.0;
    std::vector<MidiRecord> queue_;
    std::size_t read_ = 0;
    std::int64_t frame_ = 0;
};

}  // namespace reference
