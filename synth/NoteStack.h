#pragma once
// The keys being held, most recent last, each at most once: the voice always
// plays the top key, so releasing it falls back to the one pressed before.

#include <cstdint>
#include <memory>

class NoteStack {
public:
    static constexpr int kInitialCapacity = 128;  // every MIDI key at once
    static constexpr int kGrowth = 32;

    NoteStack();

    // A key already held moves to the top.
    void push(std::int32_t key);
    // Removes the key if held; otherwise nothing changes.
    void remove(std::int32_t key);
    // The most recent key, or -1 when none is held.
    std::int32_t top() const { return count_ > 0 ? keys_[count_ - 1] : -1; }
    void clear() { count_ = 0; }

    int count() const { return count_; }
    bool empty() const { return count_ == 0; }
    int capacity() const { return capacity_; }
    std::int32_t at(int i) const { return keys_[i]; }

private:
    int find(std::int32_t key) const;
    void eraseAt(int index);

    std::unique_ptr<std::int32_t[]> keys_;
    int capacity_ = 0;
    int count_ = 0;
};
