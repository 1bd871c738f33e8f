#include "xp/ResourceData.h"

#include "xp/ResourceTable.h"

namespace XP {

ResourceData::~ResourceData() { release(); }

void ResourceData::release() {
    if (mOwned) delete[] mData;
    mData = nullptr;
    mSize = 0;
    mOwned = false;
}

bool ResourceData::load(const char* name) {
    release();
    std::uint64_t size = 0;
    mData = findResource(name, &size);
    if (mData) mSize = size;
    // Table blocks are borrowed: they live as long as the process.
    return mData != nullptr;
}

void ResourceData::adopt(unsigned char* bytes, std::uint64_t size) {
    release();
    if (!bytes) return;
    mData = bytes;
    mSize = size;
    mOwned = true;
}

} // namespace XP
