// Parameter traffic, host texts, information variables, channel
// configuration and the editor hooks of the effect core.

#include "KEffectTestEffect.h"
#include "shell/AEffEditor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using ktest::TestEffect;

namespace {

// A host whose text answers the tests choose.
struct HostAnswers {
    const char* vendor = "";
    const char* product = "";
    VstIntPtr textAnswer = 1;
    VstIntPtr sampleRate = 0;
    int wantMidi = 0;
};
HostAnswers gHost;

VstIntPtr testHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr value, void* ptr, float) {
    switch (opcode) {
    case audioMasterVersion: return 2400;
    case audioMasterGetSampleRate: return gHost.sampleRate;
    case audioMasterWantMidi: gHost.wantMidi += value == 1; return 1;
    case audioMasterGetVendorString: std::strcpy(static_cast<char*>(ptr), gHost.vendor); return gHost.textAnswer;
    case audioMasterGetProductString: std::strcpy(static_cast<char*>(ptr), gHost.product); return gHost.textAnswer;
    default: return 0;
    }
}

std::string display(TestEffect& effect, int index) {
    char text[64];
    std::memset(text, 'z', sizeof(text));
    effect.getParameterDisplay(index, text);
    return text;
}

std::string variable(TestEffect& effect, const char* name) {
    char out[128];
    std::memset(out, 'z', sizeof(out));
    effect.getInfoVariable(out, sizeof(out), name);
    return out;
}

std::string expanded(TestEffect& effect, const char* text, int size = 256) {
    std::string out(static_cast<std::size_t>(size) + 8, 'z');
    effect.expandText(&out[0], size, text);
    return out.c_str();
}

class CountingEditor : public AEffEditor {
public:
    CountingEditor(AudioEffect* effect, int* refreshes, bool* deleted)
        : AEffEditor(effect), mRefreshes(refreshes), mDeleted(deleted) {}
    ~CountingEditor() override { *mDeleted = true; }
    void refresh() override { ++*mRefreshes; }

private:
    int* mRefreshes;
    bool* mDeleted;
};

} // namespace

TEST(KEffectParameters, SetParameterStoresUnclampedRefreshesAndNotifies) {
    TestEffect effect;
    effect.setParameter(TestEffect::kDetune, 0.75f);
    EXPECT_FLOAT_EQ(effect.getParameter(TestEffect::kDetune), 0.75f);
    EXPECT_STREQ(effect.text(TestEffect::kDetune), "50");
    ASSERT_EQ(effect.changed.size(), 1u);
    EXPECT_EQ(effect.changed[0], TestEffect::kDetune);
    EXPECT_EQ(effect.changes, 1);

    effect.setParameter(TestEffect::kMain, 1.5f);
    EXPECT_FLOAT_EQ(effect.getParameter(TestEffect::kMain), 1.5f);

    effect.setParameterReal(TestEffect::kReset, 5.0);
    EXPECT_STREQ(effect.text(TestEffect::kReset), "5.0");
    EXPECT_EQ(effect.changes, 3);
}

TEST(KEffectParameters, OutOfRangeIndicesAnswerZeroAndWriteNothing) {
    TestEffect effect;
    effect.setParameter(-1, 0.3f);
    effect.setParameter(TestEffect::kParameterCount, 0.3f);
    effect.setParameterReal(TestEffect::kParameterCount, 1.0);
    EXPECT_EQ(effect.getParameter(TestEffect::kParameterCount), 0.0f);
    EXPECT_EQ(effect.changes, 0);
    EXPECT_TRUE(effect.changed.empty());

    char text[16] = "untouched";
    effect.getParameterDisplay(TestEffect::kParameterCount, text);
    effect.getParameterName(-1, text);
    effect.getParameterLabel(TestEffect::kParameterCount, text);
    EXPECT_STREQ(text, "untouched");
    EXPECT_FALSE(effect.string2parameter(TestEffect::kParameterCount, text));
}

TEST(KEffectParameters, DisplayTextsLongerThan31CharactersEndInEllipsis) {
    TestEffect effect;
    EXPECT_EQ(display(effect, TestEffect::kWide), "5000000000.00000000000000000000");
    effect.setParameter(TestEffect::kWide, 1.0f);
    std::string cut = display(effect, TestEffect::kWide);
    EXPECT_EQ(cut, "10000000000.0000000000000000...");
    EXPECT_EQ(cut.size(), 31u);
    EXPECT_EQ(display(effect, TestEffect::kMain), "-12.5");
}

TEST(KEffectParameters, NamesAndLabelsAreCutToEightBytes) {
    TestEffect effect;
    char text[32];
    std::memset(text, 'z', sizeof(text));
    effect.getParameterName(TestEffect::kDetune, text);
    EXPECT_STREQ(text, "Detune1");
    std::memset(text, 'z', sizeof(text));
    effect.getParameterName(TestEffect::kReset, text);
    EXPECT_STREQ(text, "PortaRs");
    effect.getParameterLabel(TestEffect::kDetune, text);
    EXPECT_STREQ(text, "cents");
    effect.getParameterLabel(TestEffect::kWave, text);
    EXPECT_STREQ(text, "");
}

