#include "synth/NoteStack.h"

#include <algorithm>

NoteStack::NoteStack() : keys_(new std::int32_t[kInitialCapacity]), capacity_(kInitialCapacity) {}

int NoteStack::find(std::int32_t key) const {
    for (int i = 0; i < count_; ++i) {
        if (keys_[i] == key) return i;
    }
    return -1;
}

void NoteStack::eraseAt(int index) {
    std::copy(keys_.get() + index + 1, keys_.get() + count_, keys_.get() + index);
    --count_;
}

void NoteStack::push(std::int32_t key) {
    const int at = find(key);
    if (at >= 0) eraseAt(at);
    if (count_ == capacity_) {
        // Never reached with MIDI keys (at most 128 distinct ones); kept so
        // that the stack stays correct for any key values.
        std::unique_ptr<std::int32_t[]> grown(new std::int32_t[capacity_ + kGrowth]);
        std::copy(keys_.get(), keys_.get() + count_, grown.get());
        keys_ = std::move(grown);
        capacity_ += kGrowth;
    }
    keys_[count_++] = key;
}

void NoteStack::remove(std::int32_t key) {
    const int at = find(key);
    if (at >= 0) eraseAt(at);
}
