#pragma once
// What the editor's thread has to tell the host (a gesture's begin and end,
// new values), held until the host's own editor thread fetches it. VST 2.4
// hosts keep per-thread state behind these callbacks and expect them on the
// thread that drives the editor (the one calling effEditIdle); the editor
// draws and edits on a thread of its own. One producer (the editor thread)
// and one consumer (that host thread): the producer never allocates, locks
// or waits, so the knob under the mouse never stalls on the host.

#include <atomic>
#include <cstdint>

namespace KAMO {

class KHostNotices {
public:
    enum Kind { None, Begin, Value, End };
    struct Notice {
        Kind kind;
        int index;
        // Begin: the value when the gesture began; Value: the new value;
        // End: the value at the end.
        float value;
        // End only: values of the gesture were dropped on the way, so the
        // host has to be told the last one before the gesture closes.
        bool resend;
    };

    static constexpr int kCapacity = 1024;
    // Free places a value leaves for begins and ends, and a begin for ends:
    // however long the host stays away, every gesture that was begun can
    // still be closed.
    static constexpr int kValueReserve = 64;
    static constexpr int kBeginReserve = 32;
    // Begins dropped whose ends are still to come (the ends go too).
    static constexpr int kSkippedLimit = 8;

    KHostNotices();
    KHostNotices(const KHostNotices&) = delete;
    KHostNotices& operator=(const KHostNotices&) = delete;

    // Producer side. When the queue runs short a value folds into the one
    // before it if that is of the same parameter and not fetched yet, and
    // is dropped otherwise (the end of its gesture then carries the last
    // value, and the parameter is marked stale); a begin that finds no room
    // is dropped with its end. False when the notice was dropped.
    bool push(Kind kind, int index, float value);

    // Consumer side, after drain: hands `resend` every parameter whose value
    // was dropped since the last call, lowest index first, so that the host
    // can be told the value it holds now. Marks are taken whole: a value
    // dropped meanwhile marks its parameter again for the next call.
    template <class Resend>
    void takeStale(Resend&& resend) {
        for (int w = 0; w < kStaleWords; ++w) {
            std::uint64_t bits = mStale[w].exchange(0, std::memory_order_acquire);
            for (int b = 0; bits; ++b, bits >>= 1)
                if (bits & 1) resend(w * 64 + b);
        }
        if (mAllStale.exchange(false, std::memory_order_acquire)) resend(-1);
    }

    // Consumer side: hands every notice queued so far to `deliver`, oldest
    // first; answers how many.
    template <class Deliver>
    int drain(Deliver&& deliver) {
        std::uint32_t head = mHead.load(std::memory_order_relaxed);
        const std::uint32_t tail = mTail.load(std::memory_order_acquire);
        int count = 0;
        for (; head != tail; ++count) {
            // Taken before the place is freed, so a fold that comes too
            // late fails instead of changing a notice already delivered.
            const std::uint64_t bits = mSlots[head & kMask].exchange(0, std::memory_order_acq_rel);
            mHead.store(++head, std::memory_order_release);
            deliver(decode(bits));
        }
        return count;
    }

    bool empty() const {
        return mHead.load(std::memory_order_acquire) == mTail.load(std::memory_order_acquire);
    }
    // Notices dropped since creation (a host that stopped fetching).
    std::uint32_t dropped() const { return mDropped.load(std::memory_order_relaxed); }

private:
    static constexpr std::uint32_t kMask = kCapacity - 1;
    // One stale mark per parameter up to kStaleWords * 64; a parameter past
    // those marks all of them stale (resend(-1)).
    static constexpr int kStaleWords = 16;
    static_assert((kCapacity & kMask) == 0, "the capacity is a power of two");

    static std::uint64_t encode(Kind kind, int index, float value, bool resend);
    static Notice decode(std::uint64_t bits);
    bool append(std::uint64_t bits);
    bool foldValue(int index, float value);
    bool skipEndOf(int index);
    void markStale(int index);

    // One notice per place, whole in one atomic word.
    std::atomic<std::uint64_t> mSlots[kCapacity];
    std::atomic<std::uint32_t> mHead{0};  // written by the consumer
    std::atomic<std::uint32_t> mTail{0};  // written by the producer
    std::atomic<std::uint32_t> mDropped{0};
    std::atomic<std::uint64_t> mStale[kStaleWords];
    std::atomic<bool> mAllStale{false};
    // Producer side only.
    std::uint64_t mNewest = 0;
    bool mValuesDropped = false;
    int mSkipped[kSkippedLimit] = {};
    int mSkippedCount = 0;
};

}  // namespace KAMO
