// Random bytes as a program or bank file. Checked on every input:
// - decoding never reads past the bytes it is given;
// - a file it accepts has exactly the size its header says, and encoding
//   what it read gives a file of that size which decodes to the same
//   fields (the one thing not kept is padding in the name field).

#include "xp/FxChunkFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly `size` bytes, so that the sanitizer sees any read past it.
    const std::vector<unsigned char> bytes(data, data + size);
    XP::FxChunkFile file;
    std::string error;
    if (!XP::FxChunkFile::decode(bytes.data(), bytes.size(), file, &error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    const std::vector<unsigned char> again = file.encode();
    if (again.size() != size) std::abort();
    XP::FxChunkFile second;
    if (!XP::FxChunkFile::decode(again.data(), again.size(), second, &error)) std::abort();
    if (second.kind != file.kind || second.pluginId != file.pluginId ||
        second.pluginVersion != file.pluginVersion || second.count != file.count ||
        second.programName != file.programName || second.chunk != file.chunk)
        std::abort();
    return 0;
}
