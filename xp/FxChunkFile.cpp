#include "xp/FxChunkFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace XP {

namespace {

constexpr std::size_t kSizeField = 4;  // byteSize: the bytes after it
constexpr std::size_t kCountOffset = 24;
constexpr std::size_t kNameOffset = 28;
constexpr std::int32_t kFormatVersion = 1;

void putInt(std::vector<unsigned char>& out, std::size_t at, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    out[at] = static_cast<unsigned char>(v >> 24);
    out[at + 1] = static_cast<unsigned char>(v >> 16);
    out[at + 2] = static_cast<unsigned char>(v >> 8);
    out[at + 3] = static_cast<unsigned char>(v);
}

std::int32_t getInt(const unsigned char* at) {
    return static_cast<std::int32_t>(std::uint32_t(at[0]) << 24 | std::uint32_t(at[1]) << 16 |
                                     std::uint32_t(at[2]) << 8 | std::uint32_t(at[3]));
}

}  // namespace

std::int32_t FxChunkFile::fourCC(const char* code) {
    return static_cast<std::int32_t>(
        std::uint32_t(std::uint8_t(code[0])) << 24 | std::uint32_t(std::uint8_t(code[1])) << 16 |
        std::uint32_t(std::uint8_t(code[2])) << 8 | std::uint32_t(std::uint8_t(code[3])));
}

std::string FxChunkFile::fourCCText(std::int32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((static_cast<std::uint32_t>(code) >> shift) & 0xFF);
        if (c >= 0x20 && c < 0x7F) {
            text += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(c & 0xFF));
            text += hex;
        }
    }
    return text;
}

std::vector<unsigned char> FxChunkFile::encode() const {
    const std::size_t header = kind == Program ? kProgramHeader : kBankHeader;
    std::vector<unsigned char> out(header + chunk.size(), 0);
    putInt(out, 0, fourCC("CcnK"));
    putInt(out, 4, static_cast<std::int32_t>(out.size() - 8));
    putInt(out, 8, fourCC(kind == Program ? "FPCh" : "FBCh"));
    putInt(out, 12, kFormatVersion);
    putInt(out, 16, pluginId);
    putInt(out, 20, pluginVersion);
    putInt(out, kCountOffset, count);
    if (kind == Program)
        std::memcpy(out.data() + kNameOffset, programName.data(),
                    std::min(programName.size(), kNameField - 1));
    putInt(out, header - kSizeField, static_cast<std::int32_t>(chunk.size()));
    if (!chunk.empty()) std::memcpy(out.data() + header, chunk.data(), chunk.size());
    return out;
}

bool FxChunkFile::decode(const unsigned char* data, std::size_t size, FxChunkFile& file,
                         std::string* error) {
    auto fail = [&](const std::string& message) {
        if (error) *error = message;
        return false;
    };
    if (!data || size < kProgramHeader) return fail("too short for a program or bank file");
    if (getInt(data) != fourCC("CcnK")) return fail("not a program or bank file (no 'CcnK')");
    // Sizes are read as the unsigned words they are and compared in 64 bits:
    // no field, however large, can wrap.
    const std::uint64_t byteSize = static_cast<std::uint32_t>(getInt(data + 4));
    if (byteSize + 8 != size)
        return fail("the header gives " + std::to_string(byteSize + 8) + " bytes, the file has " +
                    std::to_string(size));
    const std::int32_t magic = getInt(data + 8);
    FxChunkFile read;
    if (magic == fourCC("FPCh"))
        read.kind = Program;
    else if (magic == fourCC("FBCh"))
        read.kind = Bank;
    else if (magic == fourCC("FxCk") || magic == fourCC("FxBk"))
        return fail("holds a list of parameter values, not a chunk");
    else
        return fail("'" + fourCCText(magic) + "' is neither a program nor a bank");
    const std::size_t header = read.kind == Program ? kProgramHeader : kBankHeader;
    if (size < header) return fail("too short for its header");
    read.pluginId = getInt(data + 16);
    read.pluginVersion = getInt(data + 20);
    read.count = getInt(data + kCountOffset);
    if (read.kind == Program) {
        const char* name = reinterpret_cast<const char*>(data + kNameOffset);
        read.programName.assign(name, strnlen(name, kNameField - 1));
    }
    const std::uint64_t chunkSize = static_cast<std::uint32_t>(getInt(data + header - kSizeField));
    if (chunkSize != size - header)
        return fail("the chunk should hold " + std::to_string(chunkSize) + " bytes, " +
                    std::to_string(size - header) + " follow the header");
    read.chunk.assign(data + header, data + size);
    file = std::move(read);
    return true;
}

}  // namespace XP
