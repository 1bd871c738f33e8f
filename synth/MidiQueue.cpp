#include "synth/MidiQueue.h"

#include <cstring>

void MidiQueue::reserve(std::int64_t capacity) {
    if (capacity > capacity_) {
        slots_.reset(new MidiRecord[capacity]());
        capacity_ = capacity;
    }
    clear();
}

bool MidiQueue::add(const void* event) {
    if (event == nullptr || write_ >= capacity_) return false;
    std::int32_t type;
    std::memcpy(&type, event, sizeof type);
    if (type != kMidiType) return false;
    std::memcpy(&slots_[write_], event, sizeof(MidiRecord));
    ++write_;
    return true;
}