TEST(KEffectParameters, StringToParameterRoundTripsThroughDisplayTexts) {
    TestEffect effect;
    struct Case {
        int index;
        const char* text;
        const char* shown;
    } cases[] = {
        {TestEffect::kDetune, "12", "12"},       {TestEffect::kDetune, "-500", "-99"},
        {TestEffect::kMain, "-6", "-6.0"},       {TestEffect::kMain, "-inf", "-Inf"},
        {TestEffect::kWave, "square", "Square"}, {TestEffect::kReset, "0.36", "0.4"},
    };
    for (const Case& c : cases) {
        char text[32];
        std::strcpy(text, c.text);
        EXPECT_TRUE(effect.string2parameter(c.index, text)) << c.text;
        EXPECT_EQ(display(effect, c.index), c.shown) << c.text;
        // What the host reads back parses to the same value again.
        std::string shown = display(effect, c.index);
        std::strcpy(text, shown.c_str());
        float before = effect.getParameter(c.index);
        effect.string2parameter(c.index, text);
        EXPECT_EQ(display(effect, c.index), shown);
        if (c.index != TestEffect::kReset) {
            EXPECT_FLOAT_EQ(effect.getParameter(c.index), before);
        }
    }
    int changes = effect.changes;
    EXPECT_FALSE(effect.string2parameter(TestEffect::kDetune, nullptr));
    EXPECT_EQ(effect.changes, changes);
}

TEST(KEffectNames, HostTextsComeFromTheNameOperationsWithinTheirLimits) {
    TestEffect effect;
    char text[80];
    EXPECT_TRUE(effect.getEffectName(text));
    EXPECT_STREQ(text, "Murlan");
    EXPECT_FALSE(effect.getVendorString(text));  // null name answers 0

    std::string longName(100, 'n');
    effect.effectText = longName.c_str();
    std::memset(text, 'z', sizeof(text));
    EXPECT_TRUE(effect.getEffectName(text));
    EXPECT_EQ(std::strlen(text), 31u);
}

TEST(KEffectVariables, InformationVariablesMatchExactNames) {
    gHost = HostAnswers();
    gHost.sampleRate = 48000;
    TestEffect effect(&testHost);
    effect.updateSampleRate();
    EXPECT_EQ(variable(effect, "SRate"), "48000");
    EXPECT_EQ(variable(effect, "srate"), "");
    EXPECT_EQ(variable(effect, "PlugVer"), "3.1");
    EXPECT_EQ(variable(effect, "BuildDate"), "09 Sep 2024");
    EXPECT_EQ(variable(effect, "Inputs"), "0");
    EXPECT_EQ(variable(effect, "Outputs"), "1");
    EXPECT_EQ(variable(effect, "HostVend"), "Unknown");
    EXPECT_EQ(variable(effect, ""), "");

    gHost.vendor = "Vendor Inc";
    gHost.product = "Studio";
    EXPECT_EQ(variable(effect, "HostVend"), "Vendor Inc");
    EXPECT_EQ(variable(effect, "HostName"), "Studio");

    // Without a host the texts fall back and the rate stays at its start value.
    TestEffect alone;
    EXPECT_EQ(variable(alone, "HostName"), "Unknown");
    EXPECT_EQ(variable(alone, "SRate"), "44100");
}

TEST(KEffectVariables, SampleRateAnswersBelowOneKeepThePreviousRate) {
    gHost = HostAnswers();
    gHost.sampleRate = 0;
    TestEffect effect(&testHost);
    EXPECT_DOUBLE_EQ(effect.updateSampleRate(), 44100.0);
    gHost.sampleRate = -5;
    EXPECT_DOUBLE_EQ(effect.updateSampleRate(), 44100.0);
    gHost.sampleRate = 96000;
    EXPECT_DOUBLE_EQ(effect.updateSampleRate(), 96000.0);
}

TEST(KEffectVariables, ExpandTextSubstitutesVariables) {
    TestEffect effect;
    EXPECT_EQ(expanded(effect, "Build ~ ${PlugBuild} ~ ${Platform} ~ ${BuildDate}"),
              "Build ~ 3.1 ~ Linux64 ~ 09 Sep 2024");
    EXPECT_EQ(expanded(effect, "a ${Nope} b"), "a  b");
    EXPECT_EQ(expanded(effect, "cost $5 {x} $"), "cost $5 {x} $");
    // An unterminated name runs to the end of the text.
    EXPECT_EQ(expanded(effect, "Rate ${SRate"), "Rate 44100");
    EXPECT_EQ(expanded(effect, "${"), "");
    // Only the first 63 characters of a name count.
    std::string longName = "${SRate" + std::string(60, 'x') + "}!";
    EXPECT_EQ(expanded(effect, longName.c_str()), "!");
    EXPECT_EQ(expanded(effect, "${PlugVer}"), "3.1");
}

