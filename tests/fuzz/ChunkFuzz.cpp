// Random program and bank chunks through the plug-in's dispatcher, as a
// host restoring a damaged or foreign project would hand them over. The
// input is a list of steps; each starts with a byte whose low two bits say
// what to do:
//   0, 1  set a program (0) or bank (1) chunk: two bytes of length, one byte
//         by which the size told is short of the bytes handed over (255: a
//         negative size), then the bytes, copied into storage of exactly
//         that length so that reading past them is caught;
//   2     select the program named by the byte's upper bits (may be out of
//         range);
//   3     read the chunks back and set them again unchanged.
// After every step every text the host can ask for must be terminated
// within its length, and a short block of a held note must render finite.

#include "fuzz/NoteOn.h"
#include "shell/Vst2.h"
#include "synth/Murlan.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

VstIntPtr fakeHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

VstIntPtr call(AEffect* a, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
               void* ptr = nullptr, float opt = 0.0f) {
    return a->dispatcher(a, opcode, index, value, ptr, opt);
}

// The host's buffer is filled with a marker first, so that text written
// without its terminator shows.
void expectText(AEffect* a, VstInt32 opcode, VstInt32 index, int length) {
    char text[512];
    std::memset(text, 0x7f, sizeof text);
    call(a, opcode, index, 0, text);
    if (!std::memchr(text, 0, std::size_t(length))) std::abort();
}

void checkTexts(AEffect* a) {
    for (VstInt32 i = 0; i < a->numParams; ++i) {
        expectText(a, effGetParamDisplay, i, Murlan::kDisplayLength);
        expectText(a, effGetParamName, i, Murlan::kNameSize);
        expectText(a, effGetParamLabel, i, Murlan::kNameSize);
        // Stored values are handed back as they came, whatever they are.
        (void)a->getParameter(a, i);
    }
    expectText(a, effGetProgramName, 0, Murlan::kProgramNameSize);
    for (VstInt32 p = 0; p < a->numPrograms; ++p)
        expectText(a, effGetProgramNameIndexed, p, Murlan::kProgramNameSize);
}

void renderBlock(AEffect* a, bool useFloat) {
    constexpr int kFrames = 64;
    FuzzInput::NoteOn note(64);
    call(a, effProcessEvents, 0, 0, &note.list);
    if (useFloat) {
        std::unique_ptr<float[]> out(new float[kFrames]);
        float* outputs[] = {out.get()};
        a->processReplacing(a, nullptr, outputs, kFrames);
        for (int i = 0; i < kFrames; ++i)
            if (!std::isfinite(out[i])) std::abort();
    } else {
        std::unique_ptr<double[]> out(new double[kFrames]);
        double* outputs[] = {out.get()};
        a->processDoubleReplacing(a, nullptr, outputs, kFrames);
        for (int i = 0; i < kFrames; ++i)
            if (!std::isfinite(out[i])) std::abort();
    }
}

void setChunk(AEffect* a, bool isPreset, const std::uint8_t* bytes, std::size_t length,
              int shortfall) {
    std::unique_ptr<std::uint8_t[]> image(new std::uint8_t[length ? length : 1]);
    if (length) std::memcpy(image.get(), bytes, length);
    const VstIntPtr told = shortfall == 255 ? -1 : VstIntPtr(length) - shortfall;
    const VstIntPtr taken = call(a, effSetChunk, isPreset ? 1 : 0, told, image.get());
    if (taken < 0 || (taken > 0 && taken > told)) std::abort();
}

void roundTrip(AEffect* a, bool isPreset) {
    void* data = nullptr;
    const VstIntPtr length = call(a, effGetChunk, isPreset ? 1 : 0, 0, &data);
    if (length <= 0 || !data) std::abort();
    std::vector<std::uint8_t> copy(static_cast<const std::uint8_t*>(data),
                                   static_cast<const std::uint8_t*>(data) + length);
    if (call(a, effSetChunk, isPreset ? 1 : 0, length, copy.data()) != length) std::abort();
    // What comes back must be what went in, byte for byte.
    data = nullptr;
    if (call(a, effGetChunk, isPreset ? 1 : 0, 0, &data) != length ||
        std::memcmp(data, copy.data(), copy.size()) != 0)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // effClose deletes it, as it would in a host.
    AEffect* a = (new Murlan(fakeHost))->getAeffect();
    call(a, effOpen);
    call(a, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    call(a, effSetBlockSize, 0, 64);
    call(a, effMainsChanged, 0, 1);

    std::size_t at = 0;
    int step = 0;
    while (at < size && step++ < 64) {
        const std::uint8_t op = data[at++];
        switch (op & 3) {
        case 0:
        case 1: {
            if (size - at < 3) {
                at = size;
                continue;
            }
            std::size_t length = data[at] | std::size_t(data[at + 1]) << 8;
            const int shortfall = data[at + 2];
            at += 3;
            if (length > size - at) length = size - at;
            setChunk(a, (op & 3) == 0, data + at, length, shortfall);
            at += length;
            break;
        }
        case 2:
            call(a, effSetProgram, 0, VstIntPtr(op >> 2) - 2);
            break;
        default:
            roundTrip(a, true);
            roundTrip(a, false);
            break;
        }
        checkTexts(a);
        renderBlock(a, step % 2 == 0);
    }
    call(a, effMainsChanged, 0, 0);
    call(a, effClose);
    return 0;
}
