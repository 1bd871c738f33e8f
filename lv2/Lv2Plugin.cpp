#include "lv2/Lv2Plugin.h"

#include "framework/KEffect.h"

#include <lv2/atom/util.h>

#include <cmath>
#include <cstddef>
#include <cstring>

namespace KAMO {

Lv2Plugin* Lv2Plugin::create(double sampleRate, const LV2_Feature* const* features) {
    const auto* map = static_cast<const LV2_URID_Map*>(lv2Feature(features, LV2_URID__map));
    if (!map) return nullptr;
    std::unique_ptr<Lv2Plugin> plugin(new Lv2Plugin(sampleRate, map));
    const auto* options =
        static_cast<const LV2_Options_Option*>(lv2Feature(features, LV2_OPTIONS__options));
    for (int i = 0; options && options[i].key; ++i) {
        double value = 0.0;
        if (options[i].key == plugin->uris_.maxBlockLength &&
            plugin->uris_.number(options[i].value, options[i].type, options[i].size, value) &&
            value >= 1.0 && value <= 1 << 20)
            plugin->maxBlock_ = static_cast<int>(value);
    }
    if (!plugin->build()) return nullptr;
    return plugin.release();
}

Lv2Plugin::Lv2Plugin(double sampleRate, const LV2_URID_Map* map)
    : uris_(map), sampleRate_(sampleRate) {
    transport_.setSampleRate(sampleRate);
}

bool Lv2Plugin::build() {
    if (!bridge_.build()) return false;
    KEffect& effect = bridge_.effect();
    // The editor lives in the UI, with an effect of its own (see Lv2Ui.h);
    // here it would only hold a display connection in the audio host.
    effect.releaseEditor();
    // An instance at a rate the effect cannot play would play out of tune:
    // refuse it (the bridge closes the effect).
    if (!effect.playsSampleRate(sampleRate_)) return false;
    bridge_.open();
    bridge_.setSampleRate(sampleRate_);
    bridge_.setBlockSize(maxBlock_);

    ports_.reset(new Lv2ControlPorts(effect));
    controls_.assign(static_cast<std::size_t>(ports_->count()), nullptr);
    // NaN differs from every value: the first run applies every port.
    lastControls_.assign(static_cast<std::size_t>(ports_->count()), std::nanf(""));
    return true;
}

Lv2Plugin::~Lv2Plugin() = default;

void Lv2Plugin::connectPort(uint32_t port, void* data) {
    // Compared unsigned: an index of 2^31 or more must not turn negative and
    // pass for one of ours.
    const int parameter = ports_->parameterOf(port);
    if (parameter >= 0)
        controls_[static_cast<std::size_t>(parameter)] = static_cast<const float*>(data);
    else if (port == static_cast<uint32_t>(eventPort()))
        events_ = static_cast<const LV2_Atom_Sequence*>(data);
    else if (port == static_cast<uint32_t>(outputPort()))
        output_ = static_cast<float*>(data);
}

void Lv2Plugin::activate() { bridge_.resume(); }

void Lv2Plugin::deactivate() { bridge_.suspend(); }

void Lv2Plugin::applyControls() {
    for (int i = 0; i < ports_->count(); ++i) {
        const float* port = controls_[static_cast<std::size_t>(i)];
        if (!port) continue;
        const float value = *port;
        float& last = lastControls_[static_cast<std::size_t>(i)];
        // Bitwise, so that a NaN port is not taken anew on every run.
        if (std::memcmp(&value, &last, sizeof value) == 0) continue;
        last = value;
        if (std::isnan(value)) continue;
        bridge_.effect().setParameterReal(i, ports_->realFromPort(i, value));
    }
}

void Lv2Plugin::readPosition(const LV2_Atom_Object* object) {
    const LV2_Atom *frame = nullptr, *speed = nullptr, *bpm = nullptr, *beatsPerBar = nullptr,
                   *beatUnit = nullptr, *bar = nullptr, *barBeat = nullptr, *beat = nullptr;
    lv2_atom_object_get(object, uris_.timeFrame, &frame, uris_.timeSpeed, &speed,
                        uris_.timeBeatsPerMinute, &bpm, uris_.timeBeatsPerBar, &beatsPerBar,
                        uris_.timeBeatUnit, &beatUnit, uris_.timeBar, &bar, uris_.timeBarBeat,
                        &barBeat, uris_.timeBeat, &beat, 0);
    // Every field goes to the transport as the number it is: the transport
    // judges its range, so no host value is converted before it is checked.
    double v = 0.0, unit = 0.0;
    if (uris_.number(frame, v)) transport_.setFrame(v);
    if (uris_.number(speed, v)) transport_.setSpeed(v);
    if (uris_.number(bpm, v)) transport_.setTempo(v);
    const bool gotUnit = uris_.number(beatUnit, unit);
    if (uris_.number(beatsPerBar, v))
        transport_.setSignature(v, gotUnit ? unit : 0.0);
    else if (gotUnit)
        transport_.setSignature(0.0, unit);
    if (uris_.number(bar, v)) transport_.setBar(v);
    if (uris_.number(barBeat, v)) transport_.setBarBeat(v);
    if (uris_.number(beat, v)) transport_.setBeat(v);
    transport_.endPosition();
}

void Lv2Plugin::addMidi(const LV2_Atom& body, uint32_t delta) {
    // Channel messages only: system exclusive does not fit the record.
    bridge_.addMidi(static_cast<const unsigned char*>(LV2_ATOM_BODY_CONST(&body)),
                    static_cast<int>(body.size), static_cast<int>(delta));
}

void Lv2Plugin::renderStretch(uint32_t from, uint32_t to) {
    // An empty stretch (a position at the frame where the last one ended)
    // keeps its events for the next one.
    if (to <= from) return;
    const int frames = static_cast<int>(to - from);
    // Events listed for the stretch's end frame or later (a note before a
    // position at the frame where the position ends the stretch) wait for
    // the next stretch.
    bridge_.sendMidi(frames);
    if (output_) {
        // The record is worked out from the transport's state, which holds
        // for the whole stretch.
        bridge_.setTime(&transport_.timeInfo());
        bridge_.render(output_ + from, frames);
    }
    transport_.advance(to - from);
}

void Lv2Plugin::run(uint32_t frames) {
    applyControls();
    bridge_.clearMidi();
    uint32_t start = 0;
    if (events_) {
        LV2_ATOM_SEQUENCE_FOREACH(events_, event) {
            // Hosts send events in order and within the run; anything else is
            // clamped into it rather than trusted.
            int64_t at = event->time.frames;
            if (at < start) at = start;
            if (at > frames) at = frames;
            const uint32_t frame = static_cast<uint32_t>(at);
            const LV2_URID type = event->body.type;
            if (type == uris_.midiEvent) {
                if (frame >= frames) continue;  // past the run, or a run of 0 frames
                if (bridge_.midiCount() >= kEventCapacity && frame > start) {
                    renderStretch(start, frame);
                    start = frame;
                }
                addMidi(event->body, frame - start);
            } else if (type == uris_.atomObject || type == uris_.atomBlank) {
                const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&event->body);
                if (object->body.otype != uris_.timePosition) continue;
                // The position holds from its frame on: what comes before
                // is rendered with the transport as it was.
                renderStretch(start, frame);
                start = frame;
                readPosition(object);
            }
            // Other atom types are not ours to read.
        }
    }
    renderStretch(start, frames);
}

