// What the host hears of the editor's edits, and on which thread: the value
// is stored at once, the host's callbacks wait for its idle thread.

#include "KEffectTestEffect.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using ktest::TestEffect;

namespace {

struct Call {
    VstInt32 opcode;
    VstInt32 index;
    float value;
    std::thread::id thread;
};
std::vector<Call> gHeard;

VstIntPtr threadHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt) {
    if (opcode == audioMasterAutomate || opcode == audioMasterBeginEdit ||
        opcode == audioMasterEndEdit)
        gHeard.push_back({opcode, index, opt, std::this_thread::get_id()});
    return 0;
}

}  // namespace

TEST(KEffectEditorNotices, WaitForTheIdleThreadAndComeFirstWhenThatThreadEditsItself) {
    TestEffect effect(threadHost);
    gHeard.clear();
    effect.editorIdle();  // this thread is the host's from now on
    std::thread([&] {
        effect.beginParameterEdit(TestEffect::kDetune);
        effect.performParameterEdit(TestEffect::kDetune, 0.75);
        effect.endParameterEdit(TestEffect::kDetune);
        effect.setParameterAutomated(TestEffect::kMain, 0.25f);
    }).join();
    EXPECT_FLOAT_EQ(effect.getParameter(TestEffect::kDetune), 0.75f);  // stored at once
    EXPECT_FLOAT_EQ(effect.getParameter(TestEffect::kMain), 0.25f);
    EXPECT_TRUE(gHeard.empty());

    // An edit on the host's own thread goes out at once, behind what waited.
    effect.performParameterEdit(TestEffect::kMain, 0.5);
    const std::vector<VstInt32> order = {audioMasterBeginEdit, audioMasterAutomate,
                                         audioMasterAutomate,  audioMasterEndEdit,
                                         audioMasterAutomate,  audioMasterAutomate};
    ASSERT_EQ(gHeard.size(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(gHeard[i].opcode, order[i]) << i;
        EXPECT_EQ(gHeard[i].thread, std::this_thread::get_id()) << i;
    }
    EXPECT_FLOAT_EQ(gHeard[1].value, 0.5f);  // the value before the gesture
    EXPECT_FLOAT_EQ(gHeard[2].value, 0.75f);
    EXPECT_FLOAT_EQ(gHeard[4].value, 0.25f);
    EXPECT_FLOAT_EQ(gHeard[5].value, 0.5f);
    EXPECT_TRUE(effect.editorNotices().empty());

    // Left over at a close: delivered by whoever closes.
    gHeard.clear();
    std::thread([&] { effect.reportParameter(TestEffect::kDetune); }).join();
    EXPECT_TRUE(gHeard.empty());
    effect.deliverEditorNotices();
    ASSERT_EQ(gHeard.size(), 1u);
    EXPECT_EQ(gHeard[0].index, TestEffect::kDetune);
}

// However many values the queue had to fold or drop while the host stayed
// away, the host's last value of every parameter is the effect's after its
// next idle, and a gesture reaches it whole.
TEST(KEffectEditorNotices, TheHostEndsOnTheEffectsValuesHoweverManyWereDropped) {
    TestEffect effect(threadHost);
    effect.editorIdle();
    gHeard.clear();
    const int edited[] = {TestEffect::kDetune, TestEffect::kMain, TestEffect::kWide};
    std::thread([&] {
        effect.beginParameterEdit(TestEffect::kReset);
        for (int i = 0; i < 3000; ++i) {
            for (const int index : edited)
                effect.performParameterEdit(index, ((i * 7 + index * 13) % 100) / 99.0);
            effect.performParameterEdit(TestEffect::kReset, (i % 50) / 49.0);
        }
        effect.endParameterEdit(TestEffect::kReset);
    }).join();
    EXPECT_GT(effect.editorNotices().dropped(), 0u);
    effect.editorIdle();

    int open = -1, begins = 0;
    float last[TestEffect::kParameterCount];
    bool told[TestEffect::kParameterCount] = {};
    for (const Call& call : gHeard) {
        EXPECT_EQ(call.thread, std::this_thread::get_id());
        if (call.opcode == audioMasterBeginEdit) {
            EXPECT_EQ(open, -1);
            open = call.index, ++begins;
        } else if (call.opcode == audioMasterEndEdit) {
            EXPECT_EQ(open, call.index);
            open = -1;
        } else {
            last[call.index] = call.value;
            told[call.index] = true;
        }
    }
    EXPECT_EQ(open, -1);
    EXPECT_EQ(begins, 1);
    for (const int index :
         {TestEffect::kDetune, TestEffect::kMain, TestEffect::kWide, TestEffect::kReset}) {
        ASSERT_TRUE(told[index]) << index;
        EXPECT_EQ(last[index], effect.getParameter(index)) << index;
    }
}
