#include "tools/plughost/PluginHost.h"

#include "FakePlugin.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <thread>

using faketest::FakePlugin;
using namespace plughost;

namespace {

VstIntPtr ask(PluginInstance& p, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
              void* ptr = nullptr, float opt = 0.0f) {
    return PluginHost::callback(p.effect(), opcode, index, value, ptr, opt);
}

std::unique_ptr<PluginInstance> loadFake(PluginHost& host) {
    FakePlugin::next = faketest::FakeSettings();
    std::string error;
    auto p = host.loadEntry(&FakePlugin::entry, "fake", &error);
    EXPECT_TRUE(p) << error;
    return p;
}

}  // namespace

TEST(PluginHost, AVersionAnswerOfZeroMakesTheEntryRefuseAndLoadSaysSo) {
    PluginHost host;
    host.setVersionAnswer(0);
    std::string error;
    EXPECT_FALSE(host.loadEntry(&FakePlugin::entry, "fake", &error));
    EXPECT_NE(error.find("no effect"), std::string::npos);
    host.setVersionAnswer(2400);
    EXPECT_TRUE(host.loadEntry(&FakePlugin::entry, "fake", &error));
}

TEST(PluginHost, LoadReportsFilesThatAreNotPlugins) {
    PluginHost host;
    std::string error;
    EXPECT_FALSE(host.load("/nonexistent/Plugin.so", &error));
    EXPECT_FALSE(error.empty());
    // A shared object without a VST entry point: the maths library.
    Dl_info maths{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(static_cast<double (*)(double)>(&::cos)), &maths), 0);
    EXPECT_FALSE(host.load(maths.dli_fname, &error));
    EXPECT_NE(error.find("entry point"), std::string::npos);
}

TEST(PluginHost, AnswersTheConfiguredFactsToEachInstance) {
    PluginHost host;
    host.setSampleRate(96000);
    host.setBlockSize(64);
    host.setVendorString("Vendor");
    host.setProductString("");
    host.setVendorVersion(7);
    auto p = loadFake(host);
    EXPECT_EQ(ask(*p, audioMasterVersion), 2400);
    EXPECT_EQ(ask(*p, audioMasterGetSampleRate), 96000);
    EXPECT_EQ(ask(*p, audioMasterGetBlockSize), 64);
    EXPECT_EQ(ask(*p, audioMasterGetVendorVersion), 7);
    char text[64];
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(ask(*p, audioMasterGetVendorString, 0, 0, text), 1);
    EXPECT_STREQ(text, "Vendor");
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(ask(*p, audioMasterGetProductString, 0, 0, text), 0);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(ask(*p, audioMasterGetVendorString), 0) << "no buffer, no answer";
    EXPECT_EQ(ask(*p, audioMasterCanDo, 0, 0, const_cast<char*>("sendVstEvents")), 1);
    EXPECT_EQ(ask(*p, audioMasterCanDo, 0, 0, const_cast<char*>("SendVstEvents")), 0);
    EXPECT_EQ(ask(*p, audioMasterCanDo), 0);
    EXPECT_EQ(host.callCount(audioMasterGetSampleRate), 1);
}

TEST(PluginHost, LongVendorTextsAreCutToTheBufferOfTheInterface) {
    PluginHost host;
    host.setVendorString(std::string(200, 'v'));
    auto p = loadFake(host);
    char text[80];
    std::memset(text, 'x', sizeof text);
    ask(*p, audioMasterGetVendorString, 0, 0, text);
    EXPECT_EQ(std::strlen(text), 63u);
    EXPECT_EQ(text[64], 'x');
}

TEST(PluginHost, EditNotificationsAreRecordedWithTheirThreadsFromManyThreads) {
    PluginHost host;
    auto p = loadFake(host);
    ask(*p, audioMasterBeginEdit, 2);
    ask(*p, audioMasterAutomate, 2, 0, nullptr, 0.75f);
    ask(*p, audioMasterEndEdit, 2);
    std::thread::id worker;
    std::thread t([&] {
        worker = std::this_thread::get_id();
        for (int i = 0; i < 1000; ++i) ask(*p, audioMasterAutomate, 1, 0, nullptr, 0.5f);
    });
    for (int i = 0; i < 1000; ++i) ask(*p, audioMasterAutomate, 0, 0, nullptr, 0.25f);
    t.join();
    const auto edits = host.edits();
    ASSERT_EQ(edits.size(), 2003u);
    EXPECT_EQ(edits[0].kind, EditEvent::BeginEdit);
    EXPECT_EQ(edits[1].kind, EditEvent::Automate);
    EXPECT_EQ(edits[1].index, 2);
    EXPECT_FLOAT_EQ(edits[1].value, 0.75f);
    EXPECT_EQ(edits[2].kind, EditEvent::EndEdit);
    EXPECT_EQ(edits[0].thread, std::this_thread::get_id());
    int fromWorker = 0;
    for (const auto& e : edits)
        if (e.thread == worker) {
            ++fromWorker;
            EXPECT_EQ(e.index, 1);
        }
    EXPECT_EQ(fromWorker, 1000);
    host.clearEdits();
    EXPECT_TRUE(host.edits().empty());
}

