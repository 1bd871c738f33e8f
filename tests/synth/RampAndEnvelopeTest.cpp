// Slew limiter and attack/release envelope.

#include <gtest/gtest.h>

#include "synth/AREnvelope.h"
#include "synth/LinearRamp.h"

TEST(LinearRamp, ZeroTimeAllowsTheWholeRangeInOneTick) {
    LinearRamp ramp;
    ramp.setup(48000.0, 2.0, 0.0, 0.5);
    EXPECT_EQ(ramp.step(), 2.0);
    EXPECT_EQ(ramp.tick(-1.5), -1.5);
    EXPECT_TRUE(ramp.reached());
}

TEST(LinearRamp, MovesAtMostOneStepAndLandsExactlyOnTheTarget) {
    LinearRamp ramp;
    ramp.setup(1000.0, 1.0, 0.01, 0.0);  // step 0.1
    EXPECT_DOUBLE_EQ(ramp.step(), 0.1);
    int ticks = 0;
    while (!ramp.reached() || ticks == 0) {
        const double before = ramp.current();
        ramp.tick(0.95);
        EXPECT_LE(ramp.current() - before, 0.1 + 1e-15);
        ++ticks;
        ASSERT_LT(ticks, 100);
    }
    EXPECT_EQ(ticks, 10);
    EXPECT_EQ(ramp.current(), 0.95);
    // Downwards too, and a tick towards the current value stays reached.
    ramp.tick(0.0);
    EXPECT_FALSE(ramp.reached());
    EXPECT_DOUBLE_EQ(ramp.current(), 0.85);
}

// Ticks until the envelope leaves `state`; answers how many ticks that took.
static int ticksInState(AREnvelope& env, std::int32_t state, int limit = 1000000) {
    int n = 0;
    while (env.state() == state && n < limit) {
        env.tick();
        ++n;
    }
    return n;
}

TEST(AREnvelope, AttackAndReleaseOfTenMillisecondsTake441TicksAt44100) {
    AREnvelope env;
    env.trigger(0.01);
    for (int i = 1; i <= 440; ++i) {
        env.tick();
        ASSERT_LT(env.level(), 1.0) << "tick " << i;
    }
    env.tick();
    EXPECT_EQ(env.level(), 1.0);
    EXPECT_EQ(env.state(), AREnvelope::Sustain);

    env.release(0.01);
    for (int i = 1; i <= 440; ++i) {
        env.tick();
        ASSERT_GT(env.level(), 0.0) << "tick " << i;
    }
    env.tick();
    EXPECT_EQ(env.level(), 0.0);
    EXPECT_EQ(env.state(), AREnvelope::Idle);
}

TEST(AREnvelope, SegmentsAreQuadraticSlowStartAttackAndFastStartRelease) {
    AREnvelope env;
    env.setSampleRate(1000.0);
    env.trigger(1.0);  // 1000 ticks
    for (int i = 0; i < 500; ++i) env.tick();
    EXPECT_NEAR(env.level(), 0.25, 0.002);
    ticksInState(env, AREnvelope::Attack);
    env.release(1.0);
    for (int i = 0; i < 500; ++i) env.tick();
    EXPECT_NEAR(env.level(), 0.25, 0.002);
}

TEST(AREnvelope, RetriggerDuringReleaseAttacksFromTheCurrentLevel) {
    AREnvelope env;
    env.trigger(0.0);  // shorter than a sample: done on the first tick
    env.tick();
    ASSERT_EQ(env.level(), 1.0);
    env.release(0.1);
    while (env.level() > 0.3) env.tick();
    const double from = env.level();
    env.trigger(0.01);
    EXPECT_EQ(env.state(), AREnvelope::Attack);
    EXPECT_DOUBLE_EQ(env.span(), 1.0 - from);
    env.tick();
    EXPECT_GT(env.level(), from);
    EXPECT_LT(env.level(), from + 0.01);
    EXPECT_EQ(ticksInState(env, AREnvelope::Attack), 440);
    EXPECT_EQ(env.level(), 1.0);
}

TEST(AREnvelope, LegatoTriggersNeitherRestartAttackNorSustain) {
    AREnvelope env;
    env.trigger(0.01);
    for (int i = 0; i < 100; ++i) env.tick();
    const double progress = env.progress();
    env.trigger(2.0);
    EXPECT_EQ(env.progress(), progress);
    EXPECT_EQ(ticksInState(env, AREnvelope::Attack), 341);
    env.trigger(0.01);
    EXPECT_EQ(env.state(), AREnvelope::Sustain);
    // A second release does not restart the fall either.
    env.release(0.01);
    for (int i = 0; i < 100; ++i) env.tick();
    const double level = env.level();
    env.release(2.0);
    env.tick();
    EXPECT_LT(env.level(), level);
    EXPECT_EQ(ticksInState(env, AREnvelope::Release), 340);
}
