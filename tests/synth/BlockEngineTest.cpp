// The block engine against the per-sample engine it replaced: long renders
// that exercise every path must come out the same to kAgreement, whatever the
// sample rate, the block size and the vector unit.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "synth/BlockKernels.h"
#include "synth/MurlanEngine.h"
#include "synth/MurlanParameters.h"
#include "synth/MwcRandom.h"
#include "tests/synth/ReferenceEngine.h"

namespace {

using P = MurlanParameters;

// How far the block engine may stray from the per-sample one: the README
// promises it. The worst seen over these scripts is about 5e-12, where
// gliding steps come from a multiplication instead of a division.
constexpr double kAgreement = 2e-11;

// Every parameter's real value, as the instrument hands them to its engine;
// recorded once and replayed into each engine under test. Starts at the
// defaults.
struct Patch {
    double real[P::kParameterCount];
    Patch() {
        for (int i = 0; i < P::kParameterCount; ++i) real[i] = P::kInfo[i].byDefault;
    }
    double& operator[](int index) { return real[index]; }
    // A linear gain as the level that gives it.
    void setGain(int index, double gain) { real[index] = 20.0 * std::log10(gain); }
    // One oscillator's settings; oscillator 1 has no partial to set.
    void oscillator(int o, double partial, double detune, double attack, double release,
                    double porta, double gain) {
        const P::OscillatorParameters& q = P::kOscillatorParameters[o];
        if (q.partial != P::kNoPartial) real[q.partial] = partial;
        real[q.detune] = detune;
        real[q.attack] = attack;
        real[q.release] = release;
        real[q.porta] = porta;
        setGain(q.level, gain);
    }
};

struct Block {
    bool hasPatch = false;
    Patch patch{};
    int tweak = -1;  // one quantity changed alone, or -1
    double tweakValue = 0.0;
    bool hasTime = false;
    double ppq = 0.0, tempo = 120.0;
    bool playing = false;
    std::vector<MidiRecord> events;
    int frames = 0;
};

struct Script {
    double rate = 48000.0;
    std::vector<Block> blocks;

    // A block of `frames` frames under one fixed patch, which the script's
    // first block sets.
    Block& addFixedPatchBlock(int frames, const Patch& patch) {
        Block b;
        b.frames = frames;
        b.hasPatch = blocks.empty();
        b.patch = patch;
        blocks.push_back(b);
        return blocks.back();
    }
};

// The patch of a script aimed at one path of the engine: the defaults with
// no LFO, bends of two semitones, the main level at half and the glide
// reset after `portaReset` seconds; each script sets its oscillators.
Patch aimedPatch(double portaReset) {
    Patch p;
    p[P::kLfoDepth] = 0.0;
    p[P::kPitchBend] = 2.0;
    p[P::kPortaReset] = portaReset;
    p.setGain(P::kMainLevel, 0.5);
    return p;
}

MidiRecord midi(int delta, unsigned char status, unsigned char d1, unsigned char d2) {
    MidiRecord r;
    std::memset(&r, 0, sizeof r);
    r.type = MidiQueue::kMidiType;
    r.deltaFrames = delta;
    r.midiData[0] = status;
    r.midiData[1] = d1;
    r.midiData[2] = d2;
    return r;
}

// Every parameter drawn over its range from its descriptor row, so that a
// new parameter is exercised as soon as it has a row and a setter; then the
// times and levels this script needs to sound and to glide.
Patch randomPatch(std::mt19937& rng, int wave, bool longGlides) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    Patch p;
    for (int i = 0; i < P::kParameterCount; ++i) {
        const KAMO::KParameterInfo& row = P::kInfo[i];
        const double x = row.steps > 0 ? std::round(u(rng) * row.steps) / row.steps : u(rng);
        switch (row.kind) {
        case KAMO::KParameterInfo::Decibels:
            p[i] = x < 0.1 ? -HUGE_VAL : row.maximum - 24.0 * x;
            break;
        case KAMO::KParameterInfo::Choice:
            p[i] = std::round(x * (row.steps - 1));
            break;
        default:
            p[i] = row.minimum + x * (row.maximum - row.minimum);
            break;
        }
    }
    for (const P::OscillatorParameters& o : P::kOscillatorParameters) {
        p[o.attack] = 0.01 + 0.3 * u(rng) * u(rng);
        p[o.release] = 0.01 + 0.5 * u(rng) * u(rng);
        p[o.porta] = longGlides ? 0.05 + 0.5 * u(rng) : (u(rng) < 0.5 ? 0.0 : 0.2 * u(rng));
    }
    p[P::kLfoWave] = wave;
    p[P::kPortaReset] = 0.1 + 2.0 * u(rng);
    p[P::kMainLevel] = 20.0 * std::log10(0.2 + 0.8 * u(rng));
    return p;
}

