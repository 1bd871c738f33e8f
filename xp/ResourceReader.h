#pragma once
// Reads a compiled-in block of the resource table as a byte source.

#include "xp/InputReader.h"
#include "xp/ResourceData.h"

namespace XP {

class ResourceReader : public InputReader {
public:
    ResourceReader() = default;
    ~ResourceReader() override = default;

    // Looks the name up ignoring letter case. A missing or empty block leaves
    // the reader closed. Answers isOpen().
    bool open(const char* name);
    bool isOpen() const override { return mStart != nullptr; }
    std::uint64_t read(void* destination, std::uint64_t maximum) override;

    // Bytes not yet read (0 when closed).
    std::uint64_t remaining() const { return mStart ? std::uint64_t(mEnd - mPosition) : 0; }
    const ResourceData& resource() const { return mData; }

private:
    ResourceData mData;
    const unsigned char* mStart = nullptr;
    const unsigned char* mEnd = nullptr;
    const unsigned char* mPosition = nullptr;
};

}  // namespace XP
