#pragma once
// A plug-in double linked into the test program: it records what the host
// hands it (events with their absolute frames, block sizes, time info) and
// can be told to misbehave, so that the host and the validator can be
// tested against known answers. Load it with
//   host.loadEntry(&FakePlugin::entry, "fake")
// Settings for the next instance go into FakePlugin::next before loading.

#include "shell/Vst2.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace faketest {

struct FakeSettings {
    int outputs = 1;
    int params = 3;
    int programs = 2;
    bool doublePath = true;
    bool synth = true;
    float level = 0.5f;  // every output sample
    bool nanAfterFirstBlock = false;
    bool overlongParamName = false;  // writes 40 characters into effGetParamName
    bool ignoreChunk = false;        // effSetChunk keeps nothing
    bool programChunks = false;      // sets effFlagsProgramChunks
    bool noChunks = false;           // effGetChunk hands out nothing
    std::vector<std::string> names;  // default "Par<i>"
    int nameBytes = 8;               // effGetParamName's most bytes, terminator included
    bool padParamName = false;       // zero-fills 64 bytes of the host's buffer behind the name
    bool crashOnNullChunkPointer = false;  // effGetChunk writes through a null ptr
    bool hangOnEmptyCanDo = false;         // effCanDo("") never returns
    bool writeHalfTheBlock = false;        // leaves the second half of each block alone
};

struct FakeBlock {
    long long start;  // absolute frame of the block's first sample
    int frames;
    bool hasTime;
    VstTimeInfo time;
    bool isDouble;
};

struct FakeEvent {
    long long frame;  // block start + deltaFrames
    int deltaFrames;
    unsigned char bytes[3];
    int call;   // index of the effProcessEvents call
    int block;  // index of the block rendered next
};

class FakePlugin {
public:
    static FakeSettings next;
    static FakePlugin* last;  // the most recently created instance

    static AEffect* entry(audioMasterCallback host) {
        if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
        auto* fake = new FakePlugin(host, next);
        last = fake;
        return &fake->effect;
    }

    AEffect effect;
    audioMasterCallback host;
    FakeSettings settings;
    std::vector<FakeBlock> blocks;
    std::vector<FakeEvent> events;
    std::vector<int> eventsPerCall;
    std::vector<std::vector<float>> programParams;  // per program
    std::vector<std::string> programNames;
    std::vector<unsigned char> chunk;
    long long frame = 0;
    int program = 0;
    bool resumed = false;
    std::vector<int> opcodes;  // every dispatcher opcode in call order
    std::mutex opcodeMutex;    // the dispatcher is entered from several threads

private:
    FakePlugin(audioMasterCallback h, const FakeSettings& s) : host(h), settings(s) {
        std::memset(&effect, 0, sizeof effect);
        effect.magic = kEffectMagic;
        effect.object = this;
        effect.dispatcher = &dispatch;
        effect.setParameter = [](AEffect* e, VstInt32 i, float v) {
            auto* f = self(e);
            if (i >= 0 && i < f->settings.params) f->current()[std::size_t(i)] = v;
        };
        effect.getParameter = [](AEffect* e, VstInt32 i) {
            auto* f = self(e);
            return (i >= 0 && i < f->settings.params) ? f->current()[std::size_t(i)] : 0.0f;
        };
        effect.processReplacing = [](AEffect* e, float**, float** out, VstInt32 n) {
            self(e)->render(out, n, false);
        };
        if (s.doublePath)
            effect.processDoubleReplacing = [](AEffect* e, double**, double** out, VstInt32 n) {
                self(e)->render(out, n, true);
            };
        effect.numParams = s.params;
        effect.numPrograms = s.programs;
        effect.numOutputs = s.outputs;
        effect.flags = effFlagsCanReplacing | (s.doublePath ? effFlagsCanDoubleReplacing : 0) |
                       (s.synth ? effFlagsIsSynth : 0) |
                       (s.programChunks ? effFlagsProgramChunks : 0);
        effect.uniqueID = vstFourCC('F', 'a', 'k', 'e');
        effect.version = 1;
        effect.ioRatio = 1.0f;
        const int programs = s.programs > 0 ? s.programs : 1;
        programParams.assign(std::size_t(programs),
                             std::vector<float>(std::size_t(s.params), 0.25f));
        for (int p = 0; p < programs; ++p) programNames.push_back("Init " + std::to_string(p));
    }

    std::vector<float>& current() { return programParams[std::size_t(program)]; }

