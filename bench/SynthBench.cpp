// Cost of the synth's signal primitives and of the instrument's render loop
// at 48 kHz in 512-frame blocks, reported per sample ("ns/sample").

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "synth/AREnvelope.h"
#include "synth/LinearRamp.h"
#include "synth/Murlan.h"
#include "synth/MwcRandom.h"
#include "synth/SineOsc.h"
#include "synth/TempoLfo.h"

namespace {

constexpr int kBlock = 512;
constexpr double kRate = 48000.0;

// Shown as time per sample, e.g. "16.0n" for 16 ns.
void perSample(benchmark::State& state, double samplesPerIteration) {
    state.counters["per_sample"] =
        benchmark::Counter(samplesPerIteration, benchmark::Counter::kIsIterationInvariantRate |
                                                    benchmark::Counter::kInvert);
}

// --- Primitives ---------------------------------------------------------------

// Times blocks of `tick`, each after `beforeBlock` (what changes from one
// block to the next, outside the sum).
template <typename BeforeBlock, typename Tick>
void tickBlocks(benchmark::State& state, BeforeBlock beforeBlock, Tick tick) {
    for (auto _ : state) {
        beforeBlock();
        double sum = 0.0;
        for (int i = 0; i < kBlock; ++i) sum += tick();
        benchmark::DoNotOptimize(sum);
    }
    perSample(state, kBlock);
}

template <typename Tick>
void tickBlocks(benchmark::State& state, Tick tick) {
    const auto nothing = [] {};
    tickBlocks(state, nothing, tick);
}

void BM_SineOscHeld(benchmark::State& state) {
    SineOsc osc;
    osc.setSampleRate(kRate);
    osc.setLevelGain(1.0);
    osc.setTarget(440.0);
    tickBlocks(state, [&] { return osc.tick(); });
}
BENCHMARK(BM_SineOscHeld);

void BM_SineOscGliding(benchmark::State& state) {
    SineOsc osc;
    osc.setSampleRate(kRate);
    osc.setLevelGain(1.0);
    osc.setGlideTime(1.0);
    osc.setTarget(110.0);
    bool up = true;
    auto turn = [&] {
        osc.setTarget(up ? 1760.0 : 110.0);  // never lands within a block
        up = !up;
    };
    tickBlocks(state, turn, [&] { return osc.tick(); });
}
BENCHMARK(BM_SineOscGliding);

void BM_AREnvelope(benchmark::State& state) {
    AREnvelope env;
    env.setSampleRate(kRate);
    int n = 0;
    auto nextSegment = [&] {
        if (++n % 2) {
            env.trigger(0.005);
        } else {
            env.release(0.005);
        }
    };
    tickBlocks(state, nextSegment, [&] { return env.tick(); });
}
BENCHMARK(BM_AREnvelope);

void BM_LinearRamp(benchmark::State& state) {
    LinearRamp ramp;
    ramp.setup(kRate, 2.0, 0.001, 0.0);
    double target = 1.0;
    auto flip = [&] { target = -target; };
    tickBlocks(state, flip, [&] { return ramp.tick(target); });
}
BENCHMARK(BM_LinearRamp);

void BM_TempoLfo(benchmark::State& state) {
    TempoLfo lfo;
    lfo.setup(kRate);
    lfo.setWave(static_cast<std::int32_t>(state.range(0)));
    lfo.setRate(32.0);
    lfo.sync(0.0, 180.0, true);
    tickBlocks(state, [&] { return lfo.tick(); });
}
BENCHMARK(BM_TempoLfo)->DenseRange(0, 5);

void BM_MwcRandom(benchmark::State& state) {
    tickBlocks(state, [] { return MwcRandom::uniform01(); });
}
BENCHMARK(BM_MwcRandom);

// --- The instrument ------------------------------------------------------------

VstTimeInfo gTime;

VstIntPtr benchHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(kRate);
    case audioMasterGetTime:
        return reinterpret_cast<VstIntPtr>(&gTime);
    default:
        return 0;
    }
}

// Events of one block, built before timing starts.
struct EventBlock {
    std::vector<VstMidiEvent> midi;
    std::vector<std::uint64_t> raw;  // VstEvents header and pointers
    VstEvents* events() { return reinterpret_cast<VstEvents*>(raw.data()); }
    void add(int delta, unsigned char status, unsigned char d1, unsigned char d2) {
        VstMidiEvent e;
        std::memset(&e, 0, sizeof e);
        e.type = kVstMidiType;
        e.byteSize = sizeof e;
        e.deltaFrames = delta;
        e.midiData[0] = static_cast<char>(status);
        e.midiData[1] = static_cast<char>(d1);
        e.midiData[2] = static_cast<char>(d2);
        midi.push_back(e);
    }
    void seal() {
        raw.assign(2 + midi.size(), 0);
        events()->numEvents = static_cast<VstInt32>(midi.size());
        VstEvent** list = vstEventArray(events());
        for (std::size_t i = 0; i < midi.size(); ++i)
            list[i] = reinterpret_cast<VstEvent*>(&midi[i]);
    }
};

enum Scene { kHeld, kMelody, kGlide, kReleased, kIdle };

