// Random bytes through the tokeniser. The first two bytes choose the line
// buffer length and the token table's capacity; the rest is the text. Every
// accessor is exercised with indices inside and outside the line, so the
// address sanitizer sees any read or write past the line buffer or table.

#include "xp/MemorySource.h"
#include "xp/TokenReader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int lineLength = data[0] % 2 ? XP::TokenReader::kDefaultLineLength : data[0];
    const int capacity = data[1] % 2 ? XP::TokenReader::kDefaultTokenCapacity : data[1] % 40;
    MemorySource source(std::string(reinterpret_cast<const char*>(data + 2), size - 2),
                        1 + data[1]);
    XP::TokenReader reader(lineLength, capacity);
    reader.attach(&source);

    std::size_t lines = 0;
    while (reader.readLine()) {
        if (++lines > size + 1) std::abort();
        const int count = reader.tokenCount();
        if (count < 0 || count > reader.tokenCapacity()) std::abort();
        for (int i = -2; i <= count + 2; ++i) {
            const char* t = reader.token(i);
            if (!t || std::strlen(t) > std::size_t(reader.lineLength() - 2)) std::abort();
            if (std::strchr(t, '#')) std::abort();  // comments never reach a token
            (void)reader.tokenAsLong(i);
            (void)reader.tokenAsDouble(i);
            (void)reader.tokenIs(i, t);
            (void)reader.tokenIs(i, nullptr);
        }
        if (count > 0) {
            std::string first = reader.token(0);
            const int n = data[0] % 4;
            const bool accepted = reader.acceptToken(first.c_str(), n);
            if (accepted != (count - 1 >= n) || reader.cursor != (accepted ? 1 : 0)) std::abort();
        }
        reader.cursor = data[1];
        (void)reader.acceptToken("Init", 3);
    }
    return 0;
}
