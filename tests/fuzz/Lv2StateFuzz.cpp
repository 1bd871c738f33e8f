// Random states handed to the LV2 face's restore, as a host loading a
// damaged or foreign session would hand them over. The input:
//   one byte of flags: which of the two properties are there (bits 0, 1),
//   the bank's type (bits 2, 3: chunk, int, or an unknown type), the
//   program's size (bits 4, 5: 4, 0, 8 or 3 bytes), and whether the bank
//   is the plug-in's own saved one with the rest of the input laid over
//   it by exclusive or (bit 6) or the rest of the input itself;
//   four bytes of program index; the rest: bank bytes or the mask.
// A restore that fails must leave the state as it was, byte for byte; one
// that succeeds must save back what it took (the zero byte after each
// program name is the plug-in's), and the instrument must play finite.

#include "framework/KEffect.h"
#include "fuzz/Lv2FuzzHost.h"
#include "fuzz/NoteOn.h"

#include <lv2/atom/atom.h>
#include <lv2/state/state.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace {

struct Property {
    LV2_URID key = 0;
    LV2_URID type = 0;
    std::vector<std::uint8_t> bytes;
};

struct State {
    std::vector<Property> properties;
    const Property* find(LV2_URID key) const {
        for (const Property& p : properties)
            if (p.key == key) return &p;
        return nullptr;
    }
};

LV2_State_Status store(LV2_State_Handle handle, std::uint32_t key, const void* value,
                       std::size_t size, std::uint32_t type, std::uint32_t) {
    Property p;
    p.key = key;
    p.type = type;
    p.bytes.assign(static_cast<const std::uint8_t*>(value),
                   static_cast<const std::uint8_t*>(value) + size);
    static_cast<State*>(handle)->properties.push_back(std::move(p));
    return LV2_STATE_SUCCESS;
}

const void* retrieve(LV2_State_Handle handle, std::uint32_t key, std::size_t* size,
                     std::uint32_t* type, std::uint32_t* flags) {
    const Property* p = static_cast<const State*>(handle)->find(key);
    if (!p) return nullptr;
    *size = p->bytes.size();
    *type = p->type;
    *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    // An empty property still has an address.
    return p->bytes.empty() ? static_cast<const void*>(&p->key) : p->bytes.data();
}

State save(KAMO::Lv2Plugin& plugin) {
    State state;
    if (plugin.save(store, &state) != LV2_STATE_SUCCESS) std::abort();
    return state;
}

bool same(const State& a, const State& b) {
    if (a.properties.size() != b.properties.size()) return false;
    for (std::size_t i = 0; i < a.properties.size(); ++i) {
        const Property &x = a.properties[i], &y = b.properties[i];
        if (x.key != y.key || x.type != y.type || x.bytes != y.bytes) return false;
    }
    return true;
}

void playNote(KAMO::Lv2Plugin& plugin) {
    constexpr std::uint32_t kFrames = 256;
    static float output[kFrames];
    // No event port: a note from the effect's own record instead.
    plugin.connectPort(std::uint32_t(plugin.outputPort()), output);
    FuzzInput::NoteOn note(69);
    plugin.effect().processEvents(&note.list);
    plugin.run(kFrames);
    for (float v : output)
        if (!(std::fabs(v) < 1000.0f)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const LV2_URID bankKey = Lv2FuzzHost::map(KAMO::kLv2StateBankUri);
    static const LV2_URID programKey = Lv2FuzzHost::map(KAMO::kLv2StateProgramUri);
    static const LV2_URID chunkType = Lv2FuzzHost::map(LV2_ATOM__Chunk);
    static const LV2_URID intType = Lv2FuzzHost::map(LV2_ATOM__Int);
    static const LV2_URID otherType = Lv2FuzzHost::map("urn:example:unknown");
    if (size < 5) return 0;
    const std::uint8_t flags = data[0];
    std::unique_ptr<KAMO::Lv2Plugin> plugin(Lv2FuzzHost::create(48000.0));
    if (!plugin) std::abort();
    plugin->activate();

    const State before = save(*plugin);
    const Property* saved = before.find(bankKey);
    if (!saved) std::abort();

    State given;
    if (flags & 1) {
        Property bank;
        bank.key = bankKey;
        const LV2_URID types[] = {chunkType, chunkType, intType, otherType};
        bank.type = types[(flags >> 2) & 3];
        if (flags & 64) {
            bank.bytes = saved->bytes;
            for (std::size_t i = 5; i < size; ++i)
                bank.bytes[(i - 5) % bank.bytes.size()] ^= data[i];
        } else {
            bank.bytes.assign(data + 5, data + size);
        }
        given.properties.push_back(std::move(bank));
    }
    if (flags & 2) {
        Property program;
        program.key = programKey;
        program.type = (flags & 128) ? otherType : intType;
        const std::size_t sizes[] = {4, 0, 8, 3};
        program.bytes.assign(sizes[(flags >> 4) & 3], 0);
        if (!program.bytes.empty())
            std::memcpy(program.bytes.data(), data + 1,
                        program.bytes.size() < 4 ? program.bytes.size() : 4);
        given.properties.push_back(std::move(program));
    }

    const LV2_State_Status status = plugin->restore(retrieve, &given);
    const State after = save(*plugin);
    if (status != LV2_STATE_SUCCESS) {
        if (!same(before, after)) std::abort();
    } else {
        // What was taken comes back byte for byte, but for the zero byte
        // behind each name, which is ours.
        std::vector<std::uint8_t> expected = given.find(bankKey)->bytes;
        const int record = plugin->effect().programBank().recordLength();
        for (std::size_t at = KAMO::ProgramBank::kNameLength; at < expected.size(); at += record)
            expected[at] = 0;
        if (expected.size() == saved->bytes.size() && after.find(bankKey)->bytes != expected)
            std::abort();
        if (after.find(programKey)->bytes != given.find(programKey)->bytes) std::abort();
    }
    playNote(*plugin);
    plugin->deactivate();
    return 0;
}
