#include "framework/KMidiEventList.h"

#include <cstddef>

namespace KAMO {

KMidiEventList::KMidiEventList(int capacity) : mEvents(new VstMidiEvent[capacity]()) {
    const std::size_t bytes = offsetof(VstEvents, events) + sizeof(VstEvent*) * capacity;
    mBytes.reset(new unsigned char[bytes]());
    mList = reinterpret_cast<VstEvents*>(mBytes.get());
    VstEvent** slots = vstEventArray(mList);
    for (int i = 0; i < capacity; ++i) {
        mEvents[i].type = kVstMidiType;
        mEvents[i].byteSize = sizeof(VstMidiEvent);
        slots[i] = reinterpret_cast<VstEvent*>(&mEvents[i]);
    }
}

}  // namespace KAMO
