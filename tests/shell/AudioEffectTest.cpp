// The host-facing base classes on their own: trampolines, dispatcher
// routing and the host-callback wrappers.

#include "shell/AEffEditor.h"
#include "shell/AudioEffectX.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

namespace {

struct HostCall {
    AEffect* effect = nullptr;
    VstInt32 opcode = -1;
    VstInt32 index = 0;
    VstIntPtr value = 0;
    void* ptr = nullptr;
    float opt = 0.0f;
};
HostCall gLast;
VstTimeInfo gTime{};

VstIntPtr recordingHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                        void* ptr, float opt) {
    gLast = HostCall{effect, opcode, index, value, ptr, opt};
    if (opcode == audioMasterGetTime) return reinterpret_cast<VstIntPtr>(&gTime);
    if (opcode == audioMasterGetVendorString) {
        std::memset(ptr, 'v', kVstMaxVendorStrLen);  // no terminator at all
        return 1;
    }
    return 0;
}

// Counts every operation that would read or write through the dispatcher's
// pointer, so that a test can see whether a request reached it.
class ProbeEffect : public AudioEffectX {
public:
    explicit ProbeEffect(audioMasterCallback host = nullptr, int* destroyed = nullptr)
        : AudioEffectX(host, 2, 3), mDestroyed(destroyed) {}
    ~ProbeEffect() override {
        alive = false;
        if (mDestroyed) ++*mDestroyed;
    }

    void setProgramName(char*) override { ++touched; }
    void getProgramName(char*) override { ++touched; }
    void getParameterLabel(VstInt32, char*) override { ++touched; }
    void getParameterDisplay(VstInt32, char*) override { ++touched; }
    void getParameterName(VstInt32, char*) override { ++touched; }
    VstInt32 getChunk(void**, bool) override { return ++touched; }
    VstInt32 setChunk(void*, VstInt32, bool) override { return ++touched; }
    bool string2parameter(VstInt32, char*) override { return ++touched; }
    bool getProgramNameIndexed(VstInt32, VstInt32, char*) override { return ++touched; }
    bool getOutputProperties(VstInt32, VstPinProperties*) override { return ++touched; }
    bool setSpeakerArrangement(VstSpeakerArrangement*, VstSpeakerArrangement*) override {
        return ++touched;
    }
    bool getEffectName(char*) override { return ++touched; }
    VstInt32 canDo(char*) override { return ++touched; }
    void setParameter(VstInt32 index, float) override { lastIndex = index; }
    VstInt32 getVstVersion() override {
        if (throwing) throw std::runtime_error("no");
        return 2400;
    }

    VstIntPtr vendorSpecific(VstInt32, VstIntPtr, void*, float) override { return ++vendorCalls; }

    int touched = 0;
    int vendorCalls = 0;
    int lastIndex = -1;
    bool throwing = false;
    bool alive = true;

private:
    int* mDestroyed;
};

class ProbeEditor : public AEffEditor {
public:
    explicit ProbeEditor(ProbeEffect* effect, bool* effectAliveAtDeletion = nullptr)
        : AEffEditor(effect), mProbe(effect), mAlive(effectAliveAtDeletion) {}
    ~ProbeEditor() override {
        if (mAlive) *mAlive = mProbe->alive;
    }
    bool onKeyDown(VstKeyCode& key) override {
        lastKey = key;
        return true;
    }

    bool setScaleFactor(float factor) override {
        lastScale = factor;
        return true;
    }

    VstKeyCode lastKey{};
    float lastScale = -1.0f;

private:
    ProbeEffect* mProbe;
    bool* mAlive;
};

}  // namespace

TEST(AudioEffect, NullPointersAndDeprecatedOpcodesReachNoOperation) {
    ProbeEffect effect;
    AEffect* e = effect.getAeffect();
    const VstInt32 pointerOpcodes[] = {4, 5, 6, 7, 8, 23, 24, 27, 29, 34, 42, 45, 51, 69};
    for (VstInt32 opcode : pointerOpcodes)
        EXPECT_EQ(e->dispatcher(e, opcode, 0, 0, nullptr, 0.0f), 0) << opcode;
    EXPECT_EQ(effect.touched, 0);

    char text[64] = "untouched";
    const VstInt32 deprecated[] = {9,  16, 17, 18, 20, 21, 28, 30, 31, 32,  36,
                                   37, 43, 46, 53, 54, 55, 57, 80, 81, 200, -1};
    for (VstInt32 opcode : deprecated)
        EXPECT_EQ(e->dispatcher(e, opcode, 0, 1, text, 1.0f), 0) << opcode;
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(effect.touched, 0);

    // Every opcode of the table copes with a null pointer.
    for (VstInt32 opcode = 0; opcode <= 79; ++opcode)
        if (opcode != effClose) e->dispatcher(e, opcode, 0, 0, nullptr, 0.0f);
}

