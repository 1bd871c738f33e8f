#pragma once
// Bytes read as a program or bank file, checked for what reading promises:
// - decoding never reads past the bytes it is given;
// - a file it refuses says why;
// - a file it accepts has exactly the size its header says, and encoding
//   what it read gives a file of that size which decodes to the same
//   fields (the one thing not kept is padding in the name field).
// Shared by the fuzz target and the test that replays what it found.

#include "xp/FxChunkFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace FxChunkSteps {

inline bool readsAsWritten(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly `size` bytes, so that the sanitizer sees any read past it.
    const std::vector<unsigned char> bytes(data, data + size);
    XP::FxChunkFile file;
    std::string error;
    if (!XP::FxChunkFile::decode(bytes.data(), bytes.size(), file, &error)) return !error.empty();
    const std::vector<unsigned char> again = file.encode();
    if (again.size() != size) return false;
    XP::FxChunkFile second;
    if (!XP::FxChunkFile::decode(again.data(), again.size(), second, &error)) return false;
    return second.kind == file.kind && second.pluginId == file.pluginId &&
           second.pluginVersion == file.pluginVersion && second.count == file.count &&
           second.programName == file.programName && second.chunk == file.chunk;
}

}  // namespace FxChunkSteps
