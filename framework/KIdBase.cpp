#include "framework/KIdBase.h"

#include <cstring>

namespace KAMO {

Named::Named() { std::memset(mName, 0, sizeof(mName)); }

KIdBase::KIdBase(const char* name) { setName(name); }

bool KIdBase::isNamed(const char* text) const {
    if (!text) return false;
    return std::strncmp(mName, text, kNameLength) == 0;
}

void KIdBase::setName(const char* text) {
    // strncpy pads with zero bytes, which is exactly the stored form.
    std::strncpy(mName, text ? text : "", kNameLength);
    mName[kNameLength] = 0;
}

}  // namespace KAMO
