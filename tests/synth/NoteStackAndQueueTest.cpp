// Held-key stack and the per-block MIDI queue.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "synth/MidiQueue.h"
#include "synth/NoteStack.h"

static std::vector<int> keysOf(const NoteStack& stack) {
    std::vector<int> keys;
    for (int i = 0; i < stack.count(); ++i) keys.push_back(stack.at(i));
    return keys;
}

TEST(NoteStack, RepressedKeyMovesToTheTopAndIsHeldOnce) {
    NoteStack stack;
    EXPECT_EQ(stack.top(), -1);
    stack.push(60);
    stack.push(64);
    stack.push(67);
    stack.push(60);
    EXPECT_EQ(keysOf(stack), (std::vector<int>{64, 67, 60}));
    EXPECT_EQ(stack.top(), 60);
}

TEST(NoteStack, RemovingKeepsTheOrderAndIgnoresKeysNotHeld) {
    NoteStack stack;
    for (int key : {60, 64, 67}) stack.push(key);
    stack.remove(64);
    stack.remove(99);
    EXPECT_EQ(keysOf(stack), (std::vector<int>{60, 67}));
    stack.remove(67);
    EXPECT_EQ(stack.top(), 60);
    stack.remove(60);
    EXPECT_EQ(stack.top(), -1);
    EXPECT_TRUE(stack.empty());
}

TEST(NoteStack, AllMidiKeysFitWithoutGrowingAndMoreKeysGrowByThirtyTwo) {
    NoteStack stack;
    for (int key = 0; key < 128; ++key) stack.push(key);
    EXPECT_EQ(stack.capacity(), 128);
    stack.push(1000);
    EXPECT_EQ(stack.capacity(), 160);
    EXPECT_EQ(stack.count(), 129);
    EXPECT_EQ(stack.at(0), 0);
    EXPECT_EQ(stack.at(127), 127);
    EXPECT_EQ(stack.top(), 1000);
    stack.clear();
    EXPECT_EQ(stack.top(), -1);
}

namespace {
MidiRecord midi(std::int32_t delta, unsigned char status, unsigned char d1 = 60, unsigned char d2 = 100) {
    MidiRecord r;
    std::memset(&r, 0, sizeof r);
    r.type = MidiQueue::kMidiType;
    r.byteSize = 32;
    r.deltaFrames = delta;
    r.midiData[0] = status;
    r.midiData[1] = d1;
    r.midiData[2] = d2;
    return r;
}

struct Recorder {
    std::vector<std::pair<std::int64_t, int>> seen;  // (frame, key)
    std::int64_t frame = 0;
    void handleMidi(const MidiRecord& r) { seen.emplace_back(frame, r.midiData[1]); }
};

// Dispatches `frames` samples, as the render loop does.
void run(MidiQueue& queue, Recorder& recorder, int frames) {
    for (int i = 0; i < frames; ++i) {
        recorder.frame = queue.frame();
        queue.dispatch(recorder);
    }
}
}  // namespace

TEST(MidiQueue, HoldsAtMost512EventsPerFill) {
    MidiQueue queue;
    EXPECT_FALSE(queue.add(nullptr));
    const MidiRecord e = midi(0, 0x90);
    EXPECT_FALSE(queue.add(&e)) << "no storage before the first reserve";
    queue.reserve(MidiQueue::kCapacity);
    int added = 0;
    for (int i = 0; i < 600; ++i) {
        const MidiRecord r = midi(i, 0x90, static_cast<unsigned char>(i & 0x7F));
        added += queue.add(&r) ? 1 : 0;
    }
    EXPECT_EQ(added, 512);
    EXPECT_EQ(queue.size(), 512);
    EXPECT_EQ(queue.at(511).deltaFrames, 511);
}

TEST(MidiQueue, SkipsEventsThatAreNotMidi) {
    MidiQueue queue;
    queue.reserve(MidiQueue::kCapacity);
    MidiRecord sysex = midi(0, 0xF0);
    sysex.type = 6;
    EXPECT_FALSE(queue.add(&sysex));
    EXPECT_EQ(queue.size(), 0);
}

TEST(MidiQueue, DispatchesEachEventAtItsFrameInArrivalOrder) {
    MidiQueue queue;
    queue.reserve(MidiQueue::kCapacity);
    for (const MidiRecord& r : {midi(0, 0x90, 1), midi(3, 0x90, 2), midi(3, 0x80, 3), midi(7, 0x90, 4)}) queue.add(&r);
    Recorder rec;
    run(queue, rec, 10);
    const std::vector<std::pair<std::int64_t, int>> expected{{0, 1}, {3, 2}, {3, 3}, {7, 4}};
    EXPECT_EQ(rec.seen, expected);
    EXPECT_EQ(queue.frame(), 10);
}

TEST(MidiQueue, AnEventOutOfOrderIsNeverDispatchedAndHoldsBackTheRest) {
    MidiQueue queue;
    queue.reserve(MidiQueue::kCapacity);
    for (const MidiRecord& r : {midi(5, 0x90, 1), midi(3, 0x90, 2), midi(8, 0x90, 3)}) queue.add(&r);
    Recorder rec;
    run(queue, rec, 20);
    const std::vector<std::pair<std::int64_t, int>> expected{{5, 1}};
    EXPECT_EQ(rec.seen, expected);
    EXPECT_EQ(queue.pending(), 2);
}

TEST(MidiQueue, FrameCountRunsOnAcrossBlocksUntilTheNextFill) {
    MidiQueue queue;
    queue.reserve(MidiQueue::kCapacity);
    const MidiRecord late = midi(70, 0x90, 9);
    queue.add(&late);
    Recorder rec;
    run(queue, rec, 64);  // a block without a new fill: the event stays due
    EXPECT_TRUE(rec.seen.empty());
    run(queue, rec, 64);
    ASSERT_EQ(rec.seen.size(), 1u);
    EXPECT_EQ(rec.seen[0].first, 70);

    const MidiRecord never = midi(100, 0x90, 10);
    queue.clear();
    queue.add(&never);
    run(queue, rec, 64);
    queue.clear();  // the next fill drops what did not come due
    run(queue, rec, 64);
    EXPECT_EQ(rec.seen.size(), 1u);
}

TEST(MidiQueue, ReservingAgainKeepsStorageThatIsLargeEnough) {
    MidiQueue queue;
    queue.reserve(MidiQueue::kCapacity);
    const MidiRecord* storage = &queue.at(0);
    const MidiRecord e = midi(0, 0x90);
    queue.add(&e);
    queue.reserve(MidiQueue::kCapacity);
    EXPECT_EQ(&queue.at(0), storage);
    EXPECT_EQ(queue.size(), 0);
    EXPECT_EQ(queue.capacity(), 512);
}