TEST(AudioEffect, CloseDestroysTheObjectAfterItsEditor) {
    int destroyed = 0;
    bool effectAliveAtEditorDeletion = false;
    auto* effect = new ProbeEffect(nullptr, &destroyed);
    effect->setEditor(new ProbeEditor(effect, &effectAliveAtEditorDeletion));
    AEffect* e = effect->getAeffect();
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(destroyed, 1);
    EXPECT_TRUE(effectAliveAtEditorDeletion);
}

TEST(AudioEffect, ExceptionsStopAtTheTrampoline) {
    ProbeEffect effect;
    AEffect* e = effect.getAeffect();
    EXPECT_EQ(e->dispatcher(e, effGetVstVersion, 0, 0, nullptr, 0.0f), 2400);
    effect.throwing = true;
    EXPECT_EQ(e->dispatcher(e, effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
}

TEST(AudioEffect, KeyOpcodesReachOnlyAnAttachedEditor) {
    ProbeEffect effect;
    AEffect* e = effect.getAeffect();
    EXPECT_EQ(e->dispatcher(e, effEditKeyDown, 'a', 3, nullptr, 2.0f), 0);
    auto* editor = new ProbeEditor(&effect);
    effect.setEditor(editor);
    EXPECT_EQ(e->dispatcher(e, effEditKeyDown, 'a', 3, nullptr, 2.0f), 1);
    EXPECT_EQ(editor->lastKey.character, 'a');
    EXPECT_EQ(editor->lastKey.virt, 3);
    EXPECT_EQ(editor->lastKey.modifier, 2);
}

TEST(AudioEffect, ScaleRequestReachesTheEditorAndOtherVendorRequestsTheEffect) {
    ProbeEffect effect;
    AEffect* e = effect.getAeffect();
    const VstInt32 index = 0x50726553, value = 0x41654373;  // 'PreS', 'AeCs'
    EXPECT_EQ(e->dispatcher(e, effVendorSpecific, index, value, nullptr, 2.0f), 0);  // no editor
    EXPECT_EQ(effect.vendorCalls, 0);
    auto* editor = new ProbeEditor(&effect);
    effect.setEditor(editor);
    EXPECT_EQ(e->dispatcher(e, effVendorSpecific, index, value, nullptr, 1.5f), 1);
    EXPECT_EQ(editor->lastScale, 1.5f);
    EXPECT_EQ(e->dispatcher(e, effVendorSpecific, index, 0x41655373, nullptr, 2.5f), 1);
    EXPECT_EQ(editor->lastScale, 2.5f);
    EXPECT_EQ(effect.vendorCalls, 0);
    // The same index with another value, or another index, is someone else's.
    EXPECT_EQ(e->dispatcher(e, effVendorSpecific, index, 1, nullptr, 3.0f), 1);
    EXPECT_EQ(e->dispatcher(e, effVendorSpecific, 1, value, nullptr, 3.0f), 2);
    EXPECT_EQ(editor->lastScale, 2.5f);
}

TEST(AudioEffectX, HostRequestsCarryTheRecordAndTheirArguments) {
    ProbeEffect effect(&recordingHost);
    AEffect* e = effect.getAeffect();
    effect.beginEdit(4);
    EXPECT_EQ(gLast.effect, e);
    EXPECT_EQ(gLast.opcode, audioMasterBeginEdit);
    EXPECT_EQ(gLast.index, 4);

    effect.setParameterAutomated(1, 0.25f);
    EXPECT_EQ(effect.lastIndex, 1);
    EXPECT_EQ(gLast.opcode, audioMasterAutomate);
    EXPECT_EQ(gLast.index, 1);
    EXPECT_EQ(gLast.opt, 0.25f);

    EXPECT_EQ(effect.getTimeInfo(0x600), &gTime);
    EXPECT_EQ(gLast.value, 0x600);

    char vendor[kVstMaxVendorStrLen];
    EXPECT_TRUE(effect.getHostVendorString(vendor));
    EXPECT_EQ(std::strlen(vendor), static_cast<std::size_t>(kVstMaxVendorStrLen - 1));
}

TEST(AudioEffectX, WithoutAHostEveryRequestAnswersItsDefault) {
    ProbeEffect effect;
    char text[kVstMaxVendorStrLen];
    std::memset(text, 'z', sizeof(text));
    EXPECT_FALSE(effect.getHostProductString(text));
    EXPECT_STREQ(text, "");
    EXPECT_EQ(effect.getTimeInfo(0x600), nullptr);
    EXPECT_DOUBLE_EQ(effect.updateSampleRate(), 44100.0);
    EXPECT_EQ(effect.getMasterVersion(), 1);
    EXPECT_FALSE(effect.beginEdit(0));
}
