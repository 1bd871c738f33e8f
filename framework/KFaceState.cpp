#include "framework/KFaceState.h"

#include "framework/KEffect.h"

namespace KAMO {

namespace {
constexpr std::size_t kProgramBytes = 4;
}

std::size_t KFaceState::longest(const KEffect& effect) {
    return static_cast<std::size_t>(effect.programBank().bankLength()) + kProgramBytes;
}

std::vector<unsigned char> KFaceState::save(KEffect& effect) {
    AEffect* record = effect.getAeffect();
    void* bank = nullptr;
    const VstIntPtr size = record->dispatcher(record, effGetChunk, 0, 0, &bank, 0.0f);
    std::vector<unsigned char> bytes;
    if (!bank || size <= 0) return bytes;
    const auto* from = static_cast<const unsigned char*>(bank);
    bytes.assign(from, from + size);
    const auto program = static_cast<std::uint32_t>(effect.getProgram());
    for (std::size_t i = 0; i < kProgramBytes; ++i)
        bytes.push_back(static_cast<unsigned char>(program >> (8 * i)));
    return bytes;
}

bool KFaceState::load(KEffect& effect, const unsigned char* bytes, std::size_t size) {
    if (!bytes || size < kProgramBytes) return false;
    const std::size_t bankSize = size - kProgramBytes;
    std::uint32_t program = 0;
    for (std::size_t i = 0; i < kProgramBytes; ++i)
        program |= static_cast<std::uint32_t>(bytes[bankSize + i]) << (8 * i);
    if (program >= static_cast<std::uint32_t>(effect.programBank().programCount()) ||
        !effect.programBank().isSoundBankImage(bytes, bankSize))
        return false;
    AEffect* record = effect.getAeffect();
    record->dispatcher(record, effSetChunk, 0, static_cast<VstIntPtr>(bankSize),
                       const_cast<unsigned char*>(bytes), 0.0f);
    record->dispatcher(record, effSetProgram, 0, static_cast<VstIntPtr>(program), nullptr, 0.0f);
    return true;
}

}  // namespace KAMO
