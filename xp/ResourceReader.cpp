#include "xp/ResourceReader.h"

#include <cstring>

namespace XP {

bool ResourceReader::open(const char* name) {
    mStart = mEnd = mPosition = nullptr;
    // An empty block is as good as none: there is nothing to deliver.
    if (mData.load(name) && mData.size() != 0) {
        mStart = mPosition = mData.data();
        mEnd = mStart + mData.size();
    }
    return isOpen();
}

std::uint64_t ResourceReader::read(void* destination, std::uint64_t maximum) {
    if (!mStart || mPosition >= mEnd || !destination) return 0;
    std::uint64_t left = std::uint64_t(mEnd - mPosition);
    std::uint64_t n = maximum < left ? maximum : left;
    std::memcpy(destination, mPosition, n);
    mPosition += n;
    return n;
}

}  // namespace XP