// A melody of `seconds` with overlapping (legato) notes, rests long enough
// for releases to finish and glides to disarm, bends, stray events, a patch
// change every few seconds cycling through the LFO waves, single-value
// tweaks and tempo changes, cut into blocks of `block` frames.
Script makeScript(double rate, int block, double seconds, unsigned seed, bool longGlides) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    Script s;
    s.rate = rate;
    const long total = long(seconds * rate);

    // Absolute-time events first.
    struct Timed {
        long frame;
        MidiRecord r;
    };
    std::vector<Timed> timed;
    long t = long(0.01 * rate);
    int held = -1;
    while (t < total) {
        const int key = 36 + int(u(rng) * 48.0);
        const unsigned char channel = static_cast<unsigned char>(u(rng) * 16.0);
        timed.push_back(
            {t, midi(0, static_cast<unsigned char>(0x90 | channel), static_cast<unsigned char>(key),
                     static_cast<unsigned char>(1 + u(rng) * 126.0))});
        const long length = long((0.01 + 0.6 * u(rng) * u(rng)) * rate);
        // Legato most of the time: the previous key goes after the new one.
        if (held >= 0) {
            const long off = t + long(u(rng) * 0.02 * rate);
            timed.push_back(
                {off, midi(0, u(rng) < 0.5 ? 0x80 : 0x90, static_cast<unsigned char>(held), 0)});
        }
        held = key;
        if (u(rng) < 0.3) {
            const long bendAt = t + long(u(rng) * length);
            const int v = int(u(rng) * 16384.0);
            timed.push_back({bendAt, midi(0, 0xE0, static_cast<unsigned char>(v & 0x7F),
                                          static_cast<unsigned char>(v >> 7))});
        }
        if (u(rng) < 0.05) timed.push_back({t + 1, midi(0, 0xB0, 7, 100)});  // ignored
        t += length;
        if (u(rng) < 0.2) {
            timed.push_back({t, midi(0, 0x80, static_cast<unsigned char>(held), 64)});
            held = -1;
            t += long((0.05 + 3.0 * u(rng) * u(rng)) * rate);  // rest: release, disarm, idle
        }
    }
    std::stable_sort(timed.begin(), timed.end(),
                     [](const Timed& a, const Timed& b) { return a.frame < b.frame; });

    std::size_t next = 0;
    double ppq = 0.0, tempo = 120.0;
    bool playing = true;
    int patches = 0;
    long nextPatch = 0;
    for (long at = 0; at < total; at += block) {
        Block b;
        b.frames = int(std::min<long>(block, total - at));
        if (at >= nextPatch) {
            b.hasPatch = true;
            b.patch = randomPatch(rng, patches % kLfoWaveCount, longGlides);
            ++patches;
            nextPatch = at + long((2.0 + 4.0 * u(rng)) * rate);
        } else if (u(rng) < 200.0 * b.frames / rate) {
            b.tweak = int(u(rng) * 12.0);
            b.tweakValue = u(rng);
        }
        if (u(rng) < 0.002 * b.frames) {
            tempo = 40.0 + 400.0 * u(rng);
            playing = u(rng) < 0.8;
        }
        b.hasTime = u(rng) < 0.97;
        b.ppq = ppq;
        b.tempo = tempo;
        b.playing = playing;
        if (playing) ppq += b.frames * tempo / 60.0 / rate;
        while (next < timed.size() && timed[next].frame < at + b.frames) {
            MidiRecord r = timed[next].r;
            r.deltaFrames = std::int32_t(timed[next].frame - at);
            b.events.push_back(r);
            ++next;
        }
        // Now and then one out of order: dispatched never, holding back the rest.
        if (b.events.size() >= 2 && u(rng) < 0.01) std::swap(b.events[0], b.events[1]);
        s.blocks.push_back(std::move(b));
    }
    return s;
}

template <typename Engine>
void applyWholePatch(Engine& e, const Patch& p) {
    bool all[P::kParameterCount];
    std::fill(std::begin(all), std::end(all), true);
    applyPatch(e, p.real, all);
}

template <typename Engine>
void applyTweak(Engine& e, int which, double v) {
    const int o = which % 3;
    switch (which / 3) {
    case 0:
        e.setOscillatorPitch(o, 1.0 + std::round(5.0 * v), 198.0 * v - 99.0);
        break;
    case 1:
        e.setLevelGain(o, v);
        break;
    case 2:
        e.setGlideTime(o, 0.3 * v);
        break;
    default:
        e.setLfoDepth(v);
        break;
    }
    e.restartPortaReset();
}

void addEvent(MurlanEngine& e, const MidiRecord& r) { e.addEvent(&r); }
void addEvent(reference::Engine& e, const MidiRecord& r) { e.addEvent(r); }

