// The subcommands end to end, on our plug-in and on a third-party one.

#include "synth/MurlanParameters.h"
#include "tools/plughost/Subcommands.h"

#include "SmfBytes.h"

#include "TempPath.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

using namespace plughost;

namespace {

const char* const kThirdParty = "/usr/lib/vst/amsynth_vst.so";

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::string murlanPath() {
#ifdef MURLAN_PLUGIN
    return MURLAN_PLUGIN;
#else
    return "";
#endif
}

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

CommandRun run(int (*command)(const SubcommandArgs&, std::ostream&, std::ostream&),
               SubcommandArgs args) {
    std::ostringstream out, err;
    const int status = command(args, out, err);
    return CommandRun{status, out.str(), err.str()};
}

// Rows of the "Parameters (N):" table and N itself.
void countParameters(const std::string& info, int& announced, int& rows) {
    announced = -1;
    rows = 0;
    std::istringstream lines(info);
    std::string line;
    bool inTable = false;
    while (std::getline(lines, line)) {
        if (line.rfind("Parameters (", 0) == 0) {
            announced = std::atoi(line.c_str() + 12);
            inTable = true;
            std::getline(lines, line);  // column heads
            continue;
        }
        if (inTable && line.rfind("  ", 0) != 0) inTable = false;
        if (inTable) ++rows;
    }
}

// One second of music: a note, a bend and the note's end, at 120 BPM.
std::string writeShortSong() {
    faketest::SmfBytes smf(0, 480);
    smf.track();
    smf.event(0, {0x90, 69, 100});
    smf.event(480, {0xE0, 0x00, 0x50});
    smf.event(480, {0x80, 69, 0});
    smf.endOfTrack();
    const auto bytes = smf.bytes();
    const std::string path = faketest::tempPath("plughost_short.mid");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

struct Wav {
    sf_count_t frames = 0;
    int channels = 0;
    int rate = 0;
    double peak = 0.0;
    bool finite = true;
};

Wav readWav(const std::string& path) {
    Wav w;
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) return w;
    w.frames = info.frames;
    w.channels = info.channels;
    w.rate = info.samplerate;
    std::vector<float> data(std::size_t(info.frames * info.channels));
    sf_readf_float(f, data.data(), info.frames);
    sf_close(f);
    for (float v : data) {
        if (!std::isfinite(v)) w.finite = false;
        w.peak = std::max(w.peak, double(std::fabs(v)));
    }
    return w;
}

}  // namespace

TEST(PlughostInfo, ListsEveryParameterOfMurlan) {
    const std::string plugin = murlanPath();
    if (plugin.empty() || !exists(plugin)) GTEST_SKIP() << "Murlan.so is not built";
    const CommandRun r = run(runInfo, {plugin});
    ASSERT_EQ(r.status, 0) << r.err;
    int announced, rows;
    countParameters(r.out, announced, rows);
    EXPECT_EQ(announced, MurlanParameters::kParameterCount);
    EXPECT_EQ(rows, MurlanParameters::kParameterCount);
    for (const char* name : {"Partial2", "Partial3", "LFODepth", "PortaRst", "PtchBend"})
        EXPECT_NE(r.out.find(std::string("  ") + name + " "), std::string::npos) << name;
    EXPECT_NE(r.out.find("Programs (10)"), std::string::npos);
    EXPECT_NE(r.out.find("(vQxe)"), std::string::npos);
    EXPECT_NE(r.out.find("Closed."), std::string::npos);
}

