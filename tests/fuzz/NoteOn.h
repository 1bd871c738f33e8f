#pragma once
// A one-event list holding a note-on, for the targets that play a note
// after loading what the input gave them, so that the state loaded also
// has to sound. Not copyable: the list points at the event beside it.

#include "shell/Vst2.h"

namespace FuzzInput {

struct NoteOn {
    explicit NoteOn(int key) {
        note.type = kVstMidiType;
        note.byteSize = sizeof note;
        note.midiData[0] = char(0x90);
        note.midiData[1] = char(key);
        note.midiData[2] = 100;
        list.numEvents = 1;
        list.events[0] = reinterpret_cast<VstEvent*>(&note);
    }
    NoteOn(const NoteOn&) = delete;
    NoteOn& operator=(const NoteOn&) = delete;

    VstMidiEvent note{};
    VstEvents list{};
};

}  // namespace FuzzInput