TEST(KEffectVariables, ExpandTextStaysWithinTheOutputSize) {
    TestEffect effect;
    EXPECT_EQ(expanded(effect, "abcdef", 4), "abc");
    EXPECT_EQ(expanded(effect, "x${BuildDate}yz", 6), "x09 S");
    EXPECT_EQ(expanded(effect, nullptr), "");
    char one = 'z';
    effect.expandText(&one, 1, "abc");
    EXPECT_EQ(one, 0);
}

TEST(KEffectChannels, OnlyAcceptedSpeakerArrangementsAreStored) {
    TestEffect effect;
    VstSpeakerArrangement input{};
    VstSpeakerArrangement output{};
    output.numChannels = 2;
    EXPECT_FALSE(effect.setSpeakerArrangement(&input, &output));
    EXPECT_EQ(effect.outputChannels(), 1);
    EXPECT_EQ(variable(effect, "Outputs"), "1");
    EXPECT_FALSE(effect.setSpeakerArrangement(nullptr, &output));

    output.numChannels = 1;
    output.type = 7;
    std::memset(output.speakers[0].name, 'q', sizeof(output.speakers[0].name));  // unterminated
    output.speakers[0].azimuth = 0.25f;
    output.speakers[0].future[27] = 9;
    EXPECT_TRUE(effect.setSpeakerArrangement(&input, &output));

    VstSpeakerArrangement* storedIn = nullptr;
    VstSpeakerArrangement* storedOut = nullptr;
    EXPECT_TRUE(effect.getSpeakerArrangement(&storedIn, &storedOut));
    ASSERT_NE(storedOut, nullptr);
    EXPECT_NE(storedOut, &output);
    EXPECT_EQ(storedIn->numChannels, 0);
    EXPECT_EQ(storedOut->numChannels, 1);
    EXPECT_EQ(storedOut->type, 7);
    EXPECT_EQ(storedOut->speakers[0].azimuth, 0.25f);
    EXPECT_EQ(storedOut->speakers[0].future[27], 9);
    EXPECT_EQ(std::strlen(storedOut->speakers[0].name), 63u);
    EXPECT_FALSE(effect.getSpeakerArrangement(nullptr, &storedOut));
}

TEST(KEffectChannels, FrameworkCanDoFollowsAcceptedConfigurations) {
    TestEffect effect;
    effect.acceptedInputs = 2;
    effect.acceptedOutputs = 2;
    char inOut[] = "2in2out", other[] = "1in2out", bypass[] = "bypass", unknown[] = "2IN2OUT";
    EXPECT_EQ(effect.canDo(inOut), 1);
    EXPECT_EQ(effect.canDo(other), -1);
    EXPECT_EQ(effect.canDo(bypass), 0);
    EXPECT_EQ(effect.canDo(unknown), 0);
    EXPECT_EQ(effect.canDo(nullptr), 0);
    // Bypass is taken only when canDo("bypass") says yes.
    EXPECT_FALSE(effect.setBypass(true));
    EXPECT_FALSE(effect.isBypassed());
}

TEST(KEffectLifecycle, SuspendAndResumeResetStateAndResumeAsksForMidi) {
    gHost = HostAnswers();
    TestEffect effect(&testHost);
    effect.suspend();
    effect.resume();
    EXPECT_EQ(effect.resets, 2);
    EXPECT_EQ(gHost.wantMidi, 1);
}

TEST(KEffectEditor, RefreshReachesOnlyAnOpenEditorAndTheEffectOwnsIt) {
    int refreshes = 0;
    bool deleted = false;
    {
        TestEffect effect;
        effect.setEditor(new CountingEditor(&effect, &refreshes, &deleted));
        EXPECT_EQ(effect.getAeffect()->flags & effFlagsHasEditor, effFlagsHasEditor);
        effect.refreshEditor();
        EXPECT_EQ(refreshes, 0);
        effect.editorOpened();
        EXPECT_TRUE(effect.isEditorOpen());
        effect.refreshEditor();
        EXPECT_EQ(refreshes, 1);
        effect.editorClosed();
        effect.refreshEditor();
        EXPECT_EQ(refreshes, 1);

        bool secondDeleted = false;
        int unused = 0;
        effect.setEditor(new CountingEditor(&effect, &unused, &secondDeleted));
        EXPECT_TRUE(deleted);
        deleted = false;
        effect.setEditor(nullptr);
        EXPECT_TRUE(secondDeleted);
        EXPECT_EQ(effect.getAeffect()->flags & effFlagsHasEditor, 0);

        effect.setEditor(new CountingEditor(&effect, &refreshes, &deleted));
    }
    EXPECT_TRUE(deleted);
}

TEST(KEffectParameters, FindParameterIgnoresLetterCase) {
    TestEffect effect;
    EXPECT_EQ(effect.findParameter("mainlvl"), TestEffect::kMain);
    EXPECT_EQ(effect.findParameter("LFOWAVE"), TestEffect::kWave);
    EXPECT_EQ(effect.findParameter("Main"), -1);
    EXPECT_EQ(effect.findParameter(nullptr), -1);
}
