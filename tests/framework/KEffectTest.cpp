// Parameter traffic, information variables, channel configuration and the
// editor hooks of the effect core.

#include "KEffectTestEffect.h"
#include "shell/AEffEditor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using ktest::TestEffect;

namespace {

const char* gVendor = "";

VstIntPtr testHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    if (opcode == audioMasterGetSampleRate) return 48000;
    if (opcode == audioMasterGetVendorString) std::strcpy(static_cast<char*>(ptr), gVendor);
    return opcode == audioMasterGetVendorString;
}

std::string display(TestEffect& effect, int index) {
    char text[64];
    std::memset(text, 'z', sizeof(text));
    effect.getParameterDisplay(index, text);
    return text;
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

}  // namespace

TEST(KEffectParameters, SetParameterStoresUnclampedRefreshesAndNotifies) {
    TestEffect effect;
    effect.setParameter(TestEffect::kDetune, 0.75f);
    EXPECT_STREQ(effect.text(TestEffect::kDetune), "50");
    EXPECT_EQ(effect.changed, std::vector<int>{TestEffect::kDetune});
    EXPECT_EQ(effect.changes, 1);
    effect.setParameter(TestEffect::kMain, 1.5f);
    EXPECT_FLOAT_EQ(effect.getParameter(TestEffect::kMain), 1.5f);
    effect.setParameterReal(TestEffect::kReset, 5.0);
    EXPECT_STREQ(effect.text(TestEffect::kReset), "5.0");

    // Indices outside the list are ignored on every path.
    effect.setParameter(TestEffect::kParameterCount, 0.3f);
    effect.setParameterReal(-1, 1.0);
    EXPECT_EQ(effect.getParameter(TestEffect::kParameterCount), 0.0f);
    EXPECT_EQ(effect.changes, 3);
    char text[16] = "untouched";
    effect.getParameterDisplay(TestEffect::kParameterCount, text);
    EXPECT_FALSE(effect.string2parameter(-1, text));
    EXPECT_STREQ(text, "untouched");
}

namespace {
struct HostCall {
    VstInt32 opcode, index;
    float value;
};
std::vector<HostCall> gCalls;
VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt) {
    if (opcode == audioMasterAutomate || opcode == audioMasterBeginEdit ||
        opcode == audioMasterEndEdit)
        gCalls.push_back({opcode, index, opt});
    return 0;
}
}  // namespace