    // Program image: a 24-byte name, then the parameters as floats.
    void appendProgram(int p) {
        char name[24] = {};
        std::strncpy(name, programNames[std::size_t(p)].c_str(), 23);
        chunk.insert(chunk.end(), name, name + 24);
        const auto* bytes =
            reinterpret_cast<const unsigned char*>(programParams[std::size_t(p)].data());
        chunk.insert(chunk.end(), bytes,
                     bytes + programParams[std::size_t(p)].size() * sizeof(float));
    }
    std::size_t programBytes() const { return 24 + std::size_t(settings.params) * sizeof(float); }
    void readProgram(int p, const unsigned char* data) {
        programNames[std::size_t(p)] = std::string(
            reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), 24));
        std::memcpy(programParams[std::size_t(p)].data(), data + 24, programBytes() - 24);
    }

    static FakePlugin* self(AEffect* e) { return static_cast<FakePlugin*>(e->object); }

    template <typename T>
    void render(T** out, VstInt32 n, bool isDouble) {
        FakeBlock b{frame, n, false, {}, isDouble};
        auto* t = reinterpret_cast<VstTimeInfo*>(
            host(&effect, audioMasterGetTime, 0, 0x600, nullptr, 0.0f));
        if (t) {
            b.hasTime = true;
            b.time = *t;
        }
        const bool bad = settings.nanAfterFirstBlock && !blocks.empty();
        blocks.push_back(b);
        const VstInt32 written = settings.writeHalfTheBlock ? n / 2 : n;
        for (int c = 0; c < settings.outputs; ++c)
            for (VstInt32 i = 0; i < written; ++i)
                out[c][i] = bad ? std::numeric_limits<T>::quiet_NaN() : T(settings.level);
        frame += n;
    }

    static VstIntPtr dispatch(AEffect* e, VstInt32 op, VstInt32 index, VstIntPtr value, void* ptr,
                              float) {
        FakePlugin* f = self(e);
        {
            std::lock_guard<std::mutex> lock(f->opcodeMutex);
            f->opcodes.push_back(op);
        }
        switch (op) {
        case effClose:
            if (last == f) last = nullptr;
            delete f;
            return 1;
        case effMainsChanged:
            f->resumed = value != 0;
            return 0;
        case effSetProgram:
            if (value >= 0 && value < f->settings.programs) f->program = int(value);
            return 0;
        case effGetProgram:
            return f->program;
        case effGetParamName:
            if (!ptr) return 0;
            if (f->settings.padParamName) std::memset(ptr, 0, 64);
            if (f->settings.overlongParamName)
                std::strcpy(static_cast<char*>(ptr), "ThisNameIsFarTooLongForEightBytesXXXXXXX");
            else if (index >= 0 && index < int(f->settings.names.size()))
                std::snprintf(static_cast<char*>(ptr), std::size_t(f->settings.nameBytes), "%s",
                              f->settings.names[std::size_t(index)].c_str());
            else
                std::snprintf(static_cast<char*>(ptr), std::size_t(f->settings.nameBytes), "Par%d",
                              int(index));
            return 0;
        case effGetParamDisplay:
            if (ptr)
                std::snprintf(static_cast<char*>(ptr), 8, "%.2f",
                              double(f->effect.getParameter(e, index)));
            return 0;
        case effGetParamLabel:
            if (ptr) static_cast<char*>(ptr)[0] = 0;
            return 0;
        case effString2Parameter:
            if (!ptr || index < 0 || index >= f->settings.params) return 0;
            f->current()[std::size_t(index)] = float(std::atof(static_cast<char*>(ptr)));
            return 1;
        case effSetProgramName:
            if (ptr)
                f->programNames[std::size_t(f->program)] =
                    std::string(static_cast<char*>(ptr), strnlen(static_cast<char*>(ptr), 23));
            return 0;
        case effGetProgramName:
            if (ptr)
                std::snprintf(static_cast<char*>(ptr), 24, "%s",
                              f->programNames[std::size_t(f->program)].c_str());
            return 0;
        case effGetProgramNameIndexed:
            if (!ptr || index < 0 || index >= int(f->programNames.size())) return 0;
            std::snprintf(static_cast<char*>(ptr), 24, "%s",
                          f->programNames[std::size_t(index)].c_str());
            return 1;
        case effGetChunk: {
            if ((!ptr && !f->settings.crashOnNullChunkPointer) || f->settings.noChunks) return 0;
            f->chunk.clear();
            if (index) {
                f->appendProgram(f->program);
            } else {
                for (int p = 0; p < int(f->programParams.size()); ++p) f->appendProgram(p);
            }
            *static_cast<void**>(ptr) = f->chunk.data();
            return VstIntPtr(f->chunk.size());
        }
        case effSetChunk: {
            if (!ptr || f->settings.ignoreChunk) return 0;
            const auto* data = static_cast<const unsigned char*>(ptr);
            const std::size_t size = std::size_t(value);
            if (index && size == f->programBytes()) {
                f->readProgram(f->program, data);
            } else if (!index && size == f->programBytes() * f->programParams.size()) {
                for (std::size_t p = 0; p < f->programParams.size(); ++p)
                    f->readProgram(int(p), data + p * f->programBytes());
            } else {
                return 0;
            }
            return 1;
        }
        case effProcessEvents: {
            auto* list = static_cast<VstEvents*>(ptr);
            if (!list) return 0;
            const int call = int(f->eventsPerCall.size());
            f->eventsPerCall.push_back(list->numEvents);
            VstEvent* const* entries = vstEventArray(list);
            for (int i = 0; i < list->numEvents; ++i) {
                const VstEvent* ev = entries[i];
                if (!ev || ev->type != kVstMidiType) continue;
                const auto* m = reinterpret_cast<const VstMidiEvent*>(ev);
                f->events.push_back(FakeEvent{f->frame + m->deltaFrames,
                                              m->deltaFrames,
                                              {static_cast<unsigned char>(m->midiData[0]),
                                               static_cast<unsigned char>(m->midiData[1]),
                                               static_cast<unsigned char>(m->midiData[2])},
                                              call,
                                              int(f->blocks.size())});
            }
            return 1;
        }
        case effGetVstVersion:
            return 2400;
        case effCanDo:
            if (f->settings.hangOnEmptyCanDo && ptr && !*static_cast<char*>(ptr))
                for (;;) std::this_thread::sleep_for(std::chrono::milliseconds(100));
            return (ptr && std::strcmp(static_cast<char*>(ptr), "receiveVstMidiEvent") == 0) ? 1
                                                                                             : 0;
        default:
            return 0;
        }
    }
};

inline FakeSettings FakePlugin::next;
inline FakePlugin* FakePlugin::last = nullptr;

}  // namespace faketest
