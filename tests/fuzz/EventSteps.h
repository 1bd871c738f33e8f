#pragma once
// Random event lists, blocks and parameter values through the plug-in's
// record, as a careless or hostile host would send them. The input is a
// list of steps; each starts with a byte whose low three bits say what to
// do:
//   0  an event list: two bytes of count (up to 2000), then six bytes per
//      event (kind, two of deltaFrames, three of MIDI data); when the input
//      runs out the remaining events come from a small generator;
//   1  a double block, 2 a float block: two bytes of length (0..1024);
//   3  a parameter: one byte of index (some out of range), one choosing the
//      value (NaN, infinities, out of range, tiny, or a fraction);
//   4  the host's transport: one byte choosing the tempo (NaN, zero,
//      negative, huge or plain), one of position and one of flags;
//   5  a sample rate change between suspend and resume: one byte choosing
//      the rate (including 0, 1 and 1.4 MHz);
//   6  a program change by the byte's upper bits (may be out of range);
//   7  an editor command by the byte's upper bits.
// Every block's output must cover the block, be finite, never subnormal,
// and stay below a generous bound; run() answers false when one does not.
// Shared by the fuzz target and the tests that replay what it found.

#include "shell/Vst2.h"
#include "synth/Murlan.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace EventSteps {

inline VstTimeInfo gTime;
inline bool gTimeValid = false;

inline VstIntPtr fakeHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterGetTime) return gTimeValid ? reinterpret_cast<VstIntPtr>(&gTime) : 0;
    return 0;
}

inline VstIntPtr call(AEffect* a, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                      void* ptr = nullptr, float opt = 0.0f) {
    return a->dispatcher(a, opcode, index, value, ptr, opt);
}

class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : mData(data), mSize(size) {}
    bool empty() const { return mAt >= mSize; }
    std::uint8_t next() { return mAt < mSize ? mData[mAt++] : 0; }
    unsigned next16() { return next() | unsigned(next()) << 8; }

private:
    const std::uint8_t* mData;
    std::size_t mSize;
    std::size_t mAt = 0;
};

// Where the list's events live; sized once, so each record is exactly its
// type's size and reading past one is caught.
struct EventStore {
    std::vector<std::unique_ptr<VstMidiEvent>> midi;
    std::vector<std::unique_ptr<VstMidiSysexEvent>> sysex;
    std::vector<std::unique_ptr<char[]>> dumps;
    std::vector<VstEvent*> pointers;
};

inline void sendEvents(AEffect* a, Bytes& in) {
    const int count = int(in.next16() % 2001);
    EventStore store;
    std::uint32_t generator = 0x9e3779b9u ^ std::uint32_t(count);
    for (int i = 0; i < count; ++i) {
        std::uint8_t b[6];
        const bool fromInput = !in.empty();
        for (std::uint8_t& v : b) {
            generator = generator * 1664525u + 1013904223u;
            v = fromInput ? in.next() : std::uint8_t(generator >> 24);
        }
        const int kind = b[0] & 7;
        // deltaFrames: mostly within a block, sometimes negative or far beyond.
        std::int32_t delta = std::int16_t(b[1] | b[2] << 8);
        if ((b[0] & 0x18) == 0x18) delta *= 65536;
        static const std::int32_t kSizes[] = {
            std::int32_t(sizeof(VstMidiEvent)), 0, -1, 24, 1 << 30, 31, 33, 7};
        const std::int32_t byteSize = kSizes[(b[0] >> 5) & 7];
        if (kind == 6) {
            // A system-exclusive record with a dump it really has.
            auto event = std::make_unique<VstMidiSysexEvent>();
            std::memset(event.get(), 0, sizeof *event);
            event->type = kVstSysExType;
            event->byteSize = byteSize;
            event->deltaFrames = delta;
            event->dumpBytes = b[3] % 17;
            store.dumps.emplace_back(new char[event->dumpBytes + 1]());
            event->sysexDump = store.dumps.back().get();
            store.pointers.push_back(reinterpret_cast<VstEvent*>(event.get()));
            store.sysex.push_back(std::move(event));
            continue;
        }
        auto event = std::make_unique<VstMidiEvent>();
        std::memset(event.get(), 0, sizeof *event);
        // Kinds 0..3 are MIDI; the rest carry unknown or zero types.
        event->type = kind <= 3 ? kVstMidiType : kind == 7 ? std::int32_t(b[3]) - 128 : kind;
        event->byteSize = byteSize;
        event->deltaFrames = delta;
        event->flags = b[0] & 1;
        event->midiData[0] = char(kind == 0 ? 0x80 | (b[3] & 0x7f) : b[3]);
        event->midiData[1] = char(b[4]);
        event->midiData[2] = char(b[5]);
        event->midiData[3] = char(b[5] ^ b[4]);
        event->detune = char(b[4]);
        event->noteOffVelocity = char(b[5]);
        store.pointers.push_back(reinterpret_cast<VstEvent*>(event.get()));
        store.midi.push_back(std::move(event));
    }
    // The list's record holds two pointers in place; longer lists are one
    // block with the pointers following on.
    std::vector<std::uint8_t> record(offsetof(VstEvents, events) +
                                     sizeof(VstEvent*) * (count > 2 ? count : 2));
    auto* list = reinterpret_cast<VstEvents*>(record.data());
    list->numEvents = count;
    if (count) std::memcpy(list->events, store.pointers.data(), sizeof(VstEvent*) * count);
    call(a, effProcessEvents, 0, 0, list);
}

