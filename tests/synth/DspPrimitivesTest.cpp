// The signal primitives at the edges their callers rely on.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "synth/AREnvelope.h"
#include "synth/MidiQueue.h"
#include "synth/MwcRandom.h"
#include "synth/NoteStack.h"
#include "synth/SineOsc.h"
#include "synth/TempoLfo.h"

extern char** environ;

namespace {
int ticksWhile(AREnvelope& env, std::int32_t state) {
    int n = 0;
    for (; env.state() == state && n < 1000000; ++n) env.tick();
    return n;
}
}  // namespace

TEST(AREnvelope, TenMillisecondSegmentsEndExactlyOnTheir441stTickAt44100) {
    AREnvelope env;
    env.trigger(0.01);
    EXPECT_EQ(ticksWhile(env, AREnvelope::Attack), 441);
    EXPECT_EQ(env.level(), 1.0);
    env.trigger(0.01);  // legato: a held sustain is not restarted
    EXPECT_EQ(env.state(), AREnvelope::Sustain);
    env.release(0.01);
    for (int i = 0; i < 220; ++i) env.tick();
    EXPECT_NEAR(env.level(), 0.25, 0.003) << "(1 - p) squared: fast start, slow finish";
    EXPECT_EQ(ticksWhile(env, AREnvelope::Release), 221);
    EXPECT_EQ(env.level(), 0.0);
}

TEST(AREnvelope, AttackDuringReleaseStartsFromTheCurrentLevel) {
    AREnvelope env;
    env.trigger(0.0);  // shorter than a sample: done on the first tick
    env.tick();
    env.release(0.1);
    while (env.level() > 0.3) env.tick();
    const double from = env.level();
    env.trigger(0.01);
    EXPECT_DOUBLE_EQ(env.span(), 1.0 - from);
    env.tick();
    EXPECT_GT(env.level(), from);
    EXPECT_LT(env.level(), from + 0.01);
}

TEST(FreqWeight, FadesPartialsAtTheEdgesOfTheBand) {
    EXPECT_EQ(FreqWeight(440.0), 0.9754781797750323);
    EXPECT_DOUBLE_EQ(FreqWeight(10000.0), 0.49);
    EXPECT_EQ(FreqWeight(17500.0), 0.0);
    EXPECT_EQ(FreqWeight(20.0), 0.25);
    EXPECT_EQ(FreqWeight(9.99), 0.0);
    EXPECT_EQ(FreqWeight(NAN), 0.0);
}

TEST(SineOsc, ArmedGlideDoublesAtAConstantRatioAndLandsExactlyOnTheTarget) {
    SineOsc osc;
    osc.setSampleRate(44100.0);
    osc.setGlideTime(0.5);
    const double from = 440.0 * std::pow(2.0, -9.0 / 12.0);
    osc.setTarget(from);  // the first note jumps and arms the glide
    EXPECT_EQ(osc.currentFrequency(), from);
    osc.setTarget(2.0 * from);
    EXPECT_DOUBLE_EQ(osc.glideMultiplier(), std::pow(2.0, 1.0 / 22050.0));
    int ticks = 0;
    for (; osc.glideMultiplier() != 1.0 && ticks < 30000; ++ticks) osc.tick();
    EXPECT_NEAR(ticks, 22050, 1);
    EXPECT_EQ(osc.currentFrequency(), 2.0 * from);
}

TEST(SineOsc, PartialAboveTheBandFadesOutWithinTwoMillisecondsWithABoundedPhase) {
    SineOsc osc;
    osc.setSampleRate(44100.0);
    osc.setLevelGain(1.0);
    osc.setTarget(440.0);
    for (int i = 0; i < 2000; ++i) osc.tick();
    osc.setBendFactor(400.0);  // 176 kHz, far above the sample rate
    int ticks = 0;
    for (; osc.weight().current() > 0.0 && ticks < 1000; ++ticks) {
        osc.tick();
        ASSERT_LT(osc.phase(), SineOsc::kTwoPi);
    }
    EXPECT_LE(ticks, 89);
    EXPECT_EQ(osc.tick(), 0.0);
}