TEST(KEffectParameters, UserInterfaceEditsGoThroughTheEditPathAndTellTheHost) {
    TestEffect effect(recordingHost);
    gCalls.clear();
    effect.beginParameterEdit(TestEffect::kDetune);
    effect.performParameterEdit(TestEffect::kDetune, 0.75);
    effect.endParameterEdit(TestEffect::kDetune);
    ASSERT_EQ(gCalls.size(), 4u);
    EXPECT_EQ(gCalls[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(gCalls[1].opcode, audioMasterAutomate);
    EXPECT_FLOAT_EQ(gCalls[1].value, 0.5f);  // the value before
    EXPECT_EQ(gCalls[2].opcode, audioMasterAutomate);
    EXPECT_FLOAT_EQ(gCalls[2].value, 0.75f);
    EXPECT_EQ(gCalls[3].opcode, audioMasterEndEdit);
    EXPECT_EQ(gCalls[3].index, TestEffect::kDetune);
    EXPECT_STREQ(effect.text(TestEffect::kDetune), "50");
    EXPECT_EQ(effect.changes, 1);

    // The commands' path tells the host nothing; unknown indices do nothing.
    gCalls.clear();
    EXPECT_TRUE(effect.editParameter(TestEffect::kReset, TestEffect::ParameterEdit::real(5.0)));
    EXPECT_STREQ(effect.text(TestEffect::kReset), "5.0");
    EXPECT_FALSE(effect.editParameter(-1, TestEffect::ParameterEdit::normalised(0.5)));
    effect.beginParameterEdit(TestEffect::kParameterCount);
    effect.performParameterEdit(TestEffect::kParameterCount, 0.5);
    effect.endParameterEdit(TestEffect::kParameterCount);
    EXPECT_TRUE(gCalls.empty());
    EXPECT_EQ(effect.changes, 2);
}

TEST(KEffectParameters, DisplayTextsLongerThan31CharactersEndInEllipsis) {
    TestEffect effect;
    EXPECT_EQ(display(effect, TestEffect::kWide), "5000000000.00000000000000000000");
    effect.setParameter(TestEffect::kWide, 1.0f);
    EXPECT_EQ(display(effect, TestEffect::kWide), "10000000000.0000000000000000...");
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
        std::string shown = display(effect, c.index);
        EXPECT_EQ(shown, c.shown) << c.text;
        // What the host reads back parses to the same text again.
        std::strcpy(text, shown.c_str());
        effect.string2parameter(c.index, text);
        EXPECT_EQ(display(effect, c.index), shown);
    }
    int changes = effect.changes;
    EXPECT_FALSE(effect.string2parameter(TestEffect::kDetune, nullptr));
    EXPECT_EQ(effect.changes, changes);
}

TEST(KEffectVariables, InformationVariablesMatchExactNames) {
    TestEffect effect(&testHost);
    effect.updateSampleRate();
    auto variable = [&](const char* name) {
        char out[128];
        std::memset(out, 'z', sizeof(out));
        effect.getInfoVariable(out, sizeof(out), name);
        return std::string(out);
    };
    EXPECT_EQ(variable("SRate"), "48000");
    EXPECT_EQ(variable("srate"), "");
    EXPECT_EQ(variable("PlugVer"), "3.1");
    EXPECT_EQ(variable("Inputs"), "0");
    EXPECT_EQ(variable("Outputs"), "1");
    gVendor = "";
    EXPECT_EQ(variable("HostVend"), "Unknown");
    gVendor = "Vendor Inc";
    EXPECT_EQ(variable("HostVend"), "Vendor Inc");
    EXPECT_EQ(variable("HostName"), "Unknown");  // this host answers 0
}

TEST(KEffectVariables, ExpandTextSubstitutesWithinTheOutputSize) {
    TestEffect effect;
    EXPECT_EQ(expanded(effect, "Build ~ ${PlugBuild} ~ ${Platform} ~ ${BuildDate}"),
              "Build ~ 3.1 ~ Linux64 ~ 09 Sep 2024");
    EXPECT_EQ(expanded(effect, "a ${Nope} b"), "a  b");
    EXPECT_EQ(expanded(effect, "cost $5 {x} $"), "cost $5 {x} $");
    // An unterminated name runs to the end of the text.
    EXPECT_EQ(expanded(effect, "Rate ${SRate"), "Rate 44100");
    // Only the first 63 characters of a name count.
    std::string longName = "${SRate" + std::string(60, 'x') + "}!";
    EXPECT_EQ(expanded(effect, longName.c_str()), "!");
    EXPECT_EQ(expanded(effect, "x${BuildDate}yz", 6), "x09 S");
    EXPECT_EQ(expanded(effect, nullptr), "");
}

TEST(KEffectChannels, OnlyAcceptedSpeakerArrangementsAreCopiedAndStored) {
    TestEffect effect;
    VstSpeakerArrangement input{};
    VstSpeakerArrangement output{};
    output.numChannels = 2;
    EXPECT_FALSE(effect.setSpeakerArrangement(&input, &output));
    EXPECT_EQ(effect.outputChannels(), 1);

    output.numChannels = 1;
    output.type = 7;
    std::memset(output.speakers[0].name, 'q', sizeof(output.speakers[0].name));  // unterminated
    output.speakers[0].future[27] = 9;
    EXPECT_TRUE(effect.setSpeakerArrangement(&input, &output));
    VstSpeakerArrangement* storedIn = nullptr;
    VstSpeakerArrangement* storedOut = nullptr;
    EXPECT_TRUE(effect.getSpeakerArrangement(&storedIn, &storedOut));
    ASSERT_NE(storedOut, nullptr);
    EXPECT_NE(storedOut, &output);
    EXPECT_EQ(storedIn->numChannels, 0);
    EXPECT_EQ(storedOut->type, 7);
    EXPECT_EQ(storedOut->speakers[0].future[27], 9);
    EXPECT_EQ(std::strlen(storedOut->speakers[0].name), 63u);
}

TEST(KEffectChannels, CanDoAndBypassFollowAcceptedConfigurations) {
    TestEffect effect;
    effect.acceptedInputs = 2;
    effect.acceptedOutputs = 2;
    char inOut[] = "2in2out", other[] = "1in2out", bypass[] = "bypass", upper[] = "2IN2OUT";
    EXPECT_EQ(effect.canDo(inOut), 1);
    EXPECT_EQ(effect.canDo(other), -1);
    EXPECT_EQ(effect.canDo(bypass), 0);
    EXPECT_EQ(effect.canDo(upper), 0);
    EXPECT_FALSE(effect.setBypass(true));
    EXPECT_FALSE(effect.isBypassed());
}

TEST(KEffectEditor, RefreshReachesOnlyAnOpenEditorAndTheEffectOwnsIt) {
    int refreshes = 0;
    bool deleted = false, replacedDeleted = false;
    {
        TestEffect effect;
        effect.setEditor(new CountingEditor(&effect, &refreshes, &deleted));
        EXPECT_EQ(effect.getAeffect()->flags & effFlagsHasEditor, effFlagsHasEditor);
        effect.refreshEditor();
        effect.editorOpened();
        effect.refreshEditor();
        effect.editorClosed();
        effect.refreshEditor();
        EXPECT_EQ(refreshes, 1);

        effect.setEditor(new CountingEditor(&effect, &refreshes, &replacedDeleted));
        EXPECT_TRUE(deleted);
        effect.setEditor(nullptr);
        EXPECT_TRUE(replacedDeleted);
        EXPECT_EQ(effect.getAeffect()->flags & effFlagsHasEditor, 0);
        deleted = false;
        effect.setEditor(new CountingEditor(&effect, &refreshes, &deleted));
    }
    EXPECT_TRUE(deleted);
}
