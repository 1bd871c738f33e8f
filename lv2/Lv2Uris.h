#pragma once
// The URIDs the LV2 face uses, mapped once per instance.

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>
#include <lv2/time/time.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstring>

// The plug-in's URI, and what its state is stored under; set by the build.
#ifndef MURLAN_LV2_URI
#error "MURLAN_LV2_URI must name the plug-in"
#endif

namespace KAMO {

constexpr const char* kLv2PluginUri = MURLAN_LV2_URI;
constexpr const char* kLv2UiUri = MURLAN_LV2_URI "#ui";
constexpr const char* kLv2StateBankUri = MURLAN_LV2_URI "#bank";
constexpr const char* kLv2StateProgramUri = MURLAN_LV2_URI "#program";

// The data of the host's feature `uri`, or null when it offers none.
inline const void* lv2Feature(const LV2_Feature* const* features, const char* uri) {
    for (int i = 0; features && features[i]; ++i)
        if (std::strcmp(features[i]->URI, uri) == 0) return features[i]->data;
    return nullptr;
}

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

    LV2_URID atomBlank = 0, atomObject = 0, atomChunk = 0, atomInt = 0, atomLong = 0, atomFloat = 0,
             atomDouble = 0;
    LV2_URID midiEvent = 0;
    LV2_URID timePosition = 0, timeFrame = 0, timeSpeed = 0, timeBeatsPerMinute = 0,
             timeBeatsPerBar = 0, timeBeatUnit = 0, timeBar = 0, timeBarBeat = 0, timeBeat = 0;
    LV2_URID maxBlockLength = 0, sampleRate = 0, scaleFactor = 0;
    LV2_URID stateBank = 0, stateProgram = 0;

    // The value of a number of any of the four atom number types, given as
    // a body (option values) or as an atom.
    bool number(const void* body, LV2_URID type, uint32_t size, double& value) const {
        if (!body) return false;
        if (type == atomInt && size >= sizeof(int32_t))
            value = read<int32_t>(body);
        else if (type == atomLong && size >= sizeof(int64_t))
            value = static_cast<double>(read<int64_t>(body));
        else if (type == atomFloat && size >= sizeof(float))
            value = read<float>(body);
        else if (type == atomDouble && size >= sizeof(double))
            value = read<double>(body);
        else
            return false;
        return true;
    }
    bool number(const LV2_Atom* atom, double& value) const {
        return atom && number(atom + 1, atom->type, atom->size, value);
    }

private:
    template <typename T>
    static T read(const void* body) {
        T v;
        std::memcpy(&v, body, sizeof v);
        return v;
    }
};

}  // namespace KAMO
