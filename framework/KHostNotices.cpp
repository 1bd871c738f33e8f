#include "framework/KHostNotices.h"

#include <cstring>

namespace KAMO {

namespace {

constexpr int kIndexBits = 24;
constexpr std::uint64_t kIndexMask = (std::uint64_t{1} << kIndexBits) - 1;
constexpr int kIndexShift = 32;
constexpr int kKindShift = kIndexShift + kIndexBits;
constexpr std::uint64_t kResendBit = std::uint64_t{1} << 62;

}  // namespace

KHostNotices::KHostNotices() {
    for (auto& slot : mSlots) slot.store(0, std::memory_order_relaxed);
    for (auto& word : mStale) word.store(0, std::memory_order_relaxed);
}

void KHostNotices::markStale(int index) {
    if (index < kStaleWords * 64)
        mStale[index / 64].fetch_or(std::uint64_t{1} << (index % 64), std::memory_order_release);
    else
        mAllStale.store(true, std::memory_order_release);
}

std::uint64_t KHostNotices::encode(Kind kind, int index, float value, bool resend) {
    std::uint32_t valueBits;
    std::memcpy(&valueBits, &value, sizeof valueBits);
    return valueBits | (static_cast<std::uint64_t>(index) & kIndexMask) << kIndexShift |
           static_cast<std::uint64_t>(kind) << kKindShift | (resend ? kResendBit : 0);
}

KHostNotices::Notice KHostNotices::decode(std::uint64_t bits) {
    Notice notice;
    const auto valueBits = static_cast<std::uint32_t>(bits);
    std::memcpy(&notice.value, &valueBits, sizeof notice.value);
    notice.index = static_cast<int>((bits >> kIndexShift) & kIndexMask);
    notice.kind = static_cast<Kind>((bits >> kKindShift) & 3);
    notice.resend = (bits & kResendBit) != 0;
    return notice;
}

bool KHostNotices::append(std::uint64_t bits) {
    const std::uint32_t tail = mTail.load(std::memory_order_relaxed);
    mSlots[tail & kMask].store(bits, std::memory_order_relaxed);
    mTail.store(tail + 1, std::memory_order_release);
    mNewest = bits;
    return true;
}

bool KHostNotices::foldValue(int index, float value) {
    const Notice newest = decode(mNewest);
    const std::uint32_t tail = mTail.load(std::memory_order_relaxed);
    if (newest.kind != Value || newest.index != index ||
        mHead.load(std::memory_order_acquire) == tail)
        return false;
    std::uint64_t expected = mNewest;
    const std::uint64_t folded = encode(Value, index, value, false);
    if (!mSlots[(tail - 1) & kMask].compare_exchange_strong(expected, folded,
                                                            std::memory_order_relaxed))
        return false;  // fetched meanwhile
    mNewest = folded;
    return true;
}

bool KHostNotices::skipEndOf(int index) {
    for (int i = 0; i < mSkippedCount; ++i)
        if (mSkipped[i] == index) {
            mSkipped[i] = mSkipped[--mSkippedCount];
            return true;
        }
    return false;
}

bool KHostNotices::push(Kind kind, int index, float value) {
    if (kind == None || index < 0 || static_cast<std::uint64_t>(index) > kIndexMask) return false;
    const std::uint32_t used =
        mTail.load(std::memory_order_relaxed) - mHead.load(std::memory_order_acquire);
    const int room = kCapacity - static_cast<int>(used);
    switch (kind) {
    case Value:
        if (room > kValueReserve) return append(encode(Value, index, value, false));
        if (foldValue(index, value)) return true;
        mValuesDropped = true;
        markStale(index);
        break;
    case Begin:
        if (room > kBeginReserve) return append(encode(Begin, index, value, false));
        if (mSkippedCount < kSkippedLimit) mSkipped[mSkippedCount++] = index;
        break;
    case End:
        if (skipEndOf(index)) break;
        if (room > 0) {
            append(encode(End, index, value, mValuesDropped));
            mValuesDropped = false;
            return true;
        }
        markStale(index);
        break;
    case None:
        break;
    }
    mDropped.fetch_add(1, std::memory_order_relaxed);
    return false;
}

}  // namespace KAMO
