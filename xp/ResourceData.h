#pragma once
// A block of bytes that is either borrowed from the resource table (never
// freed) or owned (allocated with new[], freed on reload and destruction).

#include <cstdint>

namespace XP {

class ResourceData {
public:
    ResourceData() = default;
    ~ResourceData();
    ResourceData(const ResourceData&) = delete;
    ResourceData& operator=(const ResourceData&) = delete;

    // Drops the current block, then borrows the named block from the table.
    // Answers whether a block of that name exists (it may be empty).
    bool load(const char* name);
    // Takes ownership of `bytes` (allocated with new[]); null gives an empty holder.
    void adopt(unsigned char* bytes, std::uint64_t size);
    // Frees the block when owned and empties the holder.
    void release();

    const unsigned char* data() const { return mData; }
    std::uint64_t size() const { return mSize; }
    bool owned() const { return mOwned; }

private:
    const unsigned char* mData = nullptr;
    std::uint64_t mSize = 0;
    bool mOwned = false;
};

} // namespace XP