template <typename Sample>
bool checkBlock(const Sample* out, int frames) {
    constexpr Sample kSmallest = std::numeric_limits<Sample>::min();
    for (int i = 0; i < frames; ++i) {
        const Sample v = out[i];
        if (!std::isfinite(v)) return false;
        if (v != 0 && std::fabs(v) < kSmallest) return false;
        // Three full-scale oscillators at the loudest settings stay far below.
        if (std::fabs(v) > 1000) return false;
    }
    return true;
}

inline bool renderBlock(AEffect* a, Bytes& in, bool useFloat) {
    const int frames = int(in.next16() % 1025);
    if (useFloat) {
        std::unique_ptr<float[]> out(new float[frames]);
        // NaN left anywhere means the block was not covered.
        for (int i = 0; i < frames; ++i) out[i] = std::numeric_limits<float>::quiet_NaN();
        float* outputs[] = {out.get()};
        a->processReplacing(a, nullptr, outputs, frames);
        return checkBlock(out.get(), frames);
    }
    std::unique_ptr<double[]> out(new double[frames]);
    for (int i = 0; i < frames; ++i) out[i] = std::numeric_limits<double>::quiet_NaN();
    double* outputs[] = {out.get()};
    a->processDoubleReplacing(a, nullptr, outputs, frames);
    return checkBlock(out.get(), frames);
}

inline float oddValue(std::uint8_t choice) {
    switch (choice % 12) {
    case 0:
        return std::numeric_limits<float>::quiet_NaN();
    case 1:
        return std::numeric_limits<float>::infinity();
    case 2:
        return -std::numeric_limits<float>::infinity();
    case 3:
        return -1.0f;
    case 4:
        return 2.0f;
    case 5:
        return 1e30f;
    case 6:
        return 1e-40f;  // subnormal
    case 7:
        return -0.0f;
    default:
        return float(choice) / 255.0f;
    }
}

inline void setTransport(Bytes& in) {
    static const double kTempos[] = {std::nan(""), 0.0, -120.0, 1e300, 1e-300, 999.0, 20.0, 120.0};
    const std::uint8_t t = in.next();
    const std::uint8_t p = in.next();
    const std::uint8_t f = in.next();
    std::memset(&gTime, 0, sizeof gTime);
    gTime.sampleRate = 48000.0;
    gTime.tempo = t < 8 ? kTempos[t] : 30.0 + t;
    gTime.ppqPos = (p & 0x80) ? -double(p & 0x7f) : p & 1 ? double(p) * 1e15 : p * 0.37;
    gTime.flags = f | (f & 1 ? kVstPpqPosValid | kVstTempoValid : 0);
    gTimeValid = (f & 0x80) == 0;
}

inline void changeRate(AEffect* a, std::uint8_t choice) {
    static const float kRates[] = {0.0f,      1.0f,      1.4e6f,
                                   22050.0f,  44100.0f,  96000.0f,
                                   192000.0f, -48000.0f, std::numeric_limits<float>::quiet_NaN(),
                                   8000.0f};
    call(a, effMainsChanged, 0, 0);
    call(a, effSetSampleRate, 0, 0, nullptr, kRates[choice % 10]);
    call(a, effMainsChanged, 0, 1);
}

// Plays the steps on a fresh instance; false at the first bad block.
inline bool run(const std::uint8_t* data, std::size_t size) {
    gTimeValid = false;
    // effClose deletes it, as it would in a host.
    Murlan* murlan = new Murlan(fakeHost);
    AEffect* a = murlan->getAeffect();
    call(a, effOpen);
    call(a, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    call(a, effSetBlockSize, 0, 1024);
    call(a, effMainsChanged, 0, 1);

    Bytes in(data, size);
    bool good = true;
    int steps = 0;
    while (good && !in.empty() && steps++ < 256) {
        const std::uint8_t op = in.next();
        switch (op & 7) {
        case 0:
            sendEvents(a, in);
            break;
        case 1:
            good = renderBlock(a, in, false);
            break;
        case 2:
            good = renderBlock(a, in, true);
            break;
        case 3: {
            const VstInt32 index = VstInt32(in.next() % 27) - 2;
            a->setParameter(a, index, oddValue(in.next()));
            break;
        }
        case 4:
            setTransport(in);
            break;
        case 5:
            changeRate(a, in.next());
            break;
        case 6:
            call(a, effSetProgram, 0, VstIntPtr(op >> 3) - 2);
            break;
        default:
            murlan->executeCommand((op >> 3) % 6 - 1, op & 0x80, false);
            break;
        }
    }
    call(a, effMainsChanged, 0, 0);
    call(a, effClose);
    return good;
}

}  // namespace EventSteps
