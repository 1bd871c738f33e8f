// The strict reader of the factory library: what the effect's own reader
// would skip quietly is refused here, with the line that is wrong.

#include "KEffectTestEffect.h"
#include "framework/KPresetLibrary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using ktest::TestEffect;
using ktest::TextSource;

namespace {

const std::string kHeader = "# Murlan Presets: Tests\n";

}  // namespace

TEST(KPresetLibrary, KeepsTheRecordsTheEffectsOwnReaderMakesOfTheSameText) {
    // Lines end at LF, CR or CR LF for both readers alike.
    for (const std::string end : {"\n", "\r", "\r\n"}) {
        std::string body =
            "\nPRESET \"Low Pulse\"   # a comment\n"
            "SETSTR Detune1 -12\nSETSTR MainLvl -inf\nSETSTR LFOWave Square\n"
            "PRESET Bright\nSETSTR PortaRst 0.3\nSETSTR MainLvl -6.5\n";
        for (std::size_t at = 0; (at = body.find('\n', at)) != std::string::npos; at += end.size())
            body.replace(at, 1, end);
        TestEffect effect;
        KAMO::KPresetLibrary library;
        std::string error;
        ASSERT_TRUE(library.readText(effect, kHeader + body, "t.txt", &error)) << error;
        ASSERT_EQ(library.sounds().size(), 2u);
        EXPECT_EQ(library.categories(), std::vector<std::string>{"Tests"});
        EXPECT_EQ(library.find("bright"), &library.sounds()[1]);
        EXPECT_EQ(library.find("Dark"), nullptr);
        EXPECT_EQ(library.sounds()[0].settings.size(), 3u);
        EXPECT_EQ(library.sounds()[0].category, "Tests");

        TestEffect reference;
        TextSource text(kHeader + body);
        reference.loadPresetsFrom(text);
        for (int p = 0; p < 2; ++p) {
            const unsigned char* record = reference.programBank().makeImage(p);
            EXPECT_EQ(library.sounds()[p].record,
                      std::vector<unsigned char>(record,
                                                 record + reference.programBank().recordLength()));
        }
        // The scratch bank is left at its defaults.
        EXPECT_STREQ(effect.programBank().programName(0), "Defaults");
    }
}

TEST(KPresetLibrary, RefusesEveryFaultNamingItsLineAndKeepsNothingOfTheFile) {
    struct Case {
        std::string text;
        int line;
    };
    const std::string ok = "PRESET One\nSETSTR Detune1 5\n";
    const std::vector<Case> cases = {
        {"PRESET One\n", 1},                                           // no header
        {"# Murlan Presets: \nPRESET One\n", 1},                       // no category
        {kHeader + "SETSTR Detune1 5\n", 2},                           // before any PRESET
        {kHeader + "PRESET One Two\n", 2},                             // extra token
        {kHeader + "PRESET \"\"\n", 2},                                // empty name
        {kHeader + "PRESET \"A name longer than 24 chars\"\n", 2},     // too long
        {kHeader + "PRESET \"A/B\"\n", 2},                             // not a file name
        {kHeader + ok + "PRESET one\nSETSTR Detune1 6\n", 4},          // same name
        {kHeader + ok + "SETSTR detune1 6\n", 4},                      // letter case
        {kHeader + ok + "SETSTR Detune9 6\n", 4},                      // unknown
        {kHeader + ok + "SETSTR Detune1 6\n", 4},                      // set twice
        {kHeader + "PRESET A\nSETSTR Detune1 100\n", 3},               // out of range
        {kHeader + "PRESET A\nSETSTR Detune1 1.5\n", 3},               // between steps
        {kHeader + "PRESET A\nSETSTR Detune1 12x\n", 3},               // not a number
        {kHeader + "PRESET A\nSETSTR Detune1 nan\n", 3},               // not a number
        {kHeader + "PRESET A\nSETSTR MainLvl 0.5\n", 3},               // above 0 dB
        {kHeader + "PRESET A\nSETSTR MainLvl -6.25\n", 3},             // finer than shown
        {kHeader + "PRESET A\nSETSTR LFOWave Saw\n", 3},               // no such choice
        {kHeader + "PRESET A\nSETSTR LFOWave square\n", 3},            // letter case
        {kHeader + "PRESET A\nSETSTR Detune1\n", 3},                   // no value
        {kHeader + "PRESET A\nSET Detune1 4\n", 3},                    // no keyword
        {kHeader + ok + "PRESET Two\nSETSTR Detune1 5\n", 5},          // same sound
        {kHeader + ok + "PRESET B\nPRESET C\nPRESET D\n", 6},          // more than a bank
        {kHeader, 1},                                                  // no sounds
        {kHeader + "PRESET A  # " + std::string(250, '-') + "\n", 2},  // cut by the reader
        // A bare CR ends a line for the effect's reader, so it does here.
        {kHeader + "PRESET A\rSETSTR Detune1 500\n", 3},             // out of range
        {kHeader + "PRESET A\rSETSTR Detune9 6\n", 3},               // unknown
        {kHeader + ok + "SETSTR MainLvl 0\rSETSTR Detune1 6\n", 5},  // set twice
        {kHeader + "PRESET A\rPRESET \"\"\n", 3},                    // empty name
    };
    for (const Case& c : cases) {
        TestEffect effect;
        KAMO::KPresetLibrary library;
        std::string error;
        EXPECT_FALSE(library.readText(effect, c.text, "f.txt", &error)) << c.text;
        EXPECT_EQ(error.rfind("f.txt:" + std::to_string(c.line) + ": ", 0), 0u)
            << c.text << " -> " << error;
        EXPECT_TRUE(library.sounds().empty());
        EXPECT_TRUE(library.categories().empty());
    }

    // A second file may not repeat a name or a sound of the first.
    TestEffect effect;
    KAMO::KPresetLibrary library;
    std::string error;
    ASSERT_TRUE(library.readText(effect, kHeader + ok, "a.txt", &error)) << error;
    EXPECT_FALSE(library.readText(effect, kHeader + "PRESET ONE\n", "b.txt", &error));
    EXPECT_FALSE(
        library.readText(effect, kHeader + "PRESET Two\nSETSTR Detune1 5\n", "b.txt", &error));
    EXPECT_NE(error.find("\"One\""), std::string::npos) << error;
    EXPECT_EQ(library.sounds().size(), 1u);
    EXPECT_FALSE(library.readFile(effect, "/nonexistent/presets.txt", &error));
}
