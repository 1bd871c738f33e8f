// The host the LV2, VST 3 and CLAP faces play to the effect: what it
// answers the effect's questions before and after it is bound, where the
// editor's edits reach the face, and how MIDI and state go in.

#include "KEffectTestEffect.h"
#include "framework/KHostBridge.h"
#include "shell/AEffEditor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

using KAMO::KHostBridge;
using ktest::TestEffect;

namespace {

int gClosed = 0;

// Asks its host what an effect asks while it is constructed, and keeps the
// MIDI it is handed.
class AskingEffect : public TestEffect {
public:
    explicit AskingEffect(audioMasterCallback host) : TestEffect(host) {
        versionAtBirth = getMasterVersion();
        rateAtBirth = callHost(audioMasterGetSampleRate);
        wantsMidiAnswer = callHost(audioMasterWantMidi, 0, 1);
    }
    ~AskingEffect() override { ++gClosed; }
    VstIntPtr ask(VstInt32 opcode) { return callHost(opcode); }
    VstInt32 processEvents(VstEvents* events) override {
        ++eventCalls;
        for (VstInt32 i = 0; i < events->numEvents; ++i) {
            const auto* midi = reinterpret_cast<const VstMidiEvent*>(vstEventArray(events)[i]);
            heard.push_back({midi->deltaFrames, midi->midiData[0], midi->midiData[2]});
        }
        return 1;
    }

    struct Heard {
        VstInt32 delta;
        char status, last;
    };
    VstInt32 versionAtBirth = 0;
    VstIntPtr rateAtBirth = -1;
    VstIntPtr wantsMidiAnswer = 0;
    int eventCalls = 0;
    std::vector<Heard> heard;
};

// Idles as the real editor does: the effect learns the host's thread.
class IdlingEditor : public AEffEditor {
public:
    explicit IdlingEditor(TestEffect* effect) : AEffEditor(effect), owner(effect) {}
    bool open(void* ptr) override {
        AEffEditor::open(ptr);
        return true;
    }
    void idle() override { owner->editorIdle(); }
    TestEffect* owner;
};

AudioEffect* makeAsking(audioMasterCallback host) {
    auto* effect = new AskingEffect(host);
    effect->setEditor(new IdlingEditor(effect));
    return effect;
}

class NotOurs : public AudioEffect {
public:
    explicit NotOurs(audioMasterCallback host) : AudioEffect(host, 1, 1) {}
    ~NotOurs() override { ++gClosed; }
};
AudioEffect* makeNotOurs(audioMasterCallback host) { return new NotOurs(host); }

struct Edit {
    KHostBridge::Edit kind;
    int index;
    float value;
    std::thread::id thread;
};

class Recorder : public KHostBridge::Listener {
public:
    bool hostEdit(KHostBridge::Edit kind, int index, float value) override {
        edits.push_back({kind, index, value, std::this_thread::get_id()});
        return true;
    }
    std::vector<Edit> edits;
};

AskingEffect& asking(KHostBridge& bridge) { return static_cast<AskingEffect&>(bridge.effect()); }

}  // namespace

TEST(KHostBridge, AnswersAsANewHostWhileBuildingThenAsTheFaceSaysAndClosesTheEffect) {
    gClosed = 0;
    {
        KHostBridge refused("Test host");
        EXPECT_FALSE(refused.build(&makeNotOurs));
        EXPECT_EQ(gClosed, 1);  // nothing left over
        EXPECT_FALSE(refused.build(nullptr));
    }
    {
        KHostBridge bridge("Test host");
        ASSERT_TRUE(bridge.build(&makeAsking));
        AskingEffect& effect = asking(bridge);
        EXPECT_EQ(effect.versionAtBirth, 2400);
        EXPECT_EQ(effect.rateAtBirth, 0);  // not known yet: the effect keeps its own
        EXPECT_EQ(effect.wantsMidiAnswer, 1);

        bridge.open();
        bridge.setSampleRate(48000.0);
        bridge.setBlockSize(256);
        EXPECT_FLOAT_EQ(effect.getSampleRate(), 48000.0f);  // told, not only answered
        EXPECT_EQ(effect.getBlockSize(), 256);
        EXPECT_EQ(effect.updateSampleRate(), 48000.0);
        EXPECT_EQ(effect.updateBlockSize(), 256);
        // A rate the effect does not play is no answer (and no integer overflow).
        bridge.setSampleRate(std::nan(""));
        EXPECT_EQ(effect.ask(audioMasterGetSampleRate), 0);
        EXPECT_EQ(bridge.sampleRate(), 48000.0);
        bridge.setSampleRate(1.0e30);  // played by this effect, but no integer
        EXPECT_EQ(effect.ask(audioMasterGetSampleRate), 0);

        char name[kVstMaxProductStrLen + 1] = {};
        ASSERT_TRUE(effect.getHostProductString(name));
        EXPECT_STREQ(name, "Test host");
        bridge.setHostName("A host whose name is far longer than any host may give it, cut off");
        ASSERT_TRUE(effect.getHostProductString(name));
        EXPECT_EQ(std::strlen(name), static_cast<std::size_t>(kVstMaxProductStrLen - 1));

        EXPECT_EQ(effect.getTimeInfo(0), nullptr);
        VstTimeInfo time{};
        bridge.setTime(&time);
        EXPECT_EQ(effect.getTimeInfo(0), &time);
        EXPECT_EQ(gClosed, 1);
    }
    EXPECT_EQ(gClosed, 2);
}

