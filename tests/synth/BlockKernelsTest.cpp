// The array loops on every vector unit this processor has, against the
// one-at-a-time arithmetic they stand for.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "synth/BlockKernels.h"
#include "synth/DspMath.h"
#include "synth/MwcRandom.h"
#include "synth/TempoLfo.h"
#include "tests/synth/ReferenceEngine.h"

namespace {
constexpr std::uint32_t kMz = std::uint32_t(mwc::kModulusZ);
constexpr std::uint32_t kMw = std::uint32_t(mwc::kModulusW);

// The vector units this processor has: each test runs on every one.
std::vector<BlockKernels::Isa> runningPaths() {
    std::vector<BlockKernels::Isa> paths;
    for (int path = 0; path < BlockKernels::kIsaCount; ++path)
        if (BlockKernels::runs(BlockKernels::Isa(path))) paths.push_back(BlockKernels::Isa(path));
    return paths;
}

// `n` words drawn by `k`'s lanes from `start` are the ones MwcRandom::step
// gives one at a time, and both leave the same state behind.
testing::AssertionResult drawsStepByStep(const BlockKernels& k, MwcRandom::State start,
                                         std::uint32_t* raw, int n) {
    std::uint32_t lz = start.z, lw = start.w;
    k.draws(&lz, &lw, raw, n);
    std::uint32_t sz = start.z, sw = start.w;
    for (int i = 0; i < n; ++i)
        if (raw[i] != MwcRandom::step(sz, sw))
            return testing::AssertionFailure()
                   << "from " << start.z << " " << start.w << ", n " << n << ", step " << i;
    if (lz != sz || lw != sw)
        return testing::AssertionFailure()
               << "from " << start.z << " " << start.w << ", n " << n << ", ends elsewhere";
    return testing::AssertionSuccess();
}
}  // namespace

TEST(SinePolynomial, StaysWithinFourTenThousandthsOfTheSineOverItsWholeRange) {
    double worst = 0.0;
    for (int i = 0; i <= 100000; ++i) {
        const double x = -dsp::kPi + dsp::kTwoPi * i / 100000.0;
        worst = std::max(worst, std::fabs(dsp::sineAroundPi(x) - std::sin(x + dsp::kPi)));
    }
    EXPECT_LT(worst, 4e-4);
    EXPECT_GT(worst, 1e-4) << "a polynomial, not the library sine";
}

TEST(BlockKernels, GeneratorLanesGiveTheSequenceStepByStep) {
    std::mt19937 rng(7);
    for (const BlockKernels::Isa isa : runningPaths()) {
        const BlockKernels& k = BlockKernels::get(isa);
        // The load state, states from far into the sequence, and words off
        // the cycle (as a hostile setState could leave), which go step by step.
        std::vector<MwcRandom::State> states = {
            MwcRandom::kInitialState, {kMz - 1, kMw - 1}, {0xFFFFFFFFu, 5u}};
        for (int i = 0; i < 5; ++i)
            states.push_back({std::uint32_t(rng() % kMz), std::uint32_t(rng() % kMw)});
        for (const MwcRandom::State& start : states) {
            for (int n : {0, 1, 31, 32, 33, 63, 64, 65, 100, 200, 512, 1000, 1024}) {
                std::vector<std::uint32_t> raw(std::size_t(n) + 1);
                ASSERT_TRUE(drawsStepByStep(k, start, raw.data(), n)) << BlockKernels::name(isa);
            }
        }
    }
}

TEST(BlockKernels, GeneratorLanesCarryBetweenTheHalvesOfEveryWord) {
    // The lanes step each word in 16-bit halves; many short runs from
    // random words (and from the words just below each modulus) meet the
    // carries of every kind.
    std::mt19937 rng(11);
    for (const BlockKernels::Isa isa : runningPaths()) {
        const BlockKernels& k = BlockKernels::get(isa);
        std::uint32_t raw[32];
        for (int i = 0; i < 20000; ++i) {
            MwcRandom::State start{std::uint32_t(rng() % kMz), std::uint32_t(rng() % kMw)};
            if (i < 64) start = {kMz - 1 - std::uint32_t(i), kMw - 1 - std::uint32_t(i)};
            ASSERT_TRUE(drawsStepByStep(k, start, raw, 32)) << BlockKernels::name(isa);
        }
    }
}

