// Shared random generator: the sequence every process starts with.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdint>
#include <string>

#include "synth/MwcRandom.h"

extern char** environ;

namespace {
const std::uint32_t kFirstRaw[3] = {220164560u, 3521081624u, 2346518210u};
}

TEST(MwcRandom, SequenceFromTheLoadStateIsFixed) {
    std::uint32_t z = MwcRandom::kInitialState.z;
    std::uint32_t w = MwcRandom::kInitialState.w;
    for (std::uint32_t expected : kFirstRaw) EXPECT_EQ(MwcRandom::step(z, w), expected);
}

TEST(MwcRandom, ReplaysFromARestoredStateAndMapsToTheUnitRanges) {
    const MwcRandom::State saved = MwcRandom::state();
    MwcRandom::setState(MwcRandom::kInitialState);
    EXPECT_EQ(MwcRandom::uniform01(), kFirstRaw[0] * 2.3283064370807974e-10);
    EXPECT_EQ(MwcRandom::bipolar(), static_cast<std::int32_t>(kFirstRaw[1]) * 4.656612875245797e-10);
    EXPECT_LT(MwcRandom::bipolar(), 0.0);  // raw value above 2^31 reads negative
    double low = 1.0;
    double high = 0.0;
    for (int i = 0; i < 100000; ++i) {
        const double u = MwcRandom::uniform01();
        low = std::min(low, u);
        high = std::max(high, u);
    }
    EXPECT_GE(low, 0.0);
    EXPECT_LT(low, 1e-3);
    EXPECT_LE(high, 1.0);
    EXPECT_GT(high, 0.999);
    MwcRandom::setState(saved);
}

// Runs only in a fresh child process (see below): nothing has drawn yet.
TEST(MwcRandomFreshProcess, DISABLED_FirstDrawsAfterLoad) {
    for (std::uint32_t expected : kFirstRaw) EXPECT_EQ(MwcRandom::next(), expected);
}

TEST(MwcRandom, EveryProcessStartsWithTheSameDraws) {
    const std::string filter = "--gtest_filter=MwcRandomFreshProcess.DISABLED_FirstDrawsAfterLoad";
    char arg1[] = "--gtest_also_run_disabled_tests";
    std::string f = filter;
    char* argv[] = {const_cast<char*>("/proc/self/exe"), arg1, f.data(), nullptr};
    for (int run = 0; run < 2; ++run) {
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, "/proc/self/exe", &quiet, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&quiet);
        ASSERT_EQ(spawned, 0);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "run " << run;
    }
}