TEST(KHostBridge, EditorEditsReachTheListenerOnTheHostsThreadInOrder) {
    Recorder recorder;
    KHostBridge bridge("Test host", &recorder);
    ASSERT_TRUE(bridge.build(&makeAsking));
    bridge.open();
    int window = 0;
    ASSERT_TRUE(bridge.openEditor(&window));  // idles first: this thread is the host's
    EXPECT_FALSE(bridge.openEditor(&window));

    AskingEffect& effect = asking(bridge);
    std::thread([&] {
        effect.beginParameterEdit(TestEffect::kDetune);
        effect.performParameterEdit(TestEffect::kDetune, 0.75);
        effect.endParameterEdit(TestEffect::kDetune);
    }).join();
    EXPECT_TRUE(recorder.edits.empty());
    bridge.idleEditor();
    // A begin tells the value before the gesture too.
    const KHostBridge::Edit kinds[] = {KHostBridge::Edit::Begin, KHostBridge::Edit::Value,
                                       KHostBridge::Edit::Value, KHostBridge::Edit::End};
    ASSERT_EQ(recorder.edits.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(recorder.edits[i].kind, kinds[i]) << i;
        EXPECT_EQ(recorder.edits[i].index, TestEffect::kDetune) << i;
        EXPECT_EQ(recorder.edits[i].thread, std::this_thread::get_id()) << i;
    }
    EXPECT_FLOAT_EQ(recorder.edits[1].value, 0.5f);
    EXPECT_FLOAT_EQ(recorder.edits[2].value, 0.75f);
    // The bridge closes the editor it opened, and the effect after it.
}

TEST(KHostBridge, HandsMidiInBoundsAndTakesOnlyAWholeStateOfOurs) {
    KHostBridge bridge("Test host");
    ASSERT_TRUE(bridge.build(&makeAsking));
    bridge.open();
    AskingEffect& effect = asking(bridge);

    const unsigned char on[3] = {0x90, 60, 100};
    EXPECT_FALSE(bridge.addMidi(on, 0, 0));
    EXPECT_FALSE(bridge.addMidi(on, 4, 0));
    EXPECT_TRUE(bridge.addMidi(on, 3, -5));  // before the stretch: at its start
    EXPECT_TRUE(bridge.addMidi(on, 1, 7));
    for (int i = 2; i < KHostBridge::kMidiCapacity; ++i) EXPECT_TRUE(bridge.addMidi(on, 3, i));
    EXPECT_FALSE(bridge.addMidi(on, 3, 9));  // full
    bridge.sendMidi();
    ASSERT_EQ(effect.heard.size(), static_cast<std::size_t>(KHostBridge::kMidiCapacity));
    EXPECT_EQ(effect.heard[0].delta, 0);
    EXPECT_EQ(effect.heard[1].delta, 7);
    EXPECT_EQ(effect.heard[1].last, 0);  // a short message's unused bytes are cleared
    EXPECT_EQ(bridge.midiCount(), 0);
    bridge.sendMidi();  // an empty list goes too, so that nothing stale stays queued
    EXPECT_EQ(effect.eventCalls, 2);
    EXPECT_EQ(effect.heard.size(), static_cast<std::size_t>(KHostBridge::kMidiCapacity));

    // State: the bank image and program as saved come back; nothing else does.
    effect.setParameter(TestEffect::kDetune, 0.25f);
    bridge.setProgram(1);
    std::size_t size = 0;
    const unsigned char* image = bridge.bankImage(size);
    ASSERT_NE(image, nullptr);
    const std::vector<unsigned char> saved(image, image + size);
    const int program = bridge.program();
    EXPECT_EQ(program, 1);

    bridge.setProgram(0);
    effect.setParameter(TestEffect::kDetune, 1.0f);
    const std::vector<unsigned char> garbage(saved.size(), 0xFF);
    EXPECT_FALSE(bridge.takeState(saved.data(), saved.size(), bridge.programCount()));
    EXPECT_FALSE(bridge.takeState(saved.data(), saved.size(), -1));
    EXPECT_FALSE(bridge.takeState(garbage.data(), garbage.size(), 1));
    EXPECT_FALSE(bridge.takeState(saved.data(), saved.size() - 1, 1));
    EXPECT_FALSE(bridge.takeState(nullptr, 0, 1));
    EXPECT_EQ(bridge.program(), 0);
    EXPECT_FLOAT_EQ(effect.getParameter(TestEffect::kDetune), 1.0f);

    ASSERT_TRUE(bridge.takeState(saved.data(), saved.size(), program));
    EXPECT_EQ(bridge.program(), 1);
    bridge.setProgram(0);
    EXPECT_FLOAT_EQ(effect.getParameter(TestEffect::kDetune), 0.25f);
}
