#pragma once
// A source of bytes. The readers above it (LineReader, TokenReader) neither
// know nor care whether the bytes come from a compiled-in block or a file.

#include <cstdint>

namespace XP {

class InputReader {
public:
    virtual ~InputReader() = default;
    // True when the source exists and can deliver bytes.
    virtual bool isOpen() const = 0;
    // Copies at most `maximum` bytes to `destination`; answers how many were
    // copied. 0 means nothing more comes, or the source is not open.
    virtual std::uint64_t read(void* destination, std::uint64_t maximum) = 0;
};

}  // namespace XP
