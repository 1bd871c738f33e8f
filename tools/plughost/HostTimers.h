#pragma once
// The timers a plug-in asks its host for, each known by a key of the
// plug-in's format (an id, a handler), fired from the host's idle loop once
// its period has passed.

#include "tools/plughost/HostIdler.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace plughost {

template <typename Key>
class HostTimers {
public:
    void add(Key key, std::uint64_t ms) { timers_.push_back({key, ms, steadyMs() + ms}); }
    // False when no timer has that key.
    bool remove(Key key) {
        const auto before = timers_.size();
        timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                                     [&](const Timer& t) { return t.key == key; }),
                      timers_.end());
        return timers_.size() != before;
    }
    void clear() { timers_.clear(); }
    int count() const { return static_cast<int>(timers_.size()); }

    // Calls `fire(key)` for every timer that is due.
    template <typename Fire>
    void fireDue(Fire&& fire) {
        const std::uint64_t now = steadyMs();
        // A copy: a timer may unregister itself or others.
        const std::vector<Timer> timers = timers_;
        for (const Timer& t : timers) {
            auto it = std::find_if(timers_.begin(), timers_.end(),
                                   [&](const Timer& x) { return x.key == t.key; });
            if (it == timers_.end() || it->due > now) continue;
            it->due = now + it->ms;
            fire(t.key);
        }
    }

private:
    struct Timer {
        Key key;
        std::uint64_t ms;
        std::uint64_t due;
    };
    std::vector<Timer> timers_;
};

}  // namespace plughost
