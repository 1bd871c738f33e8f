// The validator against plug-in doubles with known faults, and against the
// real plug-ins through the plughost program.

#include "tools/plughost/PluginValidator.h"

#include "FakePlugin.h"

#include "TempPath.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>

using faketest::FakePlugin;
using faketest::FakeSettings;
using namespace plughost;

namespace {

struct Report {
    ValidationSummary summary;
    std::string text;
    std::map<std::string, std::string> lines;  // test name -> its whole line

    bool passed(const std::string& test) const { return line(test).rfind("[PASS]", 0) == 0; }
    bool failed(const std::string& test) const { return line(test).rfind("[FAIL]", 0) == 0; }
    bool skipped(const std::string& test) const { return line(test).rfind("[SKIP]", 0) == 0; }
    // Failed, with `words` in the reason.
    bool failedSaying(const std::string& test, const std::string& words) const {
        return failed(test) && line(test).find(words) != std::string::npos;
    }
    std::string line(const std::string& test) const {
        auto it = lines.find(test);
        return it == lines.end() ? "(not run)" : it->second;
    }
};

Report validateFake(const FakeSettings& settings, int strictness = 9, int timeoutSeconds = 60) {
    FakePlugin::next = settings;
    PluginSource source;
    source.entry = &FakePlugin::entry;
    ValidatorOptions options;
    options.strictness = strictness;
    options.seed = 42;
    options.timeoutSeconds = timeoutSeconds;
    PluginValidator validator(source, options);
    std::ostringstream out;
    Report r;
    r.summary = validator.run(out);
    r.text = out.str();
    std::istringstream lines(r.text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.size() < 10 || line[0] != '[') continue;
        // "[TAG] level name[: reason]"
        const std::size_t nameStart = line.find(' ', 7) + 1;
        const std::size_t colon = line.find(": ", nameStart);
        r.lines[line.substr(
            nameStart, colon == std::string::npos ? std::string::npos : colon - nameStart)] = line;
    }
    return r;
}

}  // namespace

TEST(PluginValidator, AWellBehavedPluginPassesEveryLevelItCanBeTestedAt) {
    const Report r = validateFake(FakeSettings());
    EXPECT_EQ(r.summary.failed, 0) << r.text;
    EXPECT_GE(r.summary.passed, 18) << r.text;
    EXPECT_TRUE(r.skipped("Editor open and close while processing")) << "the double has no editor";
    EXPECT_TRUE(r.skipped("No allocation in process calls"))
        << "test programs have no allocator hooks";
    EXPECT_NE(r.text.find("Passed " + std::to_string(r.summary.passed)), std::string::npos);
}

TEST(PluginValidator, StrictnessSelectsTheLevelsThatRun) {
    const Report r = validateFake(FakeSettings(), 1);
    EXPECT_TRUE(r.passed("Entry point and identity"));
    EXPECT_EQ(r.line("Program switching"), "(not run)");
    for (const auto& entry : r.lines) EXPECT_EQ(entry.second.substr(7, 2), "1 ") << entry.second;
}

TEST(PluginValidator, NonFiniteOutputFailsTheProcessingTests) {
    FakeSettings s;
    s.nanAfterFirstBlock = true;
    const Report r = validateFake(s, 3);
    EXPECT_TRUE(r.failedSaying("Processing grid, float", "not finite")) << r.text;
    EXPECT_TRUE(r.passed("Parameter texts within their lengths"));
}

TEST(PluginValidator, UnwrittenOutputSamplesAreFound) {
    FakeSettings s;
    s.writeHalfTheBlock = true;
    const Report r = validateFake(s, 3);
    EXPECT_TRUE(r.failedSaying("Processing grid, double", "was not written")) << r.text;
}

TEST(PluginValidator, TextsRunningPastTheirBuffersAreNamed) {
    FakeSettings s;
    s.overlongParamName = true;
    const Report r = validateFake(s, 1);
    EXPECT_TRUE(
        r.failedSaying("Parameter texts within their lengths", "effGetParamName of parameter 0"))
        << r.text;
}

TEST(PluginValidator, NamesHaveEightCharactersAndTheirTerminatorAndNotAByteMore) {
    FakeSettings s;
    s.names = {"Partial2", "Partial3", "PtchBend"};
    s.nameBytes = 9;
    EXPECT_TRUE(validateFake(s, 1).passed("Parameter texts within their lengths"));

    s.names = {"Partial23", "Partial3", "PtchBend"};
    s.nameBytes = 10;
    Report r = validateFake(s, 1);
    EXPECT_TRUE(
        r.failedSaying("Parameter texts within their lengths", "not terminated within 9 bytes"))
        << r.text;

    s.nameBytes = 9;
    s.padParamName = true;  // a short name, but the buffer behind it overwritten
    r = validateFake(s, 1);
    EXPECT_TRUE(r.failedSaying("Parameter texts within their lengths", "behind the text's 9 bytes"))
        << r.text;
}