// A patch with partials and tremolo, and for the glide scene long glides on
// two oscillators, so that their pitch moves on every sample.
void setUp(Murlan& synth, Scene scene) {
    std::memset(&gTime, 0, sizeof gTime);
    gTime.sampleRate = kRate;
    gTime.tempo = 120.0;
    gTime.flags = kVstTempoValid | kVstPpqPosValid | kVstTransportPlaying;
    if (scene == kGlide) {
        synth.setParameter(Murlan::kPorta1, 0.05f);
        synth.setParameter(Murlan::kPorta2, 0.1f);
    }
    synth.setParameter(Murlan::kPartial2, 0.2f);
    synth.setParameter(Murlan::kPartial3, 0.8f);
    synth.setParameter(Murlan::kDetune3, 0.55f);
    synth.setParameter(Murlan::kLfoWave, 0.2f);
    synth.setParameter(Murlan::kLfoDepth, 0.5f);
    synth.resume();
}

template <typename Sample>
void renderScene(benchmark::State& state, Scene scene) {
    Murlan synth(benchHost);
    setUp(synth, scene);
    EventBlock on;
    on.add(0, 0x90, 57, 100);
    on.seal();
    EventBlock none;
    none.seal();
    // The melody: a new key every 4 blocks (about 43 ms).
    std::vector<EventBlock> melody(8);
    for (int k = 0; k < 8; ++k) {
        melody[k].add(17, 0x90, static_cast<unsigned char>(48 + (k * 5) % 24), 100);
        melody[k].add(300, 0x80, static_cast<unsigned char>(48 + ((k + 7) * 5) % 24), 0);
        melody[k].seal();
    }

    std::vector<Sample> buffer(kBlock);
    Sample* outputs[] = {buffer.data()};
    auto process = [&] {
        if constexpr (sizeof(Sample) == sizeof(float)) {
            synth.processReplacing(nullptr, outputs, kBlock);
        } else {
            synth.processDoubleReplacing(nullptr, outputs, kBlock);
        }
        gTime.ppqPos += kBlock * gTime.tempo / (60.0 * kRate);
    };
    if (scene != kIdle) synth.processEvents(on.events());
    process();
    if (scene == kReleased) {
        EventBlock off;
        off.add(0, 0x80, 57, 0);
        off.seal();
        synth.processEvents(off.events());
        for (int i = 0; i < 20; ++i) process();  // well past the release
    }
    long block = 0;
    for (auto _ : state) {
        if ((scene == kMelody || scene == kGlide) && block % 4 == 0) {
            synth.processEvents(melody[static_cast<std::size_t>(block / 4 % 8)].events());
        } else {
            synth.processEvents(none.events());  // hosts that call it every block
        }
        process();
        benchmark::DoNotOptimize(buffer.data());
        ++block;
    }
    perSample(state, kBlock);
}

void BM_RenderDoubleHeld(benchmark::State& state) { renderScene<double>(state, kHeld); }
void BM_RenderFloatHeld(benchmark::State& state) { renderScene<float>(state, kHeld); }
void BM_RenderDoubleMelody(benchmark::State& state) { renderScene<double>(state, kMelody); }
void BM_RenderFloatMelody(benchmark::State& state) { renderScene<float>(state, kMelody); }
void BM_RenderDoubleGlide(benchmark::State& state) { renderScene<double>(state, kGlide); }
void BM_RenderFloatGlide(benchmark::State& state) { renderScene<float>(state, kGlide); }
void BM_RenderDoubleReleased(benchmark::State& state) { renderScene<double>(state, kReleased); }
void BM_RenderFloatReleased(benchmark::State& state) { renderScene<float>(state, kReleased); }
void BM_RenderDoubleIdle(benchmark::State& state) { renderScene<double>(state, kIdle); }
void BM_RenderFloatIdle(benchmark::State& state) { renderScene<float>(state, kIdle); }
BENCHMARK(BM_RenderDoubleHeld);
BENCHMARK(BM_RenderFloatHeld);
BENCHMARK(BM_RenderDoubleMelody);
BENCHMARK(BM_RenderFloatMelody);
BENCHMARK(BM_RenderDoubleGlide);
BENCHMARK(BM_RenderFloatGlide);
BENCHMARK(BM_RenderDoubleReleased);
BENCHMARK(BM_RenderFloatReleased);
BENCHMARK(BM_RenderDoubleIdle);
BENCHMARK(BM_RenderFloatIdle);

// What one parameter change costs the thread that makes it: the framework's
// store and texts plus the instrument's re-derivation of the engine.
void BM_ParameterChange(benchmark::State& state) {
    Murlan synth(benchHost);
    float value = 0.25f;
    for (auto _ : state) {
        value = value == 0.25f ? 0.75f : 0.25f;
        synth.setParameter(Murlan::kDetune2, value);
    }
}
BENCHMARK(BM_ParameterChange);

void BM_ParametersChanged(benchmark::State& state) {
    Murlan synth(benchHost);
    for (auto _ : state) synth.parametersChanged(false);
}
BENCHMARK(BM_ParametersChanged);

}  // namespace

BENCHMARK_MAIN();