TEST(BlockKernels, FloatOutputIsTheDoubleOutputRoundedWithoutSubnormals) {
    // The dither alone at every main gain, down to gains whose dither falls
    // below the float range (which must then come out as 0), with the
    // smallest raw values among the draws.
    std::vector<std::uint32_t> raw(515);
    std::uint32_t z = MwcRandom::kInitialState.z, w = MwcRandom::kInitialState.w;
    BlockKernels::get(BlockKernels::Baseline).draws(&z, &w, raw.data(), int(raw.size()));
    for (std::uint32_t i = 0; i < 8; ++i) raw[100 + i] = i;
    const int n = int(raw.size());
    for (const BlockKernels::Isa isa : runningPaths()) {
        const BlockKernels& k = BlockKernels::get(isa);
        for (double gain : {0.0, 1e-30, 1e-25, 2e-23, 1e-20, 0.23713737056616552, 1.0, -0.5}) {
            VoiceArgs voice;
            voice.raw = raw.data();
            voice.gain = gain;
            std::vector<double> wide(raw.size());
            std::vector<float> narrow(raw.size());
            k.voiceDouble(voice, wide.data(), n);
            k.voiceFloat(voice, narrow.data(), n);
            for (int i = 0; i < n; ++i) {
                const double expected =
                    raw[std::size_t(i)] * MwcRandom::kUniformScale * 5e-06 * gain;
                ASSERT_NEAR(wide[std::size_t(i)], expected, 1e-15 * std::fabs(expected))
                    << BlockKernels::name(isa) << " gain " << gain << " at " << i;
                const float rounded = float(wide[std::size_t(i)]);
                const float flushed =
                    std::fabs(rounded) < std::numeric_limits<float>::min() ? 0.0f : rounded;
                ASSERT_EQ(narrow[std::size_t(i)], flushed)
                    << BlockKernels::name(isa) << " gain " << gain << " at " << i;
                ASSERT_NE(std::fpclassify(narrow[std::size_t(i)]), FP_SUBNORMAL);
            }
        }
    }
}

TEST(MwcRandom, AdvancingByManyStepsLandsWhereSteppingDoes) {
    // The engine finds the words after the draws it used this way when it
    // worked out more than it needed.
    std::mt19937 rng(9);
    std::vector<MwcRandom::State> states = {
        MwcRandom::kInitialState, {kMz - 1, kMw - 1}, {0xFFFFFFFFu, 5u}, {kMz, kMw}};
    for (int i = 0; i < 5; ++i)
        states.push_back({std::uint32_t(rng() % kMz), std::uint32_t(rng() % kMw)});
    for (const MwcRandom::State& start : states) {
        MwcRandom::State stepped = start;
        for (std::uint64_t steps = 0; steps <= 2100; ++steps) {
            const MwcRandom::State jumped = MwcRandom::advanced(start, steps);
            ASSERT_EQ(jumped.z, stepped.z) << start.z << " " << steps;
            ASSERT_EQ(jumped.w, stepped.w) << start.w << " " << steps;
            MwcRandom::step(stepped.z, stepped.w);
        }
    }
}

TEST(BlockKernels, PitchDividesAsTheDividerDoes) {
    // The increment and weight quotients must round exactly like a / b:
    // glides at every rate are summed from them.
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> logF(std::log(1.0), std::log(30000.0));
    // Every band, then notes within the one band most pitches stay in.
    std::vector<double> notes(4096);
    for (std::size_t i = 0; i < notes.size(); ++i)
        notes[i] = i < 2048 ? std::exp(logF(rng)) : 30.0 + 9969.0 * double(i - 2048) / 2048.0;
    for (const BlockKernels::Isa isa : runningPaths()) {
        const BlockKernels& k = BlockKernels::get(isa);
        for (double rate : {22050.0, 44100.0, 48000.0, 96000.0, 192000.0, 1000.0, 999983.0}) {
            std::vector<double> increment(notes.size()), weight(notes.size());
            k.pitch(notes.data(), 1.0, rate, 1.0 / rate, increment.data(), weight.data(), 2048);
            k.pitch(notes.data() + 2048, 1.0, rate, 1.0 / rate, increment.data() + 2048,
                    weight.data() + 2048, 2048);
            for (std::size_t i = 0; i < notes.size(); ++i) {
                ASSERT_EQ(increment[i], notes[i] * dsp::kTwoPi / rate)
                    << BlockKernels::name(isa) << " " << notes[i];
                const double f = notes[i];
                ASSERT_NEAR(weight[i], reference::freqWeight(f), 4e-16)
                    << BlockKernels::name(isa) << " " << f;
            }
        }
    }
}