template <typename Engine>
std::vector<double> play(Engine& e, const Script& s) {
    e.setSampleRate(s.rate);
    e.reset();
    std::vector<double> out;
    long total = 0;
    for (const Block& b : s.blocks) total += b.frames;
    out.resize(std::size_t(total));
    double* at = out.data();
    for (const Block& b : s.blocks) {
        if (b.hasPatch) applyWholePatch(e, b.patch);
        if (b.tweak >= 0) applyTweak(e, b.tweak, b.tweakValue);
        if (b.hasTime) e.syncTime(b.ppq, b.tempo, b.playing);
        e.clearEvents();
        for (const MidiRecord& r : b.events) addEvent(e, r);
        e.render(at, b.frames);
        at += b.frames;
    }
    return out;
}

struct Comparison {
    double maxDiff = 0.0;
    double peak = 0.0;
    long at = -1;
};

Comparison compare(const std::vector<double>& a, const std::vector<double>& b) {
    Comparison c;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double d = std::fabs(a[i] - b[i]);
        if (!(d <= c.maxDiff)) {
            c.maxDiff = d;
            c.at = long(i);
        }
        c.peak = std::max(c.peak, std::fabs(a[i]));
    }
    return c;
}

std::vector<double> renderReference(const Script& s) {
    MwcRandom::setState(MwcRandom::kInitialState);
    reference::Engine e;
    return play(e, s);
}

std::vector<double> renderBlocks(const Script& s, BlockKernels::Isa isa = BlockKernels::best()) {
    MwcRandom::setState(MwcRandom::kInitialState);
    MurlanEngine e;
    e.useKernels(isa);
    return play(e, s);
}

// The script through every vector unit this processor has, each against
// the per-sample engine.
void expectEveryPathMatchesTheReference(const Script& s) {
    const std::vector<double> reference = renderReference(s);
    for (int path = 0; path < BlockKernels::kIsaCount; ++path) {
        const auto isa = BlockKernels::Isa(path);
        if (!BlockKernels::runs(isa)) continue;
        const Comparison r = compare(reference, renderBlocks(s, isa));
        EXPECT_LE(r.maxDiff, kAgreement) << BlockKernels::name(isa) << ", first worst at " << r.at;
        EXPECT_GT(r.peak, 0.1) << "the script must sound";
    }
}

class BlockEngineTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = MwcRandom::state(); }
    void TearDown() override { MwcRandom::setState(saved_); }
    MwcRandom::State saved_{};
};

}  // namespace

TEST_F(BlockEngineTest, SixtySecondsMatchThePerSampleEngineAtEveryRateAndBlockSize) {
    struct Case {
        double rate;
        int block;
        bool longGlides;
    };
    const Case cases[] = {{22050.0, 1, false},   {44100.0, 37, true},   {48000.0, 512, false},
                          {96000.0, 4096, true}, {192000.0, 37, false}, {192000.0, 4096, true}};
    unsigned seed = 11;
    for (const Case& c : cases) {
        const Script s = makeScript(c.rate, c.block, 60.0, seed++, c.longGlides);
        const Comparison r = compare(renderReference(s), renderBlocks(s));
        EXPECT_LE(r.maxDiff, kAgreement)
            << c.rate << " Hz, blocks of " << c.block << ", first worst at " << r.at;
        EXPECT_GT(r.peak, 0.1) << "the script must sound";
    }
}

TEST_F(BlockEngineTest, EventsOnEveryFramePositionLandOnTheSameSample) {
    // Short blocks of varying length with a burst of events each, so every
    // position within a block, the first and the last included, carries one.
    std::mt19937 rng(5);
    Script s = makeScript(44100.0, 64, 4.0, 99, true);
    int position = 0;
    for (Block& b : s.blocks) {
        b.events.clear();
        const int at = position++ % b.frames;
        const unsigned char key = static_cast<unsigned char>(40 + rng() % 40);
        b.events.push_back(midi(at, 0x90, key, 100));
        if (at + 1 < b.frames) b.events.push_back(midi(at + 1, 0x80, key, 0));
        if (rng() % 3 == 0)
            b.events.push_back(
                midi(b.frames - 1, 0xE0, 0, static_cast<unsigned char>(rng() % 128)));
    }
    const Comparison r = compare(renderReference(s), renderBlocks(s));
    EXPECT_LE(r.maxDiff, kAgreement) << "first worst at " << r.at;
}

TEST_F(BlockEngineTest, EveryVectorUnitOnThisMachineAgrees) {
    const Script s = makeScript(48000.0, 512, 20.0, 3, true);
    const std::vector<double> baseline = renderBlocks(s, BlockKernels::Baseline);
    int paths = 0;
    for (int path = 0; path < BlockKernels::kIsaCount; ++path) {
        const auto isa = BlockKernels::Isa(path);
        if (!BlockKernels::runs(isa)) continue;
        const Comparison r = compare(baseline, renderBlocks(s, isa));
        EXPECT_LE(r.maxDiff, 1e-12) << BlockKernels::name(isa);
        ++paths;
    }
    EXPECT_GE(paths, 1);
}