// --- State --------------------------------------------------------------------------

LV2_State_Status Lv2Plugin::save(LV2_State_Store_Function store, LV2_State_Handle handle) {
    std::size_t size = 0;
    const unsigned char* bank = bridge_.bankImage(size);
    if (!bank) return LV2_STATE_ERR_UNKNOWN;
    LV2_State_Status status = store(handle, uris_.stateBank, bank, size, uris_.atomChunk,
                                    LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
    if (status != LV2_STATE_SUCCESS) return status;
    const int32_t program = bridge_.program();
    return store(handle, uris_.stateProgram, &program, sizeof program, uris_.atomInt,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status Lv2Plugin::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
    std::size_t bankSize = 0, programSize = 0;
    uint32_t bankType = 0, programType = 0, flags = 0;
    const void* bank = retrieve(handle, uris_.stateBank, &bankSize, &bankType, &flags);
    const void* program = retrieve(handle, uris_.stateProgram, &programSize, &programType, &flags);
    if (!bank || !program) return LV2_STATE_ERR_NO_PROPERTY;
    if (bankType != uris_.atomChunk || programType != uris_.atomInt ||
        programSize != sizeof(int32_t))
        return LV2_STATE_ERR_BAD_TYPE;
    int32_t index = 0;
    std::memcpy(&index, program, sizeof index);
    return bridge_.takeState(static_cast<const unsigned char*>(bank), bankSize, index)
               ? LV2_STATE_SUCCESS
               : LV2_STATE_ERR_UNKNOWN;
}

}  // namespace KAMO
