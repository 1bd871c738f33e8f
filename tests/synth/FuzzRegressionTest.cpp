// Inputs the fuzz targets once found faults with, replayed through the same
// steps on every test run. The sanitizer build is where most of them show.

#include "fuzz/EventSteps.h"
#include "fuzz/FxChunkSteps.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<std::filesystem::path> regressions(const std::string& prefix) {
    std::vector<std::filesystem::path> found;
    const std::filesystem::path dir =
        std::filesystem::path(MURLAN_SOURCE_DIR) / "tests/fuzz/regressions";
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().filename().string().rfind(prefix, 0) == 0) found.push_back(entry.path());
    return found;
}

std::vector<std::uint8_t> bytesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every stored input whose name starts with `prefix` passes `steps`.
void expectEachPasses(const std::string& prefix, bool (*steps)(const std::uint8_t*, std::size_t)) {
    const auto inputs = regressions(prefix);
    ASSERT_FALSE(inputs.empty()) << prefix;
    for (const auto& path : inputs) {
        const std::vector<std::uint8_t> bytes = bytesOf(path);
        EXPECT_TRUE(steps(bytes.data(), bytes.size())) << path;
    }
}

}  // namespace

TEST(FuzzRegressions, EventInputsRenderCleanBlocksAndReadWholeEventLists) {
    expectEachPasses("events-", EventSteps::run);
}

// The third entry of a list lies past the two pointers the record declares;
// it must still be played: here it is the only note left sounding.
TEST(FuzzRegressions, EventsPastTheDeclaredPointerPairAreHeard) {
    const std::vector<std::uint8_t> bytes =
        bytesOf(std::filesystem::path(MURLAN_SOURCE_DIR) /
                "tests/fuzz/regressions/events-list-longer-than-two");
    Murlan* murlan = new Murlan(EventSteps::fakeHost);
    AEffect* a = murlan->getAeffect();
    EventSteps::call(a, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EventSteps::call(a, effSetBlockSize, 0, 64);
    EventSteps::call(a, effMainsChanged, 0, 1);
    EventSteps::Bytes in(bytes.data() + 1, bytes.size() - 1);
    EventSteps::sendEvents(a, in);
    double out[64];
    double* outputs[] = {out};
    a->processDoubleReplacing(a, nullptr, outputs, 64);
    double loudest = 0;
    for (double v : out) loudest = std::max(loudest, std::fabs(v));
    EXPECT_GT(loudest, 0.0);
    EventSteps::call(a, effClose);
}

TEST(FuzzRegressions, ProgramAndBankFilesReadAsTheyAreWrittenBack) {
    expectEachPasses("fxchunk-", FxChunkSteps::readsAsWritten);
}