TEST(PlughostRender, MurlanFillsAWavOfTheSongsLengthWithSound) {
    const std::string plugin = murlanPath();
    if (plugin.empty() || !exists(plugin)) GTEST_SKIP() << "Murlan.so is not built";
    const std::string wav = faketest::tempPath("plughost_murlan.wav");
    const CommandRun r =
        run(runRender, {plugin, "--midi", writeShortSong(), "--out", wav, "--rate", "44100",
                        "--block", "100", "--tail", "0.5", "--set", "Rel1=0.2"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Wav w = readWav(wav);
    EXPECT_EQ(w.frames, 66150);  // 1 s of song and 0.5 s of tail
    EXPECT_EQ(w.channels, 1);
    EXPECT_EQ(w.rate, 44100);
    EXPECT_TRUE(w.finite);
    EXPECT_GT(w.peak, 0.01) << "silent output";
    EXPECT_LE(w.peak, 1.0);
    EXPECT_NE(r.out.find("Set Rel1: 0.20 s"), std::string::npos) << r.out;
    std::remove(wav.c_str());
}

TEST(PlughostRender, TheDemoRendersWithItsOwnSettings) {
    const std::string plugin = murlanPath();
    if (plugin.empty() || !exists(plugin)) GTEST_SKIP() << "Murlan.so is not built";
    const std::string dir = MURLAN_SOURCE_DIR;
    const std::string wav = faketest::tempPath("plughost_demo.wav");
    const CommandRun r = run(runRender, {plugin, "--midi", dir + "/examples/demo.mid", "--out", wav,
                                         "@" + dir + "/examples/demo.args", "--tail", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Wav w = readWav(wav);
    EXPECT_GT(w.frames, 20 * 48000);
    EXPECT_LT(w.frames, 31 * 48000);
    EXPECT_GT(w.peak, 0.01);
    std::remove(wav.c_str());
}

TEST(PlughostRender, RefusesUnknownParametersAndMissingFilesWithoutWriting) {
    const std::string plugin = murlanPath();
    if (plugin.empty() || !exists(plugin)) GTEST_SKIP() << "Murlan.so is not built";
    const std::string wav = faketest::tempPath("plughost_never.wav");
    std::remove(wav.c_str());
    CommandRun r =
        run(runRender, {plugin, "--midi", writeShortSong(), "--out", wav, "--set", "Nope=1"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("Nope"), std::string::npos);
    EXPECT_FALSE(exists(wav));
    r = run(runRender, {plugin, "--midi", "/nonexistent.mid", "--out", wav});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(exists(wav));
    r = run(runRender, {plugin, "--midi", writeShortSong()});
    EXPECT_EQ(r.status, 2);
}

TEST(PlughostThirdParty, InfoAndRenderWorkOnAnotherMakersSynth) {
    if (!exists(kThirdParty)) GTEST_SKIP() << kThirdParty << " is not installed";
    const CommandRun info = run(runInfo, {kThirdParty});
    ASSERT_EQ(info.status, 0) << info.err;
    int announced, rows;
    countParameters(info.out, announced, rows);
    EXPECT_GT(announced, 0);
    EXPECT_EQ(rows, announced);

    const std::string wav = faketest::tempPath("plughost_thirdparty.wav");
    const CommandRun r = run(runRender, {kThirdParty, "--midi", writeShortSong(), "--out", wav,
                                         "--rate", "48000", "--tail", "0.25", "--float"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Wav w = readWav(wav);
    EXPECT_EQ(w.frames, 60000);
    EXPECT_EQ(w.channels, 2);
    EXPECT_GT(w.peak, 0.01);
    std::remove(wav.c_str());
    EXPECT_EQ(
        run(runRender, {kThirdParty, "--midi", writeShortSong(), "--out", wav, "--double"}).status,
        1)
        << "the third-party synth has no double path";
}

#ifdef PLUGHOST_EXE
TEST(PlughostExecutable, DispatchesSubcommandsAndAnswersWithExitStatus) {
    auto status = [](const std::string& args) {
        const int raw =
            std::system((std::string(PLUGHOST_EXE) + " " + args + " >/dev/null 2>&1").c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    };
    EXPECT_EQ(status("--help"), 0);
    EXPECT_EQ(status(""), 2);
    EXPECT_EQ(status("nosuchcommand"), 2);
    EXPECT_EQ(status("info /nonexistent/Plugin.so"), 1);
    EXPECT_EQ(status("render"), 2);
}
#endif
