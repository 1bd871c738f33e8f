#pragma once
// Reads a disk file as a byte source. Nothing in the plug-in's own flow uses
// it; it completes the reader library for tools and tests.

#include "xp/InputReader.h"

#include <cstdint>
#include <fstream>

namespace XP {

class FileReader : public InputReader {
public:
    FileReader() = default;
    ~FileReader() override;

    // Closes any open file first. Answers isOpen().
    bool open(const char* path);
    void close();
    bool isOpen() const override { return mStream.is_open(); }
    std::uint64_t read(void* destination, std::uint64_t maximum) override;

    // The whole file in a buffer allocated with new[] that the caller owns,
    // its size stored through `size` when given. Null (size 0) when the file
    // cannot be opened, is empty or delivers fewer bytes than its size: a
    // partial buffer is never handed out.
    unsigned char* readWholeFile(const char* path, std::uint64_t* size = nullptr);

    // Size of the open file in bytes (0 while closed).
    std::int64_t fileSize() const { return mSize; }

private:
    std::ifstream mStream;
    std::int64_t mSize = 0;
};

}  // namespace XP
