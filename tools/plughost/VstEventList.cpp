#include "tools/plughost/VstEventList.h"

#include <cstring>

namespace plughost {

VstEventList::VstEventList(int capacity)
    : store_(static_cast<std::size_t>(capacity > 2 ? capacity : 2)), header_(2 + store_.size(), 0) {
    // Pointer i sits right after the two header words (numEvents, reserved).
    for (std::size_t i = 0; i < store_.size(); ++i) {
        VstEvent* p = &store_[i];
        std::memcpy(&header_[2 + i], &p, sizeof p);
    }
    clear();
}

int VstEventList::size() const {
    VstInt32 n;
    std::memcpy(&n, header_.data(), sizeof n);
    return n;
}

void VstEventList::clear() {
    const VstInt32 n = 0;
    std::memcpy(header_.data(), &n, sizeof n);
}

bool VstEventList::append(VstEvent* pointer) {
    const int n = size();
    if (n >= capacity()) return false;
    std::memcpy(&header_[2 + static_cast<std::size_t>(n)], &pointer, sizeof pointer);
    const VstInt32 next = n + 1;
    std::memcpy(header_.data(), &next, sizeof next);
    return true;
}

bool VstEventList::addRaw(const VstEvent& event) {
    const int n = size();
    if (n >= capacity()) return false;
    store_[static_cast<std::size_t>(n)] = event;
    return append(&store_[static_cast<std::size_t>(n)]);
}

bool VstEventList::addExternal(VstEvent* event) { return append(event); }

bool VstEventList::addMidi(VstInt32 deltaFrames, std::uint8_t status, std::uint8_t data1,
                           std::uint8_t data2) {
    VstMidiEvent midi;
    std::memset(&midi, 0, sizeof midi);
    midi.type = kVstMidiType;
    midi.byteSize = sizeof(VstMidiEvent);
    midi.deltaFrames = deltaFrames;
    midi.midiData[0] = static_cast<char>(status);
    midi.midiData[1] = static_cast<char>(data1);
    midi.midiData[2] = static_cast<char>(data2);
    VstEvent event;
    std::memcpy(&event, &midi, sizeof event);
    return addRaw(event);
}

}  // namespace plughost