TEST_F(BlockEngineTest, PartialsAboveTheSampleRateMatchThePerSampleEngineOnEveryPath) {
    // High keys on the sixth partial at 22.05 kHz: a step of more than a
    // whole cycle, which only sounds while the weight fades the partial out
    // after each jump. Steady pitches, in blocks that leave odd tails.
    Script s;
    s.rate = 22050.0;
    Patch p = aimedPatch(1.0);
    for (int o = 0; o < 3; ++o) p.oscillator(o, 6.0, o == 2 ? 99.0 : 0.0, 0.01, 0.05, 0.0, 1.0);
    p[P::kLfoWave] = kLfoTriangle;
    p[P::kLfoFreq] = 3.0;
    p[P::kLfoDepth] = 50.0;
    const unsigned char keys[] = {110, 60, 120, 96, 127, 48};
    for (int k = 0; k < 240; ++k) {
        Block& b = s.addFixedPatchBlock(37, p);
        if (k % 40 == 3) b.events.push_back(midi(k % 37, 0x90, keys[k / 40], 100));
    }
    expectEveryPathMatchesTheReference(s);
}

TEST_F(BlockEngineTest, GlidesLandOnTheSameSampleWhereverTheyEndInABlock) {
    // Legato notes up and down, each held for a prime number of frames, with
    // three glide times that share no period with it or with the blocks:
    // the landings fall on ever other positions within a block.
    Script s;
    s.rate = 48000.0;
    Patch p = aimedPatch(5.0);
    const double glides[3] = {0.0101, 0.0173, 0.0237};
    for (int o = 0; o < 3; ++o) p.oscillator(o, double(o + 1), 0.0, 0.01, 0.05, glides[o], 0.5);
    constexpr int kHeld = 1499, kBlock = 512, kNotes = 160;
    std::vector<MidiRecord> song;
    std::vector<int> frames;
    for (int k = 0; k < kNotes; ++k) {
        const unsigned char key = static_cast<unsigned char>(k % 2 ? 50 + k % 17 : 70 - k % 13);
        const unsigned char last =
            static_cast<unsigned char>((k - 1) % 2 ? 50 + (k - 1) % 17 : 70 - (k - 1) % 13);
        song.push_back(midi(0, 0x90, key, 100));
        frames.push_back(k * kHeld);
        if (k > 0) {
            song.push_back(midi(0, 0x80, last, 0));
            frames.push_back(k * kHeld + 1);
        }
    }
    std::size_t next = 0;
    for (int start = 0; start < kNotes * kHeld; start += kBlock) {
        Block& b = s.addFixedPatchBlock(kBlock, p);
        for (; next < song.size() && frames[next] < start + kBlock; ++next) {
            MidiRecord e = song[next];
            e.deltaFrames = frames[next] - start;
            b.events.push_back(e);
        }
    }
    expectEveryPathMatchesTheReference(s);
}

TEST_F(BlockEngineTest, SilentPartialsKeepTheirPhaseThroughLongSilences) {
    // A partial at level 0 beside sounding ones, and notes apart by seconds
    // of silence, released while their glides still run: the phases of
    // partials that do not sound run on in the output loop, and each note
    // picks them up where the per-sample engine has them.
    Script s;
    s.rate = 44100.0;
    Patch p = aimedPatch(60.0);  // the glide stays armed across the silences
    for (int o = 0; o < 3; ++o)
        p.oscillator(o, double(2 * o + 1), 7.0 * o, 0.005, 0.02, o == 2 ? 0.8 : 0.0,
                     o == 1 ? 0.0 : 0.7);
    const unsigned char keys[] = {45, 81, 52, 93, 40, 67};
    constexpr int kBlock = 300, kNoteBlocks = 20, kSilentBlocks = 450;  // 0.14 s on, 3 s off
    for (int note = 0; note < 6; ++note) {
        for (int k = 0; k < kNoteBlocks + kSilentBlocks; ++k) {
            Block& b = s.addFixedPatchBlock(kBlock, p);
            if (k == 0) b.events.push_back(midi(note * 41 % kBlock, 0x90, keys[note], 100));
            if (k == kNoteBlocks) b.events.push_back(midi(17, 0x80, keys[note], 0));
            if (note == 3 && k == 5) {
                // The level of the silent partial comes up mid-note.
                b.tweak = 4;  // the level of oscillator 2
                b.tweakValue = 0.6;
            }
        }
    }
    expectEveryPathMatchesTheReference(s);
}
