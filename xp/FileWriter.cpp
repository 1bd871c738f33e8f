#include "xp/FileWriter.h"

#include <cstdio>
#include <cstring>

namespace XP {

FileWriter::~FileWriter() { close(); }

bool FileWriter::open(const char* path) {
    close();
    mStream.clear();
    if (!path) return false;
    mStream.open(path, std::ios::out | std::ios::binary | std::ios::trunc);
    return mStream.is_open();
}

void FileWriter::close() {
    if (mStream.is_open()) {
        mStream.flush();
        mStream.close();
    }
    mLines = 0;
    mIndent = 0;
}

std::uint64_t FileWriter::write(const void* bytes, std::uint64_t count) {
    if (!mStream.is_open() || !bytes || count == 0) return 0;
    std::streamoff before = mStream.tellp();
    mStream.write(static_cast<const char*>(bytes), std::streamsize(count));
    mStream.flush();
    std::streamoff after = mStream.tellp();
    // A failed stream reports -1; nothing is known to have been written then.
    if (before < 0 || after < before) return 0;
    return std::uint64_t(after - before);
}

void FileWriter::writeLine(const char* text) { finishLine(text, nullptr); }

void FileWriter::writeLine(const char* text, const char* where, long lineNumber) {
    if (!mStream.is_open() || mLines >= mMaxLines) return;
    std::snprintf(mScratch, sizeof(mScratch), " \"%s, line %ld\"", where ? where : "", lineNumber);
    finishLine(text, mScratch);
}

void FileWriter::finishLine(const char* text, const char* tail) {
    if (!mStream.is_open() || mLines >= mMaxLines) return;
    static const char kSpaces[64] =
        "                                                               ";
    for (int left = mIndent; left > 0;) {
        int n = left < 63 ? left : 63;
        mStream.write(kSpaces, n);
        left -= n;
    }
    if (text) mStream.write(text, std::streamsize(std::strlen(text)));
    if (tail) mStream.write(tail, std::streamsize(std::strlen(tail)));
    mStream.write("\r\n", 2);
    mStream.flush();
    ++mLines;
}

void FileWriter::indent(int n) {
    long sum = long(mIndent) + n;
    mIndent = int(sum > kMaxIndent ? kMaxIndent : (sum < 0 ? 0 : sum));
}

void FileWriter::outdent(int n) {
    long diff = long(mIndent) - n;
    mIndent = int(diff < 0 ? 0 : (diff > kMaxIndent ? kMaxIndent : diff));
}

}  // namespace XP
