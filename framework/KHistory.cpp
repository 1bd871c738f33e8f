#include "framework/KHistory.h"

#include <cfloat>
#include <cmath>

namespace KAMO {
namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

void freeArray(std::atomic<double>*& a) {
    delete[] a;
    a = nullptr;
}

}  // namespace

KHistory::~KHistory() {
    freeArray(mMinA);
    freeArray(mMaxA);
    freeArray(mMinB);
    freeArray(mMaxB);
}

void KHistory::setUp(int columns, double span, double sampleRate) {
    if (columns < 0) columns = 0;
    if (columns != mColumns) {
        freeArray(mMinA);
        freeArray(mMaxA);
        freeArray(mMinB);
        freeArray(mMaxB);
        mColumns = columns;
        if (columns > 0) {
            mMinA = new std::atomic<double>[columns];
            mMaxA = new std::atomic<double>[columns];
            mMinB = new std::atomic<double>[columns];
            mMaxB = new std::atomic<double>[columns];
        }
    }
    for (int i = 0; i < mColumns; ++i) {
        mMinA[i].store(0.0, kRelaxed);
        mMaxA[i].store(0.0, kRelaxed);
        mMinB[i].store(0.0, kRelaxed);
        mMaxB[i].store(0.0, kRelaxed);
    }
    // At least one sample per column: with none, no column would ever
    // complete and the sample count would run away.
    double perColumn = mColumns > 0 ? std::floor(sampleRate * span / mColumns) : 1.0;
    if (!(perColumn >= 1.0)) perColumn = 1.0;
    if (perColumn > double(INT32_MAX)) perColumn = double(INT32_MAX);
    mSamplesPerColumn = int(perColumn);
    mGathered = 0;
    mWrite.store(0, kRelaxed);
    mChanges.store(0, kRelaxed);
    resetExtremes(DBL_MAX);
}

void KHistory::resetExtremes(double limit) {
    mRunMinA = mRunMinB = limit;
    mRunMaxA = mRunMaxB = -limit;
}

void KHistory::add(double a, double b) {
    if (mColumns <= 0) return;
    if (a < mRunMinA) mRunMinA = a;
    if (a > mRunMaxA) mRunMaxA = a;
    if (b < mRunMinB) mRunMinB = b;
    if (b > mRunMaxB) mRunMaxB = b;
    if (++mGathered < mSamplesPerColumn) return;

    int w = mWrite.load(kRelaxed);
    mMinA[w].store(mRunMinA, kRelaxed);
    mMaxA[w].store(mRunMaxA, kRelaxed);
    mMinB[w].store(mRunMinB, kRelaxed);
    mMaxB[w].store(mRunMaxB, kRelaxed);
    // Wraps rather than overflows; readers only compare for inequality.
    mChanges.store(std::int32_t(std::uint32_t(mChanges.load(kRelaxed)) + 1u), kRelaxed);
    mGathered = 0;
    resetExtremes(FLT_MAX);
    mWrite.store(w + 1 >= mColumns ? 0 : w + 1, kRelaxed);
}

bool KHistory::column(int i, Column& out) const {
    if (mColumns <= 0) {
        out = Column{0, 0, 0, 0};
        return false;
    }
    long slot = (long(mWrite.load(kRelaxed)) - 1 - long(i)) % mColumns;
    if (slot < 0) slot += mColumns;
    out.minA = mMinA[slot].load(kRelaxed);
    out.maxA = mMaxA[slot].load(kRelaxed);
    out.minB = mMinB[slot].load(kRelaxed);
    out.maxB = mMaxB[slot].load(kRelaxed);
    return true;
}

}  // namespace KAMO