TEST(PluginValidator, ACrashFailsOnlyItsTestAndSaysWhereItHappened) {
    FakeSettings s;
    s.crashOnNullChunkPointer = true;
    const Report r = validateFake(s, 6);
    const std::string sweep = r.line("Every dispatcher opcode with odd arguments");
    EXPECT_TRUE(r.failed("Every dispatcher opcode with odd arguments")) << r.text;
#if !defined(__SANITIZE_ADDRESS__)  // AddressSanitizer ends the child itself
    EXPECT_NE(sweep.find("signal 11"), std::string::npos) << sweep;
#endif
    EXPECT_NE(sweep.find("opcode 23"), std::string::npos) << sweep;
    EXPECT_TRUE(r.passed("Malformed MIDI")) << "the run goes on after a crash";
    EXPECT_TRUE(r.passed("State restoration through chunks"));
}

TEST(PluginValidator, AHangIsStoppedByTheTimeout) {
    FakeSettings s;
    s.hangOnEmptyCanDo = true;
    const Report r = validateFake(s, 2, 2);
    EXPECT_TRUE(r.failedSaying("canDo answers", "did not finish")) << r.text;
    EXPECT_NE(r.line("canDo answers").find("empty text"), std::string::npos);
}

TEST(PluginValidator, LostStateFailsTheRestoration) {
    FakeSettings s;
    s.ignoreChunk = true;
    const Report r = validateFake(s, 8);
    EXPECT_TRUE(r.failed("State restoration through chunks")) << r.text;
    EXPECT_TRUE(r.failed("Chunks read back byte for byte"));
}

TEST(PluginValidator, APluginThatAnnouncesProgramChunksMustRestoreThroughThem) {
    FakeSettings s;
    s.programChunks = true;
    s.programs = 4;
    Report r = validateFake(s, 8);
    EXPECT_TRUE(r.passed("State restoration through chunks")) << r.text;
    EXPECT_TRUE(r.passed("Chunks read back byte for byte")) << r.text;

    s.noChunks = true;  // without the flag this is only skipped
    r = validateFake(s, 8);
    EXPECT_TRUE(r.failed("State restoration through chunks")) << r.text;
    EXPECT_TRUE(r.failed("Chunks read back byte for byte")) << r.text;
    s.programChunks = false;
    r = validateFake(s, 8);
    EXPECT_TRUE(r.skipped("State restoration through chunks")) << r.text;
}

namespace {
bool exists(const char* path) {
    struct stat st;
    return path && stat(path, &st) == 0;
}

// Runs the plughost program; answers its exit status and output.
int runProgram(const std::string& args, std::string& output) {
    const std::string path = faketest::tempPath("plughost_validate.txt");
#ifdef PLUGHOST_EXE
    const int raw = std::system(
        (std::string(PLUGHOST_EXE) + " " + args + " >" + path + " 2>/dev/null").c_str());
#else
    const int raw = -1;
#endif
    std::ifstream in(path);
    output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::remove(path.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}
}  // namespace

TEST(PluginValidator, MurlanPassesAtTheHighestStrictness) {
#if defined(MURLAN_PLUGIN) && defined(PLUGHOST_EXE)
    if (!exists(MURLAN_PLUGIN)) GTEST_SKIP() << "Murlan.so is not built";
    std::string output;
    const int status =
        runProgram(std::string("validate ") + MURLAN_PLUGIN + " --strictness 10", output);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("failed 0"), std::string::npos) << output;
    EXPECT_EQ(output.find("[FAIL]"), std::string::npos) << output;
#else
    GTEST_SKIP() << "Murlan.so or the plughost program is not built";
#endif
}

TEST(PluginValidator, AnotherMakersSynthIsReportedNotJudged) {
    const char* thirdParty = "/usr/lib/vst/amsynth_vst.so";
    if (!exists(thirdParty)) GTEST_SKIP() << thirdParty << " is not installed";
#ifdef PLUGHOST_EXE
    std::string output;
    const int status =
        runProgram(std::string("validate ") + thirdParty + " --strictness 10", output);
    // Its own failures are its maker's business; the run must complete.
    EXPECT_TRUE(status == 0 || status == 1) << output;
    EXPECT_NE(output.find("Passed "), std::string::npos) << output;
    std::cout << output;
#endif
}
