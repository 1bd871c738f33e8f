#pragma once
// Program (.fxp) and bank (.fxb) files of VST 2 plug-ins whose state is an
// opaque chunk: the header hosts import and export ("CcnK", the kind, the
// plug-in's unique ID and version, a count and, for a program, its name),
// then the plug-in's chunk. All numbers are big-endian 32-bit. Files that
// carry parameter lists instead of a chunk are recognised and refused: the
// plug-ins we write them for keep their state only in chunks.

#include <cstdint>
#include <string>
#include <vector>

namespace XP {

struct FxChunkFile {
    enum Kind { Program, Bank };
    // The program name field holds 28 bytes with its terminator: a name is
    // read and written as at most 27 bytes, so that what a file's name reads
    // as is written back byte for byte and every file written is terminated.
    static constexpr std::size_t kNameField = 28;
    static constexpr std::size_t kProgramHeader = 60;
    static constexpr std::size_t kBankHeader = 160;

    Kind kind = Program;
    std::int32_t pluginId = 0;
    std::int32_t pluginVersion = 0;
    // Parameters of a program, programs of a bank (what hosts show).
    std::int32_t count = 0;
    std::string programName;  // programs only; at most 27 bytes are kept
    std::vector<unsigned char> chunk;

    std::vector<unsigned char> encode() const;
    // Fills `file` from the bytes of a file; false, with `error` saying
    // what is wrong and `file` unchanged, unless the whole file is sound.
    static bool decode(const unsigned char* data, std::size_t size, FxChunkFile& file,
                       std::string* error);
    // A four-character code as the header stores it ('CcnK' and the IDs).
    static std::int32_t fourCC(const char* code);
    static std::string fourCCText(std::int32_t code);
};

}  // namespace XP
