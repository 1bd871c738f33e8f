#pragma once
// The URIDs the LV2 face uses, mapped once per instance.

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>
#include <lv2/time/time.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

// The plug-in's URI, and what its state is stored under; set by the build.
#ifndef MURLAN_LV2_URI
#error "MURLAN_LV2_URI must name the plug-in"
#endif

namespace KAMO {

constexpr const char* kLv2PluginUri = MURLAN_LV2_URI;
constexpr const char* kLv2UiUri = MURLAN_LV2_URI "#ui";
constexpr const char* kLv2StateBankUri = MURLAN_LV2_URI "#bank";
constexpr const char* kLv2StateProgramUri = MURLAN_LV2_URI "#program";

struct Lv2Uris {
    explicit Lv2Uris(const LV2_URID_Map* map) {
        if (!map) return;
        auto id = [map](const char* uri) { return map->map(map->handle, uri); };
        atomBlank = id(LV2_ATOM__Blank);
        atomObject = id(LV2_ATOM__Object);
        atomChunk = id(LV2_ATOM__Chunk);
        atomInt = id(LV2_ATOM__Int);
        atomLong = id(LV2_ATOM__Long);
        atomFloat = id(LV2_ATOM__Float);
        atomDouble = id(LV2_ATOM__Double);
        midiEvent = id(LV2_MIDI__MidiEvent);
        timePosition = id(LV2_TIME__Position);
        timeFrame = id(LV2_TIME__frame);
        timeSpeed = id(LV2_TIME__speed);
        timeBeatsPerMinute = id(LV2_TIME__beatsPerMinute);
        timeBeatsPerBar = id(LV2_TIME__beatsPerBar);
        timeBeatUnit = id(LV2_TIME__beatUnit);
        timeBar = id(LV2_TIME__bar);
        timeBarBeat = id(LV2_TIME__barBeat);
        timeBeat = id(LV2_TIME__beat);
        maxBlockLength = id(LV2_BUF_SIZE__maxBlockLength);
        sampleRate = id(LV2_PARAMETERS__sampleRate);
        scaleFactor = id(LV2_UI__scaleFactor);
        stateBank = id(kLv2StateBankUri);
        stateProgram = id(kLv2StateProgramUri);
    }

    LV2_URID atomBlank = 0, atomObject = 0, atomChunk = 0, atomInt = 0, atomLong = 0,
             atomFloat = 0, atomDouble = 0;
    LV2_URID midiEvent = 0;
    LV2_URID timePosition = 0, timeFrame = 0, timeSpeed = 0, timeBeatsPerMinute = 0,
             timeBeatsPerBar = 0, timeBeatUnit = 0, timeBar = 0, timeBarBeat = 0, timeBeat = 0;
    LV2_URID maxBlockLength = 0, sampleRate = 0, scaleFactor = 0;
    LV2_URID stateBank = 0, stateProgram = 0;

    // The value of a numeric atom of any of the four number types.
    bool number(const LV2_Atom* atom, double& value) const {
        if (!atom) return false;
        if (atom->type == atomInt && atom->size >= sizeof(int32_t))
            value = reinterpret_cast<const LV2_Atom_Int*>(atom)->body;
        else if (atom->type == atomLong && atom->size >= sizeof(int64_t))
            value = static_cast<double>(reinterpret_cast<const LV2_Atom_Long*>(atom)->body);
        else if (atom->type == atomFloat && atom->size >= sizeof(float))
            value = reinterpret_cast<const LV2_Atom_Float*>(atom)->body;
        else if (atom->type == atomDouble && atom->size >= sizeof(double))
            value = reinterpret_cast<const LV2_Atom_Double*>(atom)->body;
        else
            return false;
        return true;
    }
    bool number(const void* data, LV2_URID type, uint32_t size, double& value) const {
        if (!data) return false;
        union {
            LV2_Atom atom;
            unsigned char bytes[sizeof(LV2_Atom) + sizeof(double)];
        } copy{};
        if (size > sizeof(double)) return false;
        copy.atom.type = type;
        copy.atom.size = size;
        __builtin_memcpy(copy.bytes + sizeof(LV2_Atom), data, size);
        return number(&copy.atom, value);
    }
};

} // namespace KAMO