TEST(TempoLfo, FollowsTheBarWhilePlayingAndIgnoresNonsenseTimes) {
    TempoLfo lfo;
    lfo.setup(48000.0);
    lfo.setRate(1.0);
    lfo.sync(2.0, 120.0, true);  // half a bar in
    EXPECT_EQ(lfo.phase(), 0.5);
    EXPECT_EQ(lfo.increment(), 120.0 / 240.0 * 1.0 / 48000.0);
    lfo.sync(-1.0, 120.0, true);  // pre-roll
    EXPECT_EQ(lfo.phase(), 0.75);
    lfo.sync(7.0, 60.0, false);  // stopped: the phase runs on, the rate follows
    EXPECT_EQ(lfo.phase(), 0.75);
    for (double tempo : {double(NAN), -120.0, double(INFINITY)}) lfo.sync(1.0, tempo, true);
    lfo.setRate(32.0);
    lfo.sync(1e308, 60.0, true);  // position overflows
    EXPECT_EQ(lfo.phase(), 0.75);
    EXPECT_EQ(lfo.increment(), 60.0 / 240.0 * 32.0 / 48000.0);
    lfo.sync(0.0, 1e300, false);  // whole cycles per sample
    for (int i = 0; i < 10; ++i) {
        lfo.tick();
        ASSERT_LT(lfo.phase(), 1.0);
    }
}

TEST(TempoLfo, SquareWaveSwingsFromTopToBottomInOneMillisecond) {
    for (double rate : {44100.0, 96000.0}) {
        TempoLfo lfo;
        lfo.setup(rate);
        lfo.setWave(kLfoSquare);
        lfo.setRate(1.0);
        for (int i = 0; i < 200; ++i) lfo.tick();
        ASSERT_EQ(lfo.level(), 1.0);
        lfo.sync(2.0, 120.0, true);
        int ticks = 1;
        while (lfo.tick() > -1.0) ++ticks;
        EXPECT_NEAR(ticks, rate * 0.001, 1.0) << rate;
    }
}

namespace {
const std::uint32_t kFirstDraws[3] = {220164560u, 3521081624u, 2346518210u};
}

TEST(MwcRandom, SequenceFromTheLoadStateIsFixed) {
    MwcRandom::State s = MwcRandom::kInitialState;
    for (std::uint32_t expected : kFirstDraws) EXPECT_EQ(MwcRandom::step(s.z, s.w), expected);
}

// Run only in the fresh child processes of the next test.
TEST(MwcRandomFreshProcess, DISABLED_FirstDrawsAfterLoad) {
    for (std::uint32_t expected : kFirstDraws) EXPECT_EQ(MwcRandom::next(), expected);
}

TEST(MwcRandom, EveryProcessStartsWithTheSameDraws) {
    char a1[] = "--gtest_also_run_disabled_tests";
    char a2[] = "--gtest_filter=MwcRandomFreshProcess.*";
    char exe[] = "/proc/self/exe";
    char* argv[] = {exe, a1, a2, nullptr};
    for (int run = 0; run < 2; ++run) {
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, exe, &quiet, nullptr, argv, environ), 0);
        posix_spawn_file_actions_destroy(&quiet);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
}

TEST(NoteStack, KeepsEachKeyOnceWithTheLatestOnTop) {
    NoteStack stack;
    for (int key : {60, 64, 67, 60}) stack.push(key);
    EXPECT_EQ(stack.count(), 3);
    EXPECT_EQ(stack.top(), 60);
    stack.remove(60);
    stack.remove(99);
    EXPECT_EQ(stack.top(), 67);
    for (int key = 0; key < 200; ++key) stack.push(key);  // grows past 128
    EXPECT_EQ(stack.count(), 200);
    EXPECT_EQ(stack.at(0), 0);
    EXPECT_EQ(stack.top(), 199);
}

namespace {
MidiRecord event(std::int32_t delta, unsigned char key) {
    MidiRecord r;
    std::memset(&r, 0, sizeof r);
    r.type = MidiQueue::kMidiType;
    r.deltaFrames = delta;
    r.midiData[0] = 0x90;
    r.midiData[1] = key;
    return r;
}
struct Recorder {
    std::vector<int> keys;
    std::vector<std::int64_t> frames;
    const MidiQueue* queue = nullptr;
    void handleMidi(const MidiRecord& r) {
        keys.push_back(r.midiData[1]);
        frames.push_back(queue->frame());
    }
};
}  // namespace

TEST(MidiQueue, AnEventWhoseFrameHasPassedHoldsBackEverythingBehindIt) {
    MidiQueue queue;
    queue.reserve(MidiQueue::kCapacity);
    for (const MidiRecord& r : {event(0, 1), event(5, 2), event(5, 3), event(3, 4), event(8, 5)})
        queue.add(&r);
    Recorder rec;
    rec.queue = &queue;
    for (int i = 0; i < 20; ++i) queue.dispatch(rec);
    EXPECT_EQ(rec.keys, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(rec.frames, (std::vector<std::int64_t>{0, 5, 5}));
}
