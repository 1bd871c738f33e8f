#pragma once
// What a plug-in told its host, kept in order whichever thread it called
// on, for tools and tests to read afterwards.

#include <mutex>
#include <utility>
#include <vector>

namespace plughost {

template <typename Entry>
class CallLog {
public:
    void add(Entry entry) {
        std::lock_guard<std::mutex> lock(mutex_);
        entries_.push_back(std::move(entry));
    }
    std::vector<Entry> entries() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return entries_;
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        entries_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
};

}  // namespace plughost
