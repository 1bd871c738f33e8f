// Random bytes through the line splitter. The first two bytes choose the
// caller's buffer length and how many bytes the source hands out per read;
// the rest is the text. Checked on every input:
// - the buffer always ends in two zero bytes and never overflows;
// - every byte that is not CR, LF or NUL comes back exactly once, in order;
// - the lines do not depend on how the source cuts its reads;
// - reading ends (at most one line per input byte, plus one).

#include "xp/LineReader.h"
#include "xp/MemorySource.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<std::string> readAll(const std::string& text, int length, std::uint64_t step) {
    MemorySource source(text, step);
    XP::LineReader reader;
    reader.attach(&source);
    std::vector<char> buffer(std::size_t(length), '\x7f');
    std::vector<std::string> lines;
    while (reader.readLine(buffer.data(), length)) {
        if (buffer[length - 1] != 0 || buffer[length - 2] != 0) std::abort();
        std::string line;
        for (int i = 0; i < length - 2; ++i)
            if (buffer[i] != 0) line += buffer[i];
        lines.push_back(line);
        if (lines.size() > text.size() + 1) std::abort();
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int length = 3 + data[0] % 300;
    const std::uint64_t step = 1 + data[1];
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

    std::vector<std::string> lines = readAll(text, length, step);

    std::string expected, joined;
    for (char c : text)
        if (c != '\r' && c != '\n' && c != 0) expected += c;
    for (const std::string& line : lines) {
        if (line.size() > std::size_t(length - 2)) std::abort();
        joined += line;
    }
    if (joined != expected) std::abort();

    if (readAll(text, length, ~std::uint64_t(0)) != lines) std::abort();
    return 0;
}
