#include "xp/ResourceData.h"

#include "xp/ResourceTable.h"

namespace XP {

void ResourceData::release() {
    mData = nullptr;
    mSize = 0;
}

bool ResourceData::load(const char* name) {
    release();
    std::uint64_t size = 0;
    mData = findResource(name, &size);
    if (mData) mSize = size;
    // Table blocks are borrowed: they live as long as the process.
    return mData != nullptr;
}

}  // namespace XP