TEST(PluginHost, TimeInfoFollowsTheTransportAndCanBeWithheld) {
    PluginHost host;
    host.setSampleRate(48000);
    host.setTempo(90);
    host.setTimeSignature(3, 4);
    auto p = loadFake(host);
    host.setPlaying(true);
    host.setPosition(0, 0);
    host.advance(48000 * 3);  // 3 s at 90 BPM = 4.5 quarters
    auto* t = reinterpret_cast<VstTimeInfo*>(ask(*p, audioMasterGetTime, 0, 0x600));
    ASSERT_NE(t, nullptr);
    EXPECT_DOUBLE_EQ(t->samplePos, 144000.0);
    EXPECT_DOUBLE_EQ(t->ppqPos, 4.5);
    EXPECT_DOUBLE_EQ(t->barStartPos, 3.0);
    EXPECT_DOUBLE_EQ(t->tempo, 90.0);
    EXPECT_EQ(t->timeSigNumerator, 3);
    EXPECT_TRUE(t->flags & kVstTransportPlaying);
    EXPECT_EQ(host.lastTimeInfoThread(), std::this_thread::get_id());
    host.setPlaying(false);
    host.advance(1000);
    EXPECT_DOUBLE_EQ(t->samplePos, 144000.0) << "a stopped transport stays put";
    EXPECT_FALSE(t->flags & kVstTransportPlaying);
    host.setTimeInfoAvailable(false);
    EXPECT_EQ(ask(*p, audioMasterGetTime, 0, 0x600), 0);
}

TEST(PluginHost, InstancesOfOneHostAnswerForThemselvesAndCloseCleanly) {
    PluginHost host;
    auto a = loadFake(host);
    FakePlugin* fakeA = FakePlugin::last;
    auto b = loadFake(host);
    FakePlugin* fakeB = FakePlugin::last;
    EXPECT_NE(a->effect(), b->effect());
    a->setSampleRate(44100);
    a->resume();
    EXPECT_TRUE(fakeA->resumed);
    EXPECT_FALSE(fakeB->resumed);
    a.reset();  // suspends first, then closes
    EXPECT_EQ(FakePlugin::last, fakeB);
    EXPECT_EQ(ask(*b, audioMasterGetSampleRate), 44100);
}

TEST(PluginInstance, WrappersReadTextsParametersAndChunks) {
    PluginHost host;
    auto p = loadFake(host);
    EXPECT_EQ(p->paramName(1), "Par1");
    EXPECT_EQ(p->findParameter("pAR2"), 2);
    EXPECT_EQ(p->findParameter("Par"), -1);
    EXPECT_TRUE(p->string2Parameter(0, "0.5"));
    EXPECT_FLOAT_EQ(p->getParameter(0), 0.5f);
    EXPECT_EQ(p->paramDisplay(0), "0.50");
    const auto chunk = p->getChunk(false);
    ASSERT_EQ(chunk.size(), 2 * (24 + 3 * sizeof(float)));  // both programs: name and values
    p->setParameter(0, 0.0f);
    EXPECT_EQ(p->setChunk(chunk, false), 1);
    EXPECT_FLOAT_EQ(p->getParameter(0), 0.5f);
    p->setProgram(1);
    EXPECT_EQ(p->getProgram(), 1);
    EXPECT_EQ(p->canDo("receiveVstMidiEvent"), 1);
}

TEST(PluginInstance, CutParameterNamesMatchOnlyWhenTheyAreUnambiguous) {
    faketest::FakeSettings s;
    s.names = {"Partial2", "Partial3", "LFODepth"};
    FakePlugin::next = s;
    PluginHost host;
    auto p = host.loadEntry(&FakePlugin::entry, "fake");
    ASSERT_EQ(p->paramName(2), "LFODept");
    EXPECT_EQ(p->findParameter("lfodepth"), 2);
    EXPECT_EQ(p->findParameter("LFODept"), 2);
    EXPECT_EQ(p->findParameter("Partial2"), -1);
    EXPECT_EQ(p->parametersCutFrom("Partial2"), (std::vector<VstInt32>{0, 1}));
    EXPECT_EQ(p->findParameter("LFO"), -1) << "a shorter name is no match";
}

TEST(VstEventList, HoldsItsCapacityAndRefusesMore) {
    VstEventList list(3);
    EXPECT_TRUE(list.addMidi(0, 0x90, 60, 1));
    EXPECT_TRUE(list.addMidi(5, 0x80, 60, 0));
    EXPECT_TRUE(list.addMidi(9, 0xE0, 0, 64));
    EXPECT_FALSE(list.addMidi(10, 0x90, 61, 1));
    VstEvents* e = list.events();
    ASSERT_EQ(e->numEvents, 3);
    VstEvent* const* pointers = e->events;  // numEvents entries, more than the declared two
    const auto* third = reinterpret_cast<const VstMidiEvent*>(pointers[2]);
    EXPECT_EQ(third->type, kVstMidiType);
    EXPECT_EQ(third->byteSize, int(sizeof(VstMidiEvent)));
    EXPECT_EQ(third->deltaFrames, 9);
    EXPECT_EQ(static_cast<unsigned char>(third->midiData[0]), 0xE0);
    EXPECT_EQ(third->midiData[2], 64);
    list.clear();
    EXPECT_EQ(e->numEvents, 0);
    EXPECT_TRUE(list.addMidi(1, 0x90, 62, 1));
    EXPECT_EQ(reinterpret_cast<const VstMidiEvent*>(e->events[0])->midiData[1], 62);
}
