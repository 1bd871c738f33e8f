#pragma once
// A VstEvents record with room for a fixed number of events, set up before
// processing so that filling and sending it never allocates.

#include "shell/Vst2.h"

#include <cstdint>
#include <vector>

namespace plughost {

class VstEventList {
public:
    explicit VstEventList(int capacity = 1024);

    int capacity() const { return static_cast<int>(store_.size()); }
    int size() const;
    void clear();

    // Appends a MIDI event; false (nothing added) when full.
    bool addMidi(VstInt32 deltaFrames, std::uint8_t status, std::uint8_t data1 = 0,
                 std::uint8_t data2 = 0);
    // Appends a copy of any 32-byte event record; false when full.
    bool addRaw(const VstEvent& event);
    // Appends a pointer to an event the caller keeps alive until the list is
    // sent (events larger than 32 bytes, such as system-exclusive ones).
    bool addExternal(VstEvent* event);
    // The event at `i` as stored (mutable so that tests can corrupt it).
    VstEvent& at(int i) { return store_[static_cast<std::size_t>(i)]; }

    VstEvents* events() { return reinterpret_cast<VstEvents*>(header_.data()); }

private:
    bool append(VstEvent* pointer);

    std::vector<VstEvent> store_;
    // VstEvents header followed by `capacity` pointers into store_.
    std::vector<std::uint64_t> header_;
};

}  // namespace plughost
