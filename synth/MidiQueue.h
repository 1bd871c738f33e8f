#pragma once
// The MIDI events of one block, kept in arrival order and handed to the
// voice at the exact sample their frame offset names.
//
// Records have the byte layout of the host's 32-byte MIDI event; only the
// frame offset and the three data bytes are read. The queue is filled once
// per block by the host's event call and consumed strictly in order: an
// event whose offset has already passed is never dispatched and holds back
// everything behind it until the next fill (hosts send events sorted).

#include <cstdint>
#include <memory>

struct MidiRecord {
    std::int32_t type;
    std::int32_t byteSize;
    std::int32_t deltaFrames;
    std::int32_t flags;
    std::int32_t noteLength;
    std::int32_t noteOffset;
    unsigned char midiData[4];
    std::int8_t detune;
    std::uint8_t noteOffVelocity;
    char reserved1;
    char reserved2;
};
static_assert(sizeof(MidiRecord) == 32, "a queued record is the first 32 bytes of a MIDI event");

class MidiQueue {
public:
    static constexpr std::int32_t kMidiType = 1;
    static constexpr std::int64_t kCapacity = 512;

    // Allocates only when growing; existing storage is kept otherwise.
    void reserve(std::int64_t capacity);
    // Drops whatever is queued and restarts the frame count.
    void clear() {
        read_ = 0;
        write_ = 0;
        frame_ = 0;
    }
    // Copies the first 32 bytes of `event` when it is a MIDI event and there
    // is room; answers whether it was queued.
    bool add(const void* event);

    // Hands `handler` every event due at the sample about to be rendered.
    template <typename Handler>
    void dispatchDue(Handler& handler) {
        while (read_ < write_ && slots_[read_].deltaFrames == frame_) {
            handler.handleMidi(slots_[read_]);
            ++read_;
        }
    }
    // How many samples may be rendered before the next event is due, or -1
    // when none will be (the queue is empty, or its head has passed).
    std::int64_t framesToNext() const {
        if (read_ >= write_ || slots_[read_].deltaFrames < frame_) return -1;
        return slots_[read_].deltaFrames - frame_;
    }
    // Counts `frames` rendered samples.
    void skip(std::int64_t frames) { frame_ += frames; }
    // One sample's worth: the due events, then the sample counted.
    template <typename Handler>
    void dispatch(Handler& handler) {
        dispatchDue(handler);
        skip(1);
    }

    std::int64_t capacity() const { return capacity_; }
    std::int64_t size() const { return write_; }
    std::int64_t pending() const { return write_ - read_; }
    std::int64_t frame() const { return frame_; }
    const MidiRecord& at(std::int64_t i) const { return slots_[i]; }

private:
    std::unique_ptr<MidiRecord[]> slots_;
    std::int64_t capacity_ = 0;
    std::int64_t read_ = 0;
    std::int64_t write_ = 0;
    std::int64_t frame_ = 0;
};
