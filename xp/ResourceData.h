#pragma once
// A block of bytes borrowed from the resource table: it lives as long as the
// process, so it is never freed.

#include <cstdint>

namespace XP {

class ResourceData {
public:
    ResourceData() = default;
    ResourceData(const ResourceData&) = delete;
    ResourceData& operator=(const ResourceData&) = delete;

    // Drops the current block, then borrows the named block from the table.
    // Answers whether a block of that name exists (it may be empty).
    bool load(const char* name);
    // Empties the holder.
    void release();

    const unsigned char* data() const { return mData; }
    std::uint64_t size() const { return mSize; }

private:
    const unsigned char* mData = nullptr;
    std::uint64_t mSize = 0;
};

}  // namespace XP
