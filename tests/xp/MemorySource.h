#pragma once
// A byte source over a string that hands out at most `step` bytes per read,
// so that tests can put chunk boundaries wherever they like.

#include "xp/InputReader.h"

#include <algorithm>
#include <cstring>
#include <string>

class MemorySource : public XP::InputReader {
public:
    explicit MemorySource(std::string bytes, std::uint64_t step = ~std::uint64_t(0))
        : mBytes(std::move(bytes)), mStep(step) {}

    bool isOpen() const override { return true; }
    std::uint64_t read(void* destination, std::uint64_t maximum) override {
        std::uint64_t n = std::min({maximum, mStep, std::uint64_t(mBytes.size() - mPosition)});
        std::memcpy(destination, mBytes.data() + mPosition, n);
        mPosition += n;
        return n;
    }

private:
    std::string mBytes;
    std::uint64_t mStep;
    std::size_t mPosition = 0;
};
