#pragma once
// Bytes held in memory as a source, for texts that a tool has already read
// or built (a single line of a file, a generated preset) and wants to hand
// to the line and token readers.

#include "xp/InputReader.h"

#include <string>

namespace XP {

class MemoryReader : public InputReader {
public:
    explicit MemoryReader(std::string bytes) : mBytes(std::move(bytes)) {}

    bool isOpen() const override { return true; }
    std::uint64_t read(void* destination, std::uint64_t maximum) override;

private:
    std::string mBytes;
    std::size_t mPosition = 0;
};

}  // namespace XP
