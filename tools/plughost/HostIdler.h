#pragma once
// The idle loop every host window runs to serve its plug-in, apart from the
// display so that headers of host windows need not include Xlib.

#include <cstdint>
#include <functional>

namespace plughost {

// The steady clock in milliseconds, for the timers a host keeps for its
// plug-in.
std::uint64_t steadyMs();

// Calls `idle` about every 20 ms until `done` answers true (then true) or
// `ms` milliseconds have passed (then false); `done` is asked after each idle.
bool idleUntil(const std::function<void()>& idle, const std::function<bool()>& done, int ms);

// What every host window does to serve its plug-in: its own idle(), and
// pump() and pumpUntil() calling it about every 20 ms. A host window owns
// its window and the plug-in's editor in it, so it is never copied.
class HostIdler {
public:
    HostIdler() = default;
    virtual ~HostIdler() = default;
    HostIdler(const HostIdler&) = delete;
    HostIdler& operator=(const HostIdler&) = delete;
    virtual void idle() = 0;
    // Idles for `ms` milliseconds.
    void pump(int ms) {
        pumpUntil([] { return false; }, ms);
    }
    // Idles until `done` answers true or `ms` milliseconds have passed.
    bool pumpUntil(const std::function<bool()>& done, int ms) {
        return idleUntil([this] { idle(); }, done, ms);
    }
};

}  // namespace plughost