TEST(BlockKernels, GlidePitchStaysWithinAFewUnitsInTheLastPlaceOfTheExactPitch) {
    // Glides take their steps from a multiplication and, in the band, their
    // weights from the steps; both must stay next to the divider's
    // quotients on every band, rate and partial ratio, and be exact outside
    // the band.
    std::mt19937_64 rng(4);
    std::uniform_real_distribution<double> logF(std::log(1.0), std::log(30000.0));
    std::vector<double> notes(2048);
    for (double& note : notes) note = std::exp(logF(rng));
    for (const BlockKernels::Isa isa : runningPaths()) {
        const BlockKernels& k = BlockKernels::get(isa);
        for (double rate : {22050.0, 48000.0, 192000.0, 999983.0}) {
            for (double scale : {1.0, 0.5, 3.0 * 1.0057929410678534}) {
                for (std::size_t at = 0; at < notes.size(); at += 16) {
                    // Runs of 16 that stay in the band, and every fourth one
                    // anywhere (in and out of it); each moves one way, as a
                    // glide's notes do.
                    std::vector<double> run(16);
                    for (std::size_t i = 0; i < run.size(); ++i)
                        run[i] =
                            at % 64 == 0 ? notes[at + i] : (40.0 + double(at + i) * 4.0) / scale;
                    std::sort(run.begin(), run.end());
                    if (at % 32 == 16) std::reverse(run.begin(), run.end());
                    std::vector<double> inc(16), weight(16), exactInc(16), exactWeight(16);
                    const bool inside = k.glidePitch(run.data(), scale, rate, 1.0 / rate,
                                                     inc.data(), weight.data(), 16);
                    const double lo = run.front() * scale, hi = run.back() * scale;
                    ASSERT_EQ(inside, std::min(lo, hi) >= dsp::kWeightFullFrom &&
                                          std::max(lo, hi) < dsp::kWeightKnee);
                    // In the band the weights are the steps' line, squared.
                    if (inside)
                        k.stepWeights(inc.data(), dsp::weightPerStep(rate), weight.data(), 16);
                    k.pitch(run.data(), scale, rate, 1.0 / rate, exactInc.data(),
                            exactWeight.data(), 16);
                    for (std::size_t i = 0; i < run.size(); ++i) {
                        ASSERT_LE(std::fabs(inc[i] - exactInc[i]), 7e-16 * exactInc[i])
                            << BlockKernels::name(isa) << " " << run[i] * scale;
                        ASSERT_NEAR(weight[i], exactWeight[i], 1e-15)
                            << BlockKernels::name(isa) << " " << run[i] * scale;
                    }
                }
            }
        }
    }
}

TEST(TempoLfo, PhasesInBlocksAreTheRunningSumOfIncrements) {
    // Increments that stay inside a binade for long runs, ones that hit its
    // edges, one exactly half an ulp past a step in some binades (ties round
    // to even), and whole cycles per sample. At one sample per second and
    // 240 beats per minute the increment is the rate itself, exactly.
    const BlockKernels& k = BlockKernels::get(BlockKernels::best());
    const double increments[] = {1.0 / 48000.0,
                                 3.3e-4,
                                 0.2500000000000001,
                                 1.0 / 3.0,
                                 std::ldexp(1.0, -10) + std::ldexp(1.0, -54),
                                 0.999999,
                                 2.75};
    constexpr int kSamples = 60000;
    for (double increment : increments) {
        TempoLfo lfo;
        lfo.setup(1.0);
        lfo.setRate(increment);
        lfo.sync(0.0, 240.0, false);
        ASSERT_EQ(lfo.increment(), increment);
        std::vector<double> phase(kSamples);
        std::vector<int> cycles(kSamples);
        int count = 0;
        for (int done = 0; done < kSamples; done += 1000)  // blocks, as the engine asks
            count += lfo.advance(phase.data() + done, cycles.data() + count, 1000, k);
        double p = 0.0;
        int expectedCycles = 0;
        for (int i = 0; i < kSamples; ++i) {
            p = p + increment;
            if (p >= 1.0) {
                p = p - 1.0;
                if (p >= 1.0) p = p - std::floor(p);
                ++expectedCycles;
            }
            ASSERT_EQ(phase[std::size_t(i)], p) << increment << " at " << i;
        }
        EXPECT_EQ(count, expectedCycles) << increment;
        EXPECT_EQ(lfo.phase(), p);
    }
}
