#include "xp/FileReader.h"

#include <limits>
#include <new>
#include <sys/stat.h>

namespace XP {

FileReader::~FileReader() { close(); }

void FileReader::close() {
    if (mStream.is_open()) mStream.close();
    mSize = 0;
}

bool FileReader::open(const char* path) {
    close();
    mStream.clear();
    if (!path) {
        mStream.setstate(std::ios::failbit);
        return false;
    }
    // A directory opens as a stream on this platform but reports a size of
    // nearly 2^63 bytes; it is no file to read.
    struct stat info;
    if (stat(path, &info) == 0 && S_ISDIR(info.st_mode)) {
        mStream.setstate(std::ios::failbit);
        return false;
    }
    mStream.open(path, std::ios::in | std::ios::binary | std::ios::ate);
    if (!mStream.is_open()) return false;
    std::streamoff end = mStream.tellg();
    if (end < 0) {
        // Not seekable: its size cannot be known.
        mStream.close();
        mStream.setstate(std::ios::failbit);
        return false;
    }
    mSize = end;
    mStream.seekg(0, std::ios::beg);
    return true;
}

std::uint64_t FileReader::read(void* destination, std::uint64_t maximum) {
    if (!mStream.is_open() || !destination || maximum == 0) return 0;
    constexpr std::uint64_t kLargest = std::uint64_t(std::numeric_limits<std::streamsize>::max());
    if (maximum > kLargest) maximum = kLargest;
    mStream.read(static_cast<char*>(destination), std::streamsize(maximum));
    std::streamsize got = mStream.gcount();
    return got > 0 ? std::uint64_t(got) : 0;
}

unsigned char* FileReader::readWholeFile(const char* path, std::uint64_t* size) {
    if (size) *size = 0;
    if (!open(path) || mSize <= 0) return nullptr;
    std::uint64_t total = std::uint64_t(mSize);
    // A size that cannot be allocated is answered like an unreadable file.
    unsigned char* bytes = new (std::nothrow) unsigned char[total];
    if (!bytes) return nullptr;
    if (read(bytes, total) != total) {
        delete[] bytes;
        return nullptr;
    }
    if (size) *size = total;
    return bytes;
}

}  // namespace XP
