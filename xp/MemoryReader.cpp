#include "xp/MemoryReader.h"

#include <algorithm>
#include <cstring>

namespace XP {

std::uint64_t MemoryReader::read(void* destination, std::uint64_t maximum) {
    const std::uint64_t left = mBytes.size() - mPosition;
    const std::uint64_t n = std::min(maximum, left);
    if (n > 0) std::memcpy(destination, mBytes.data() + mPosition, n);
    mPosition += n;
    return n;
}

}  // namespace XP
