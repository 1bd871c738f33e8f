#pragma once
// The MIDI events a plug-in face hands the effect in one processEvents
// call: a VstEvents record with room for `capacity` MIDI events, all
// allocated up front so that filling it on the audio thread allocates
// nothing. The caller sets numEvents and fills the events from the first.

#include "shell/Vst2.h"

#include <memory>

namespace KAMO {

class KMidiEventList {
public:
    explicit KMidiEventList(int capacity);

    VstEvents* list() const { return mList; }
    VstMidiEvent& operator[](int index) { return mEvents[index]; }

private:
    std::unique_ptr<VstMidiEvent[]> mEvents;
    std::unique_ptr<unsigned char[]> mBytes;
    VstEvents* mList = nullptr;
};

}  // namespace KAMO
