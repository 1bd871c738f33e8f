#include "framework/KFaceState.h"

#include "framework/KEffect.h"
#include "framework/KHostBridge.h"

namespace KAMO {

namespace {
constexpr std::size_t kProgramBytes = 4;
}

std::size_t KFaceState::longest(const KEffect& effect) {
    return static_cast<std::size_t>(effect.programBank().bankLength()) + kProgramBytes;
}

std::vector<unsigned char> KFaceState::save(KHostBridge& bridge) {
    std::size_t size = 0;
    const unsigned char* bank = bridge.bankImage(size);
    std::vector<unsigned char> bytes;
    if (!bank) return bytes;
    bytes.assign(bank, bank + size);
    const auto program = static_cast<std::uint32_t>(bridge.program());
    for (std::size_t i = 0; i < kProgramBytes; ++i)
        bytes.push_back(static_cast<unsigned char>(program >> (8 * i)));
    return bytes;
}

bool KFaceState::load(KHostBridge& bridge, const unsigned char* bytes, std::size_t size) {
    if (!bytes || size < kProgramBytes) return false;
    const std::size_t bankSize = size - kProgramBytes;
    std::uint32_t program = 0;
    for (std::size_t i = 0; i < kProgramBytes; ++i)
        program |= static_cast<std::uint32_t>(bytes[bankSize + i]) << (8 * i);
    return bridge.takeState(bytes, bankSize, program);
}

}  // namespace KAMO
